#!/usr/bin/env bash
# Draws the README's pictures from the program's real screens: a first and a later run on a
# fresh demo drive, played through the scripted test console (tools/screens), saved as SVG.
#
#   scripts/screens.sh [OUT_DIR]   # default docs/images; set SCREENS_TOOL to skip the build
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs/images}")

tool=${SCREENS_TOOL:-}
if [[ -z $tool ]]; then
    scripts/install-deps.sh
    cmake --preset release >/dev/null
    cmake --build --preset release -j"$(nproc)" --target kehrwix_screens
    tool=build/release/tools/screens/kehrwix_screens
fi
tool=$(realpath "$tool")

demo=$(mktemp -d "${TMPDIR:-/tmp}/kehrwix-screens-XXXXXX")
trap 'scripts/demo-drive.sh remove "$demo"' EXIT
rmdir "$demo"
scripts/demo-drive.sh create "$demo" >/dev/null
mkdir -p "$out"
scripts/demo-drive.sh run "$demo" "$tool" "$out"
echo "pictures written to $out"
