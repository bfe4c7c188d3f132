#!/usr/bin/env bash
# A first run as a new user would start it, with C: mapped onto this machine's "/", and the path
# list on a sandbox drive. A first run only scans and writes the list (Esc then leaves the
# menu), so it reads the machine and changes nothing outside the sandbox. No hit may lie in
# installed software, system state or a package tree, and /tmp must be one.
source "$(dirname "$0")/lib.sh"
binary=$(realpath "$1")

drive="$E2E_ROOT/d"
mkdir -p "$drive/work"
ini="$drive/work/KEHRWIX.INI"
: >"$ini"  # empty: a first run, which never cleans

e2e_start "$drive/work" env TERM=xterm-256color KEHRWIX_DRIVES="C:=/;D:=$drive" KEHRWIX='D:\work' \
    "$binary"
e2e_wait_for "Temp-Dateien  Kehrwix 2.2" 10
e2e_keys Escape
e2e_wait_for "Als nächstes werden jetzt alle Laufwerke" 10
e2e_keys Escape
e2e_wait_for "(Z)eige Pfade" 600
# "Invalid Handle!" for the unmapped drives went through the screen: no stray cell in the path
# frame, and its rows keep the blue background.
menu=$(e2e_capture)
frame_bottom="   ╚$(printf '═%.0s' {1..68})╝"
[[ $(sed -n 3p <<<"$menu") == "$frame_bottom" ]] || e2e_fail "row 3 is not the frame's bottom"
grep -qF "Invalid Handle" <<<"$menu" && e2e_fail "scan output left on the menu"
sgr=$(e2e_capture_colours | sed -n 1,3p | grep -oE $'\e\\[[0-9;]*m' | tr -d $'\e[m' || true)
grep -qxE '(|.*;)(0|40|49)(;.*|)|' <<<"$sgr" && e2e_fail "the path frame rows lost their blue background"
e2e_keys Escape
e2e_ended 10

hits=$(tr -d '\r' <"$ini")
grep -qxF '*C:\tmp\' <<<"$hits" || e2e_fail "/tmp is not a hit: $hits"
refused=$(grep -iE '^.C:\\(usr|var\\lib|etc|opt)\\|\\(node_modules|site-packages|dist-packages|vendor|\.git|\.hg|\.svn|steamapps)\\' <<<"$hits" || true)
[[ -z $refused ]] || e2e_fail "hits in system or package trees: $refused"
[[ ! -e "$drive/work/kehrwix.tmp" ]] || e2e_fail "hits file left behind"
echo "linux_first_run_real_machine: ok ($(wc -l <<<"$hits") hits)"
