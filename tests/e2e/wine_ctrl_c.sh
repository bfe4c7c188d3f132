#!/usr/bin/env bash
# Ctrl+C ends the Windows build under Wine within a second wherever it is: in the menu, and
# 0.3 s into a long clean, where the rest of the files stay. Either way the run's chmod.com is
# gone from the start folder and nothing outside the listed folder is touched.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/wine_env.bash"
exe=$1
root=$E2E_ROOT

mkdir -p "$root/start" "$root/config" "$root/T/many"
echo canary >"$root/canary.txt"
(cd "$root/T/many" && seq -f "f%05g.tmp" 1 20000 | xargs touch)
printf '*%s\r\n' "$(wine_path "$root/T")" >"$root/config/KEHRWIX.INI"

ended_by_ctrl_c() {
    e2e_keys C-c
    e2e_wait_exit 1 >/dev/null
    [[ -z $(ls -A "$root/start") ]] || e2e_fail "Ctrl+C $1 left $(ls -A "$root/start")"
    [[ -e $root/canary.txt ]] || e2e_fail "canary gone"
}

wine_start "$root/start" "$exe" "KEHRWIX=$(wine_path "$root/config")"
e2e_wait_for "kehrwix     press any key to menue" 60
[[ -n $(ls -A "$root/start") ]] || e2e_fail "no chmod.com in the start folder"
e2e_keys x
e2e_wait_for "(Z)eige Pfade" 20
ended_by_ctrl_c "in the menu"
[[ $(find "$root/T/many" -type f | wc -l) == 20000 ]] || e2e_fail "the menu's Ctrl+C cleaned"
e2e_stop

wine_start "$root/start" "$exe" "KEHRWIX=$(wine_path "$root/config")"
e2e_wait_for "cleaning" 60
sleep 0.3
ended_by_ctrl_c "while cleaning"
left=$(find "$root/T/many" -type f | wc -l)
((left > 100)) || e2e_fail "only $left files left after Ctrl+C"
echo "ok: wine Ctrl+C"
