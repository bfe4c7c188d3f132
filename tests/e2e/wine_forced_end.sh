#!/usr/bin/env bash
# Standard output redirected: the screens still go to the console (CONOUT$), so a key at the
# prompt opens the menu. An interrupt there (Wine turns it into a console control event, as
# Ctrl+Break would be) ends the program with status 0, its chmod.com removed, nothing cleaned.
# (Wine's console reads its keys from the Wine process's standard input, so the CONIN$
# fall-back for a redirected standard input cannot be shown here.)
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
[[ -e $E2E_ROOT/start/chmod.com ]] || e2e_fail "chmod.com was not written"
# Only the program in this test's own pane (below the redirecting shell): other runs may be
# under way on the machine.
pane=$(tmux -L "$E2E_SOCKET" display -p -t main '#{pane_pid}')
pid=$(pgrep -x kehrwix.exe -P "$(pgrep -d, -P "$pane")") || e2e_fail "program not found"
kill -INT "$pid"
status=$(e2e_wait_exit 30)
[[ $status == 0 ]] || e2e_fail "exit status $status"
[[ ! -e $E2E_ROOT/start/chmod.com ]] || e2e_fail "chmod.com left behind"
[[ -e $E2E_ROOT/junk/a.tmp ]] || e2e_fail "cleaned although a key was pressed"
echo "ok: forced end"
