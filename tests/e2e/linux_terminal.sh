#!/usr/bin/env bash
# The program in a real terminal, with and without an alternate screen: mouse reporting is on
# while the menu waits, so a click through the terminal reaches it; Ctrl+C (at the prompt, in
# the menu, 0.3 s into a long clean) ends it within a second, SIGTERM and SIGHUP in the menu as
# the signal ends it, each with the terminal given back, its chmod.com gone and the rest left
# alone; the last picture is there once and has not scrolled; a window smaller than 80x25 says
# so and the screen comes back when it grows; redirected standard output gets nothing.
source "$(dirname "$0")/lib.sh"
binary=$(realpath "$1")

drive="$E2E_ROOT/c"
mkdir -p "$drive/A" "$drive/B" "$drive/T"
printf '*C:\\T\r\n' >"$drive/KEHRWIX.INI"
echo keep >"$E2E_ROOT/canary"
echo junk >"$drive/T/a.tmp"

# Ends within a second, through the end step, with nothing cleaned.
ended_by_ctrl_c() {
    e2e_keys C-c
    e2e_wait_exit 1 >/dev/null
    [[ -e $drive/T/a.tmp && -e $E2E_ROOT/canary ]] || e2e_fail "Ctrl+C $1 cleaned"
    [[ ! -e $drive/chmod.com ]] || e2e_fail "Ctrl+C $1 left chmod.com"
}

for alternate in on off; do
    e2e_kehrwix "$drive" "$binary"
    tmux -L "$E2E_SOCKET" set-option -g alternate-screen "$alternate"
    e2e_attach
    e2e_wait_for "press any key to menue" 10
    [[ -e $drive/chmod.com ]] || e2e_fail "no chmod.com written"
    e2e_keys x
    e2e_wait_for "(Z)eige Pfade" 10
    [[ $(e2e_flag mouse_any_flag)$(e2e_flag mouse_sgr_flag) == 11 ]] ||
        e2e_fail "mouse reporting off while the menu waits (alternate screen $alternate)"
    # A double-click on T's row, as the terminal reports it: the menu opens T.
    e2e_client_input '\e[<0;20;7M\e[<0;20;7m\e[<0;20;7M\e[<0;20;7m'
    e2e_wait_for "C:\\T\\" 5
    ended_by_ctrl_c "in the menu"
    [[ $(e2e_flag mouse_any_flag) == 0 ]] || e2e_fail "mouse reporting left on"
    # The last picture, once, from the top row: nothing scrolled.
    e2e_capture | head -1 | grep -qF "╔═══" || e2e_fail "the last picture scrolled"
    count=$(tmux -L "$E2E_SOCKET" capture-pane -p -S -200 -t main | grep -cF "C:\\T\\")
    [[ $count == 1 ]] || e2e_fail "the last picture shows $count times (alternate screen $alternate)"
    e2e_stop
done

e2e_kehrwix "$drive" "$binary"
e2e_wait_for "press any key to menue" 10
ended_by_ctrl_c "at the prompt"
e2e_stop

for signal in TERM HUP; do
    e2e_menu "$drive" "$binary"
    kill -s "$signal" "$(e2e_pid "$binary\$")"
    status=$(e2e_wait_exit 10)
    [[ $status == $((128 + $(kill -l "$signal"))) ]] || e2e_fail "SIG$signal: exit status $status"
    [[ -e $drive/T/a.tmp && ! -e $drive/chmod.com ]] || e2e_fail "SIG$signal: cleaned or chmod.com"
    sleep 0.3
    e2e_shows "(Z)eige Pfade" && e2e_fail "SIG$signal left the menu on screen"
    [[ $(e2e_flag mouse_any_flag)$(e2e_flag mouse_sgr_flag) == 00 ]] || e2e_fail "SIG$signal: mouse on"
    e2e_stop
done

# Too small, then big enough again.
e2e_menu "$drive" "$binary"
tmux -L "$E2E_SOCKET" resize-window -t main -x 70 -y 20
e2e_wait_for "braucht ein Fenster von 80x25 Zeichen" 5
tmux -L "$E2E_SOCKET" resize-window -t main -x 80 -y 25
e2e_wait_for "(Z)eige Pfade" 5
e2e_keys Escape
e2e_ended 5
e2e_stop

