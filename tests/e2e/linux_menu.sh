#!/usr/bin/env bash
# The menu in a real terminal (a key at the prompt opens it; the help pages and the scan of a first
# run are the demo drive test's): the arrow keys, Enter and the mouse choose folders, m and s store them, c cleans the listed
# folders and the program ends with status 0. (What each menu command does is the program
# tests'; this is the terminal's part.)
source "$(dirname "$0")/lib.sh"
binary=$(realpath "$1")

drive="$E2E_ROOT/c"
mkdir -p "$drive/TEMP/sub" "$drive/PROJ/BUILD/obj" "$drive/PROJ/LOGS/old" "$drive/PROJ/SRC"
echo junk | tee "$drive/TEMP/sub/a.tmp" "$drive/PROJ/BUILD/obj/main.o" >"$drive/PROJ/LOGS/a.log"
echo keep | tee "$drive/PROJ/LOGS/old/last.log" >"$drive/PROJ/SRC/main.c"
# The path list display drops keys typed in its first 200 ms; close it after that.
close_list() {
    sleep 0.5
    e2e_keys Space
    e2e_wait_for "(Z)eige Pfade" 10
}

printf '*C:\\TEMP\\\r\n' >"$drive/KEHRWIX.INI"
e2e_menu "$drive" "$binary"
e2e_capture | grep -qF "C:\\KEHRWIX.INI" || e2e_fail "path list path missing from the legend"

# C:\ lists PROJ and TEMP; enter PROJ, whose list is the up entry, BUILD, LOGS and SRC.
e2e_keys Enter
e2e_wait_for "C:\\PROJ\\" 10
e2e_keys Down Down
e2e_literal m
e2e_wait_for "    C:\\PROJ\\LOGS" 10
close_list
# A mouse click (press and release) on the BUILD row, as an xterm reports it.
e2e_literal $'\e[<0;20;6M'
e2e_literal $'\e[<0;20;6m'
e2e_literal s
e2e_wait_for "   *C:\\PROJ\\BUILD" 10
close_list
e2e_literal c
e2e_ended 20
[[ -z $(ls -A "$drive/TEMP") && -z $(ls -A "$drive/PROJ/BUILD") ]] || e2e_fail "not emptied"
[[ ! -e $drive/PROJ/LOGS/a.log && -e $drive/PROJ/LOGS/old/last.log ]] || e2e_fail "LOGS wrong"
[[ -e $drive/PROJ/SRC/main.c ]] || e2e_fail "an unlisted folder was touched"
[[ ! -e $drive/chmod.com ]] || e2e_fail "attribute tool left behind"
echo "linux_menu: ok"
