#!/usr/bin/env bash
# Drive scan speed of the real binary against find (and fd where installed) over the same
# generated scan tree, a check that the hits are the expected ones, and peak memory at two
# tree sizes (it must stay flat).
#
# Usage: bench/scan.sh [KEHRWIX_BINARY] [SCALE]
#   KEHRWIX_BINARY  default build/release/kehrwix (configure with -DCMAKE_BUILD_TYPE=Release)
#   SCALE           tree size factor for gen_tree.py, default 1.0 (200,000 folders)
# Trees are generated once under $KEHRWIX_BENCH_DIR (default /tmp/kehrwix-bench).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
bin=$(realpath "${1:-$repo/build/release/kehrwix}")
scale=${2:-1.0}
base=${KEHRWIX_BENCH_DIR:-/tmp/kehrwix-bench}
gen_tree=${GEN_TREE:-$(cd "$(dirname "$0")/../.." && pwd)/shared/bench/gen_tree.py}
mkdir -p "$base"

tree_for() {
    local dest=$base/s4-$1
    [ -d "$dest" ] || python3 "$gen_tree" S4 "$dest" --scale "$1" >/dev/null
    echo "$dest"
}

tree=$(tree_for "$scale")
work=$base/work
rm -rf "$work"
mkdir -p "$work"

# C: is the tree, D: holds the program's own files. A first run (no path list) shows the help,
# scans, and the menu's wait ends the program, since input is closed and stdout is no terminal.
export KEHRWIX_DRIVES="C:=$tree;D:=$work" KEHRWIX='D:\'
reset_work="rm -f '$work/KEHRWIX.INI' '$work/kehrwix.tmp'"
run_scan="cd '$work' && '$bin' </dev/null >/dev/null 2>&1"
criteria='\( -iname temp -o -iname tmp -o -iname cache -o -iname cookies -o -iname recent'
criteria+=' -o -iname verlauf -o -iname "temporary internet files" \)'
run_find="find '$tree' -type d $criteria >/dev/null"

echo "== hits (expected $(wc -l <"$tree.hits.txt"))"
eval "$reset_work"
eval "$run_scan"
found=$(sed -e 's/\r$//' -e 's/^\*C:\\//' -e 's/\\$//' -e 's/\\/\//g' "$work/KEHRWIX.INI" | sort)
if diff <(echo "$found") <(LC_ALL=C sort "$tree.hits.txt") >/dev/null; then
    echo "all $(echo "$found" | wc -l) hits as expected"
else
    echo "HITS DIFFER:"
    diff <(echo "$found") <(LC_ALL=C sort "$tree.hits.txt") | head -20
fi

echo "== time"
commands=(-n kehrwix --prepare "$reset_work" "$run_scan" -n find "$run_find")
if command -v fd >/dev/null || command -v fdfind >/dev/null; then
    fd_bin=$(command -v fd || command -v fdfind)
    regex='^(temp|tmp|cache|cookies|recent|verlauf|temporary internet files)$'
    commands+=(-n fd "'$fd_bin' -u -i -t d '$regex' '$tree' >/dev/null")
fi
hyperfine --warmup 1 --runs "${RUNS:-10}" --shell=bash "${commands[@]}"

echo "== peak memory (KB) by tree size"
for s in $(awk -v s="$scale" 'BEGIN { print s / 4, s }'); do
    t=$(tree_for "$s")
    eval "$reset_work"
    rss=$(cd "$work" && KEHRWIX_DRIVES="C:=$t;D:=$work" /usr/bin/time -v "$bin" </dev/null \
        2>&1 >/dev/null | awk -F: '/Maximum resident/ { gsub(/ /, "", $2); print $2 }')
    echo "scale $s ($(find "$t" -type d | wc -l) folders): $rss"
done
