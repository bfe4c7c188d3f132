#!/usr/bin/env bash
# Ctrl+Break (here the interrupt signal Wine turns into a console control event) while the menu
# waits: the program ends with status 0, its chmod.com removed and nothing cleaned.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/wine_env.bash"
exe=$1

mkdir -p "$E2E_ROOT/start" "$E2E_ROOT/config" "$E2E_ROOT/junk"
echo junk >"$E2E_ROOT/junk/a.tmp"
printf ' %s\r\n' "$(wine_path "$E2E_ROOT/junk")" >"$E2E_ROOT/config/KEHRWIX.INI"

wine_start "$E2E_ROOT/start" "$exe" "KEHRWIX=$(wine_path "$E2E_ROOT/config")"
e2e_wait_for "kehrwix     press any key to menue" 60
e2e_keys x
e2e_wait_for "(Z)eige Pfade" 30
[[ -e $E2E_ROOT/start/chmod.com ]] || e2e_fail "chmod.com was not written"
pid=$(pgrep -n -f 'kehrwix\.exe') || e2e_fail "program not found"
kill -INT "$pid"
status=$(e2e_wait_exit 30)
[[ $status == 0 ]] || e2e_fail "exit status $status"
[[ ! -e $E2E_ROOT/start/chmod.com ]] || e2e_fail "chmod.com left behind"
[[ -e $E2E_ROOT/junk/a.tmp ]] || e2e_fail "cleaned although the run was stopped"
echo "ok: forced end"
