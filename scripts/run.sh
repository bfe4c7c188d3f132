#!/usr/bin/env bash
# Builds the release binary and starts it in this terminal on the demo drive under build/demo/,
# a small Windows machine made up of folders, so trying kehrwix risks nothing.
#
#   scripts/run.sh            # start on the demo drive (created on first use)
#   scripts/run.sh --reset    # make the demo drive new, then start on it
#   scripts/run.sh --system   # start on this machine: C: is / (see README.md first)
#   rm -rf build/demo         # remove the demo drive
#
# Other arguments (such as ?) are passed on to kehrwix.
set -euo pipefail
caller_dir=$PWD
cd "$(dirname "$0")/.."
repo=$PWD

reset=false
system=false
args=()
for arg in "$@"; do
    case $arg in
    --reset) reset=true ;;
    --system) system=true ;;
    *) args+=("$arg") ;;
    esac
done

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)" --target kehrwix
binary=$repo/build/release/kehrwix

if $system; then
    echo "kehrwix on this machine (C: is /): a first run searches the whole file system, every later run without a key empties all the folders it found."
    cd "$caller_dir"
    exec "$binary" "${args[@]}"
fi

demo=$repo/build/demo
if $reset; then
    scripts/demo-drive.sh remove "$demo"
fi
[[ -d $demo ]] || scripts/demo-drive.sh create "$demo" >/dev/null

echo "kehrwix on the demo drive build/demo (scripts/run.sh --reset makes it new); on this machine instead: scripts/run.sh --system, which empties /tmp and more (see README)."
exec scripts/demo-drive.sh run "$demo" "$binary" "${args[@]}"
