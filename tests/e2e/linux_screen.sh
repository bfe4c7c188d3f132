#!/usr/bin/env bash
# What a real terminal shows beyond the menu: the last picture stays after the end (tmux keeps
# its default alternate screen), the cleaning run shows each folder while it works, and with
# standard output redirected the screens and keys still use the terminal.
source "$(dirname "$0")/lib.sh"
binary=$(realpath "$1")

drive="$E2E_ROOT/c"
mkdir -p "$drive/F1" "$drive/F2" "$drive/T" "$drive/outside"
echo keep >"$drive/outside/canary"
run() { e2e_start "$drive" env TERM=xterm-256color KEHRWIX_DRIVES="C:=$drive" KEHRWIX='C:\' "$@"; }
# Everything the pane holds, its scroll-back included: the picture is printed below the shell's
# last line, so its top row may have scrolled out of sight.
pane_with_history() { tmux -L "$E2E_SOCKET" capture-pane -p -S -50 -t main; }
ended_on_normal_screen() {
    [[ $(tmux -L "$E2E_SOCKET" display -p -t main '#{alternate_on}') == 0 ]] ||
        e2e_fail "still on the alternate screen"
}

# The help-only course: page 2 stays after the end.
: >"$drive/KEHRWIX.INI"
run "$binary" '?'
e2e_wait_for "Temp-Dateien  Kehrwix 2.2" 10
e2e_keys Escape
e2e_wait_for "Die Registry wird nicht angefasst" 10
e2e_keys Escape
[[ $(e2e_wait_exit 10) == 0 ]] || e2e_fail "help-only course: exit status"
ended_on_normal_screen
pane_with_history | grep -qF "Sie können vor dem cleaning" || e2e_fail "page 2 gone after the end"
tmux -L "$E2E_SOCKET" kill-server

# Standard output redirected to a file: the prompt still takes a key, the menu opens, and
# nothing is cleaned.
echo junk >"$drive/T/a.tmp"
printf '*C:\\T\r\n' >"$drive/KEHRWIX.INI"
run bash -c '"$0" >"$1"' "$binary" "$E2E_ROOT/stdout.log"
e2e_wait_for "press any key to menue" 10
e2e_keys x
e2e_wait_for "(Z)eige Pfade" 10
[[ -e $drive/T/a.tmp ]] || e2e_fail "redirected run cleaned despite the key"
e2e_keys Escape
[[ $(e2e_wait_exit 10) == 0 ]] || e2e_fail "redirected run: exit status"
[[ -e $drive/T/a.tmp ]] || e2e_fail "redirected run cleaned after Esc"
tmux -L "$E2E_SOCKET" kill-server

# Two files-only lines of 60,000 files each: row 3 names each folder while it is emptied, long
# before the run ends.
for folder in F1 F2; do (cd "$drive/$folder" && seq -f "%06g.tmp" 1 60000 | xargs touch); done
printf ' C:\\F1\r\n C:\\F2\r\n' >"$drive/KEHRWIX.INI"
row3() { e2e_capture | sed -n 3p; }
shows_folder_running() {
    row3 | grep -qF "cleaning  C:\\$1  ohne Sub-dir." && ! e2e_shows " fertig."
}
run "$binary"
e2e_until 30 shows_folder_running F1 || e2e_fail "row 3 never showed C:\\F1 while it was emptied"
e2e_until 30 shows_folder_running F2 || e2e_fail "row 3 never showed C:\\F2 while it was emptied"
e2e_wait_for " fertig." 60
[[ $(e2e_wait_exit 15) == 0 ]] || e2e_fail "cleaning run: exit status"
ended_on_normal_screen
e2e_shows " fertig." || e2e_fail '" fertig. " gone after the end'
[[ -z $(ls "$drive/F1") && -z $(ls "$drive/F2") ]] || e2e_fail "files left behind"
[[ $(cat "$drive/outside/canary") == keep ]] || e2e_fail "canary touched"
echo "linux_screen: ok"
