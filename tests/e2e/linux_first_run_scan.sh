#!/usr/bin/env bash
# A first run in a real terminal with Esc at every wait: the help, the scan of the sandbox drive
# (status line, "Invalid Handle!" for the unmapped drives), a clean menu, and a KEHRWIX.INI holding
# the hits in reverse order of discovery. Dot folders and links are left out.
source "$(dirname "$0")/lib.sh"
binary=$(realpath "$1")

drive="$E2E_ROOT/c"
mkdir -p "$drive/Alpha/Temp" "$drive/Beta/cache/TEMP" "$drive/.hidden/tmp" "$drive/work"
ln -s "$drive/Alpha" "$drive/work/tmp"
: >"$drive/work/KEHRWIX.INI"

e2e_start "$drive/work" env TERM=xterm-256color KEHRWIX_DRIVES="C:=$drive" KEHRWIX='C:\work' \
    "$binary"
e2e_wait_for "Temp-Dateien  Kehrwix 2.2" 10
e2e_keys Escape
e2e_wait_for "Als nächstes werden jetzt alle Laufwerke" 10
e2e_keys Escape
e2e_wait_for "(Z)eige Pfade" 20
# "Invalid Handle!" for D: to Z: went through the screen: no stray cell in the path frame, and
# its rows keep the blue background.
menu=$(e2e_capture)
frame_bottom="   ╚$(printf '═%.0s' {1..68})╝"
[[ $(sed -n 3p <<<"$menu") == "$frame_bottom" ]] || e2e_fail "row 3 is not the frame's bottom"
grep -qF "Invalid Handle" <<<"$menu" && e2e_fail "scan output left on the menu"
sgr=$(e2e_capture_colours | sed -n 1,3p | grep -oE $'\e\\[[0-9;]*m' | tr -d $'\e[m' || true)
grep -qxE '(|.*;)(0|40|49)(;.*|)|' <<<"$sgr" && e2e_fail "the path frame rows lost their blue background"
e2e_keys Escape
status=$(e2e_wait_exit 10)
[[ $status == 0 ]] || e2e_fail "exit status $status"

# Sibling order is the file system's listing order; a parent is always found before its
# subfolders, so it is written after them.
ini="$drive/work/KEHRWIX.INI"
[[ $(tr -d '\r' <"$ini" | LC_ALL=C sort) == $'*C:\\Alpha\\Temp\\\n*C:\\Beta\\cache\\\n*C:\\Beta\\cache\\TEMP\\' ]] ||
    e2e_fail "KEHRWIX.INI: $(od -c "$ini" | head)"
[[ $(grep -n 'cache\\TEMP' "$ini" | cut -d: -f1) -lt $(grep -n 'cache\\.$' "$ini" | cut -d: -f1) ]] ||
    e2e_fail "a parent stands before its subfolder"
[[ ! -e "$drive/work/kehrwix.tmp" ]] || e2e_fail "hits file left behind"
echo "linux_first_run_scan: ok"
