#!/usr/bin/env bash
# Compares emptying the benchmark trees with kehrwix against the standard tools, side by side.
#
# Usage: bench/clean.sh KEHRWIX_BINARY [WORK_DIR] [RUNS]
#   WORK_DIR holds the generated trees and the per-run copies. The default is on tmpfs
#   (/dev/shm) when there is one: on a shared disk the wall time is mostly other people's I/O.
#
# kehrwix runs headless (stdout is not a terminal): a later run with no input cleans after the
# timed prompt's 15 polls and closes with up to 5 more, about 4 s of fixed waiting. That wait is
# measured on its own (a path list naming an empty folder) and taken off, so the numbers compare
# the cleaning itself. Peak RSS is measured at a million files (S1 at scale 10).
set -euo pipefail

bin=$(realpath "${1:?usage: clean.sh KEHRWIX_BINARY [WORK_DIR] [RUNS]}")
default_work=/tmp/kehrwix-bench
[[ -d /dev/shm && -w /dev/shm ]] && default_work=/dev/shm/kehrwix-bench
work=${2:-$default_work}
runs=${3:-5}
gen=${GEN_TREE:-$(cd "$(dirname "$0")/../.." && pwd)/shared/bench/gen_tree.py}
mkdir -p "$work"

tree() {  # shape dest [extra gen_tree args]
    local shape=$1 dest=$2
    shift 2
    [[ -d $dest ]] || python3 "$gen" "$shape" "$dest" "$@" >/dev/null
}

# The drive C: is the work directory; the path list lies in C:\cfg. hyperfine starts commands
# through sh, so the run is a script of its own.
mkdir -p "$work/cfg"
cat >"$work/kehrwix_run.sh" <<SH
#!/bin/sh
printf '%s\r\n' "\$1" >"$work/cfg/KEHRWIX.INI"
cd "$work/cfg" && KEHRWIX_DRIVES="C:=$work" KEHRWIX='C:\cfg' exec "$bin" >/dev/null </dev/null
SH
chmod +x "$work/kehrwix_run.sh"

seconds() {  # command... ; prints the wall time of the mean of $runs runs, with a prepare step
    local prepare=$1
    shift
    hyperfine --runs "$runs" --prepare "$prepare" --export-json "$work/hf.json" --style none \
        "$@" >/dev/null 2>&1
    python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["results"][0]["mean"])' \
        "$work/hf.json"
}

compare() {  # label source-tree line reference-command max-ratio
    local label=$1 source=$2 line=$3 reference=$4 limit=$5
    local copy="$work/run"
    local prep="rm -rf '$copy'; cp -a '$source' '$copy'; sync"
    local ours ref
    ours=$(seconds "$prep" "$work/kehrwix_run.sh '$line'")
    ref=$(seconds "$prep" "$reference")
    python3 - "$label" "$ours" "$wait" "$ref" "$limit" <<'PY'
import sys
label, ours, wait, ref, limit = sys.argv[1], *map(float, sys.argv[2:])
clean = ours - wait
ratio = clean / ref
print(f"{label}: kehrwix {clean*1000:8.1f} ms (total {ours*1000:.0f} ms - wait {wait*1000:.0f} ms)"
      f"  reference {ref*1000:8.1f} ms  ratio {ratio:.2f} (limit {limit})"
      f"  {'ok' if ratio <= limit else 'OVER'}")
PY
}

tree S1 "$work/s1"
tree S2 "$work/s2"
tree S3 "$work/s3"

mkdir -p "$work/empty"
wait=$(seconds "true" "$work/kehrwix_run.sh '*C:\\empty'")

compare "S1 * tree (100k files, 2k folders)" "$work/s1" '*C:\run' "rm -rf '$work/run'" 1.3
compare "S2 files only (50k files)       " "$work/s2" ' C:\run' \
    "find '$work/run' -maxdepth 1 -type f -delete" 1.3
compare "S3 * tree (20k empty folders)  " "$work/s3" '*C:\run' "rm -rf '$work/run'" 1.5

# Peak memory at a million files; the tree is generated where it is emptied, not copied.
rm -rf "$work/run"
tree S1 "$work/run" --scale 10
rss=$(/usr/bin/time -v "$work/kehrwix_run.sh" '*C:\run' 2>&1 >/dev/null |
    awk -F': ' '/Maximum resident/ {print $2}')
left=$(find "$work/run" -mindepth 1 | wc -l)
echo "S1 x10 (1M files): peak RSS ${rss} kB (limit 20480 kB), entries left ${left}"
rm -rf "$work/run"
