#!/usr/bin/env bash
# A first run in a real terminal: both help pages, the drive scan, then the menu. There the
# arrow keys and the mouse choose folders, m and s remember them, Z shows the list, and c
# cleans exactly the listed folders and ends with status 0.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/menu_steps.sh"
binary=$(realpath "$1")

drive="$E2E_ROOT/c"
mkdir -p "$drive/TEMP/sub" && echo junk | tee "$drive/TEMP/sub/a.tmp" >"$drive/TEMP/b.tmp"
menu_project "$drive/PROJ"

# A mouse click (press and release) at a 1-based screen position, as an xterm reports it.
click() { e2e_literal $'\e[<0;'"$2;$1M"; e2e_literal $'\e[<0;'"$2;$1m"; }

e2e_start "$drive" env TERM=xterm-256color KEHRWIX_DRIVES="C:=$drive" KEHRWIX='C:\' "$binary"
e2e_wait_for "Temp-Dateien  Kehrwix 2.2" 10
e2e_keys Space
e2e_wait_for "Als nächstes werden jetzt alle Laufwerke nach löschbaren Ordnern durchsucht." 10
e2e_keys Space
e2e_wait_for "(Z)eige Pfade" 20
e2e_capture | grep -qF "C:\\KEHRWIX.INI" || e2e_fail "path list path missing from the legend"

# C:\ lists PROJ and TEMP; enter PROJ, whose list is the up entry, BUILD, LOGS and SRC.
e2e_keys Enter
e2e_wait_for "C:\\PROJ\\" 10
e2e_keys Down Down
e2e_literal m
e2e_wait_for "    C:\\PROJ\\LOGS" 10
close_list
click 6 20  # the BUILD row
e2e_literal s
e2e_wait_for "   *C:\\PROJ\\BUILD" 10
close_list
e2e_literal Z
e2e_wait_for "zu leerende Verzeichnisse:" 10
listed=$(e2e_capture)
for line in '   *C:\TEMP\' '    C:\PROJ\LOGS' '   *C:\PROJ\BUILD'; do
    grep -qxF -- "$line" <<<"$listed" || e2e_fail "list lacks: $line"
done
close_list
menu_clean_checked "$drive/PROJ" 20
[[ -d $drive/TEMP && -z $(ls -A "$drive/TEMP") ]] || e2e_fail "TEMP was not emptied"
[[ -s $drive/KEHRWIX.INI ]] || e2e_fail "the path list file was lost"
[[ ! -e $drive/chmod.com ]] || e2e_fail "attribute tool left behind"
echo "linux_menu: ok"
