#!/usr/bin/env bash
# A later run in a real terminal: the prompt on a blue background, no key, the program cleans
# its list (a "*" line and a files-only line), shows " fertig. " and ends by itself with status
# 0, leaving the terminal restored with " fertig. " on it and everything outside the listed
# folders untouched.
source "$(dirname "$0")/lib.sh"
binary=$(realpath "$1")

drive="$E2E_ROOT/c"
mkdir -p "$drive/T/sub" "$drive/F/deeper" "$drive/outside"
printf '*C:\\T\r\n C:\\F\r\n' >"$drive/KEHRWIX.INI"
echo junk >"$drive/T/sub/a.tmp"
echo junk >"$drive/F/b.tmp"
echo keep >"$drive/F/deeper/c.tmp"
echo keep >"$drive/outside/canary"
ln -s "$drive/outside" "$drive/T/link"

e2e_start "$drive" env TERM=xterm-256color KEHRWIX_DRIVES="C:=$drive" KEHRWIX='C:\' "$binary"
e2e_wait_for "kehrwix     press any key to menue" 10
# Light grey on blue: the prompt row carries the blue background.
e2e_capture_colours | grep -F "press any key" | grep -qE $'\e\\[([0-9;]*;)?(44|48;5;4)(;[0-9;]*)?m' ||
    e2e_fail "prompt is not on a blue background"

e2e_wait_for " fertig." 10
status=$(e2e_wait_exit 15)
[[ $status == 0 ]] || e2e_fail "exit status $status"
[[ ! -e $drive/T/sub ]] || e2e_fail "T was not emptied"
[[ -d $drive/T ]] || e2e_fail "the listed folder itself was removed"
[[ ! -e $drive/F/b.tmp && -e $drive/F/deeper/c.tmp ]] || e2e_fail "files-only line wrong"
[[ $(cat "$drive/outside/canary") == keep ]] || e2e_fail "canary touched"
[[ ! -L $drive/T/link ]] || e2e_fail "link inside the listed folder not removed"
[[ ! -e $drive/chmod.com ]] || e2e_fail "attribute tool left behind"
# Back on the normal screen, where the last picture stays, as in a console window.
[[ $(tmux -L "$E2E_SOCKET" display -p -t main '#{alternate_on}') == 0 ]] ||
    e2e_fail "terminal not restored"
e2e_shows " fertig." || e2e_fail '" fertig. " gone after the end'
e2e_capture | grep -qF "press any key" && e2e_fail "an older picture shows"
echo "linux_prompt: ok"
