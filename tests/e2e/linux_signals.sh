#!/usr/bin/env bash
# The terminal is given back on every way out: SIGTERM and SIGHUP while the menu waits leave the
# alternate screen, mouse reporting off and the shell usable; nothing was cleaned, the run's
# chmod.com is gone and the program ended as the signal ends it.
source "$(dirname "$0")/lib.sh"
binary=$(realpath "$1")

drive="$E2E_ROOT/c"
mkdir -p "$drive/T"
printf '*C:\\T\r\n' >"$drive/KEHRWIX.INI"
echo junk >"$drive/T/a.tmp"

for signal in TERM HUP; do
    e2e_kehrwix "$drive" "$binary"
    e2e_wait_for "press any key to menue" 10
    e2e_keys x
    e2e_wait_for "(Z)eige Pfade" 10
    pid=$(e2e_pid "$binary\$")
    kill -s "$signal" "$pid"
    status=$(e2e_wait_exit 10)
    [[ $status == $((128 + $(kill -l "$signal"))) ]] || e2e_fail "SIG$signal: exit status $status"
    [[ ! -e $drive/chmod.com ]] || e2e_fail "SIG$signal left chmod.com"
    sleep 0.3
    e2e_capture | grep -qF "(Z)eige Pfade" && e2e_fail "SIG$signal left the menu on screen"
    # Mouse tracking must be off again: the pane reports no mouse mode.
    mode=$(tmux -L "$E2E_SOCKET" display -p -t main '#{mouse_any_flag}#{mouse_sgr_flag}')
    [[ $mode == 00 ]] || e2e_fail "mouse reporting still on after SIG$signal ($mode)"
    [[ -e $drive/T/a.tmp ]] || e2e_fail "a killed run cleaned anyway"
    e2e_stop
done
echo "linux_signals: ok"
