#!/usr/bin/env bash
# Builds the debug binary with AddressSanitizer/UndefinedBehaviorSanitizer and runs every test:
# unit and program tests (GoogleTest) and the Linux end-to-end tests in tmux.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/check-format.sh
cmake --preset debug >/dev/null
cmake --build --preset debug -j"$(nproc)"
ctest --preset debug -j"$(nproc)"
