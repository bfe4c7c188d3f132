#!/usr/bin/env bash
# Builds the release binary and starts it in this terminal (arguments are passed on).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)" --target kehrwix
exec build/release/kehrwix "$@"