# Standard output redirected: the help shows on the terminal, the file stays empty.
e2e_kehrwix "$drive" sh -c "exec $(printf %q "$binary") '?' >$(printf %q "$E2E_ROOT/out.txt")"
e2e_wait_for "Temp-Dateien  Kehrwix" 10
e2e_keys Space
sleep 0.3
e2e_keys Space
e2e_ended 5
# Page 2 stays on the normal screen; it may have scrolled below the shell's last line.
[[ $(e2e_flag alternate_on) == 0 ]] || e2e_fail "still on the alternate screen"
tmux -L "$E2E_SOCKET" capture-pane -p -S -50 -t main | grep -qF "Sie können vor dem cleaning" ||
    e2e_fail "page 2 gone after the end"
[[ -f $E2E_ROOT/out.txt && ! -s $E2E_ROOT/out.txt ]] || e2e_fail "bytes in redirected output"
[[ -e $drive/T/a.tmp ]] || e2e_fail "the help cleaned"
e2e_stop

# A terminal that cannot be drawn on gets lines: the help pages wait for keys, a key at the
# prompt ends without cleaning and says so; without a key the run cleans and says " fertig. ".
for term in dumb unknown-to-terminfo; do
    e2e_start "$drive" env TERM=$term KEHRWIX_DRIVES="C:=$drive" KEHRWIX='C:\' "$binary" -h
    e2e_wait_for "Temp-Dateien  Kehrwix" 10
    e2e_keys Space
    e2e_wait_for "nachsehen und ggf. selbst" 5
    e2e_keys Space
    e2e_ended 5
    e2e_stop
    e2e_start "$drive" env TERM=$term KEHRWIX_DRIVES="C:=$drive" KEHRWIX='C:\' "$binary"
    e2e_wait_for "kehrwix     press any key to menue" 10
    e2e_keys x
    e2e_ended 5
    e2e_shows "Das Menü braucht ein Terminal" || e2e_fail "no line says why the menu is missing"
    [[ -e $drive/T/a.tmp ]] || e2e_fail "a key at the prompt cleaned (TERM=$term)"
    e2e_stop
done
e2e_start "$drive" env -u TERM KEHRWIX_DRIVES="C:=$drive" KEHRWIX='C:\' "$binary"
e2e_wait_for "cleaning" 10
e2e_ended 10
e2e_capture | grep -q "^ fertig\. " || e2e_fail "no fertig line"
[[ ! -e $drive/T/a.tmp && -e $E2E_ROOT/canary ]] || e2e_fail "line mode did not clean T alone"
e2e_stop

# The options end before anything is read or written.
echo junk >"$drive/T/a.tmp"
cd "$drive"
run() { KEHRWIX_DRIVES="C:=$drive" KEHRWIX='C:\' "$binary" "$@" </dev/null; }
[[ $(run --version 2>&1) == "kehrwix "[0-9]* ]] || e2e_fail "--version"
out=$(run --bogus 2>"$E2E_ROOT/err") && e2e_fail "--bogus ended with 0"
[[ $? == 2 && -z $out && $(cat "$E2E_ROOT/err") == usage:* ]] || e2e_fail "--bogus: no usage"
for option in -h --help; do
    [[ -z $(run "$option" 2>&1) ]] || e2e_fail "$option wrote output without a terminal"
done
[[ -e $drive/T/a.tmp && ! -e $drive/chmod.com ]] || e2e_fail "an option cleaned or left chmod.com"
cd - >/dev/null

# Ctrl+C 0.3 s into a clean of 60,000 files: most of them stay.
mkdir -p "$drive/T/many"
(cd "$drive/T/many" && seq -f "f%05g.tmp" 1 60000 | xargs touch)
e2e_kehrwix "$drive" "$binary"
e2e_wait_for "cleaning" 10
sleep 0.3
e2e_keys C-c
e2e_wait_exit 1 >/dev/null
left=$(find "$drive/T/many" -type f | wc -l)
((left > 1000)) || e2e_fail "only $left files left after Ctrl+C"
[[ -e $E2E_ROOT/canary && -e $drive/KEHRWIX.INI ]] || e2e_fail "canary gone"
[[ ! -e $drive/chmod.com ]] || e2e_fail "Ctrl+C while cleaning left chmod.com"
echo "linux_terminal: ok"
