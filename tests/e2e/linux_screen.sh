#!/usr/bin/env bash
# What a real terminal shows: with standard output redirected the screens and keys still use the
# terminal, and a later run without a key shows the prompt on a blue background, names each
# folder on row 3 while it empties it, ends by itself with status 0 and leaves " fertig. " on
# the restored terminal, everything outside the listed folders untouched. (The help-only course
# and its last picture are the terminal test's.)
source "$(dirname "$0")/lib.sh"
binary=$(realpath "$1")

drive="$E2E_ROOT/c"
mkdir -p "$drive/F1/deeper" "$drive/F2" "$drive/T/sub" "$drive/outside"
echo keep >"$drive/outside/canary"
ended_on_normal_screen() {
    [[ $(tmux -L "$E2E_SOCKET" display -p -t main '#{alternate_on}') == 0 ]] ||
        e2e_fail "still on the alternate screen"
}

# Standard output redirected to a file: the prompt still takes a key, the menu opens, and
# nothing is cleaned.
echo junk >"$drive/T/sub/a.tmp"
printf '*C:\\T\r\n' >"$drive/KEHRWIX.INI"
e2e_menu "$drive" bash -c '"$0" >"$1"' "$binary" "$E2E_ROOT/stdout.log"
e2e_keys Escape
e2e_ended 10
[[ -e $drive/T/sub/a.tmp ]] || e2e_fail "redirected run cleaned despite the key"
e2e_stop

# A "*" line with a link inside, then two files-only lines of 60,000 files each: row 3 names
# each of those while it is emptied, long before the run ends.
ln -s "$drive/outside" "$drive/T/link"
echo keep >"$drive/F1/deeper/c.tmp"
for folder in F1 F2; do (cd "$drive/$folder" && seq -f "%06g.tmp" 1 60000 | xargs touch); done
printf '*C:\\T\r\n C:\\F1\r\n C:\\F2\r\n' >"$drive/KEHRWIX.INI"
shows_folder_running() {
    e2e_capture | sed -n 3p | grep -qF "cleaning  C:\\$1  ohne Sub-dir." && ! e2e_shows " fertig."
}
e2e_kehrwix "$drive" "$binary"
e2e_wait_for "kehrwix     press any key to menue" 10
# Light grey on blue: the prompt row carries the blue background.
e2e_capture_colours | grep -F "press any key" | grep -qE $'\e\\[([0-9;]*;)?(44|48;5;4)(;[0-9;]*)?m' ||
    e2e_fail "prompt is not on a blue background"
e2e_until 30 shows_folder_running F1 || e2e_fail "row 3 never showed C:\\F1 while it was emptied"
e2e_until 30 shows_folder_running F2 || e2e_fail "row 3 never showed C:\\F2 while it was emptied"
e2e_wait_for " fertig." 60
e2e_ended 15
ended_on_normal_screen
e2e_shows " fertig." || e2e_fail '" fertig. " gone after the end'
e2e_capture | grep -qF "press any key" && e2e_fail "an older picture shows"
[[ -d $drive/T && -z $(ls -A "$drive/T") ]] || e2e_fail "T was not emptied, link included"
[[ $(ls "$drive/F1") == deeper && -e $drive/F1/deeper/c.tmp ]] || e2e_fail "files-only line wrong"
[[ -z $(ls "$drive/F2") ]] || e2e_fail "files left behind"
[[ $(cat "$drive/outside/canary") == keep ]] || e2e_fail "canary touched"
[[ ! -e $drive/chmod.com ]] || e2e_fail "attribute tool left behind"
echo "linux_screen: ok"
