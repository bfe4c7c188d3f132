#!/usr/bin/env bash
# The picture tool still plays its runs through to the end and draws what the README shows.
set -euo pipefail
out=$(mktemp -d "${TMPDIR:-/tmp}/kehrwix-pictures-XXXXXX")
trap 'rm -rf "$out"' EXIT
SCREENS_TOOL=$1 "$(dirname "$0")/../../scripts/screens.sh" "$out" >/dev/null
grep -qF 'Temp-Dateien  Kehrwix' "$out/help.svg"
grep -qF 'kehrwix     press any key to menue' "$out/prompt.svg"
grep -qiF 'C:\Users\Anna\AppData\Local\' "$out/menu.svg"
grep -qF '(c)lean' "$out/menu.svg"
grep -qF 'fertig.' "$out/cleaning.svg"
grep -qF ' gelöscht' "$out/cleaning.svg"
echo "pictures: ok"
