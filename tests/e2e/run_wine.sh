#!/usr/bin/env bash
# Runs the end-to-end tests of the Windows build under Wine: run_wine.sh BUILD_DIR
# Every wine_*.sh beside this script runs against BUILD_DIR/kehrwix.exe in a Wine prefix made
# fresh for this run under BUILD_DIR.
set -uo pipefail

build_dir=$(cd "${1:?usage: run_wine.sh BUILD_DIR}" && pwd)
exe=$build_dir/kehrwix.exe
[[ -f $exe ]] || { echo "no $exe; build the windows preset first" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)

# The first of the given programs or paths that can be run.
find_tool() { local name; for name; do command -v "$name" && return; done; return 1; }
WINE=$(find_tool /usr/lib/wine/wine64 wine64 wine) || { echo "wine not found" >&2; exit 2; }
wineserver=$(find_tool /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver wineserver) ||
    { echo "wineserver not found" >&2; exit 2; }

export WINE WINEPREFIX=$build_dir/wine-e2e-prefix WINEDEBUG=-all
# No Mono or Gecko installer dialogs: the program needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="

rm -rf "$WINEPREFIX"
echo "preparing Wine prefix $WINEPREFIX"
"$WINE" wineboot -i >/dev/null 2>&1 || { echo "wineboot failed" >&2; exit 2; }
# One server for all tests, so each program start does not pay for a new one.
"$wineserver" -p
# The first program started in a new prefix can still meet it settling; let that be a throwaway.
"$WINE" cmd /c exit >/dev/null 2>&1 || true
trap '"$wineserver" -k 2>/dev/null || true' EXIT

passed=0 failed=0
for test in "$here"/wine_*.sh; do
    name=$(basename "$test" .sh)
    if bash "$test" "$exe"; then echo "PASS $name"; ((++passed)); else echo "FAIL $name"; ((++failed)); fi
done
echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
