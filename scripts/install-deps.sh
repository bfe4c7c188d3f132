#!/usr/bin/env bash
# Installs what building and testing kehrwix needs (Debian packages). Pass --windows to add the
# MinGW-w64 cross compiler and Wine for the Windows build and its tests, --package to add lintian
# and git for the package checks (scripts/package.sh), --bench to add the tools that
# bench/bench.py measures kehrwix against, and perf for profiling. clang-14 builds the fuzz
# targets (scripts/fuzz.sh).
set -euo pipefail

# attr sets the demo drive's hidden files (e2fsprogs clears the immutable flag that demo drives
# of earlier versions put on their locked files); dpkg-dev, file, man-db,
# desktop-file-utils and unzip build and check the packages (scripts/package.sh).
packages=(cmake g++ make libncurses-dev libgtest-dev tmux clang-format procps attr e2fsprogs
    dpkg-dev file man-db desktop-file-utils unzip clang-14 libclang-rt-14-dev)
for flag in "$@"; do
    case $flag in
    --windows) packages+=(g++-mingw-w64-x86-64-posix wine64) ;;
    --package) packages+=(lintian git) ;;
    --bench) packages+=(python3 time hyperfine fd-find systemd util-linux findutils linux-perf) ;;
    *) echo "usage: install-deps.sh [--windows] [--package] [--bench]" >&2 && exit 2 ;;
    esac
done

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    sudo_cmd=()
    [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
