#!/usr/bin/env bash
# With standard output redirected the screens still go to the console (CONOUT$): the prompt
# shows, a key opens the menu, and nothing is cleaned. (Wine's console reads its keys from the
# standard input of the Wine process, so the CONIN$ fall-back cannot be shown here.)
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/wine_env.bash"
exe=$1

mkdir -p "$E2E_ROOT/start" "$E2E_ROOT/config" "$E2E_ROOT/junk"
echo junk >"$E2E_ROOT/junk/a.tmp"
printf ' %s\r\n' "$(wine_path "$E2E_ROOT/junk")" >"$E2E_ROOT/config/KEHRWIX.INI"

e2e_start "$E2E_ROOT/start" env "WINEPREFIX=$WINEPREFIX" WINEDEBUG=-all \
    "KEHRWIX=$(wine_path "$E2E_ROOT/config")" bash -c '"$0" "$1" >"$2"' \
    "$WINE" "$exe" "$E2E_ROOT/stdout.log"
e2e_wait_for "kehrwix     press any key to menue" 60
e2e_keys x
e2e_wait_for "(Z)eige Pfade" 30
e2e_keys Escape
status=$(e2e_wait_exit 60)
[[ $status == 0 ]] || e2e_fail "exit status $status"
[[ -e $E2E_ROOT/junk/a.tmp ]] || e2e_fail "cleaned although a key was pressed"
echo "ok: redirected"
