#!/usr/bin/env bash
# Fails when a source file is not clang-format clean.
set -euo pipefail
cd "$(dirname "$0")/.."
files=$(git ls-files '*.cpp' '*.h' '*.c')
[[ -z $files ]] && exit 0
# shellcheck disable=SC2086
clang-format --dry-run --Werror $files
