#!/usr/bin/env bash
# A first run with standard output redirected: every drive that is not there gives exactly
# "Invalid Handle!" CR LF in the file (no CR CR LF from text mode), while the screens go to the
# console (CONOUT$). The host root (Z:) is unmapped for this run, so the scan covers only the
# prefix's C: and the sandbox drive Q:. In the menu the cursor keys choose a folder and m stores
# it; an interrupt (Wine turns it into a console control event, as Ctrl+Break would be) then
# ends the program with status 0, its chmod.com removed.
# (Wine's console reads its keys from the Wine process's standard input, so the CONIN$
# fall-back for a redirected standard input cannot be shown here.)
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/wine_env.bash"
exe=$1

drive="$E2E_ROOT/q"
mkdir -p "$drive/Temp" "$drive/KEEP" "$drive/LOGS"
echo keep >"$drive/Temp/canary"
: >"$drive/KEHRWIX.INI"
cp "$exe" "$drive/kehrwix.exe"
dosdevices=$WINEPREFIX/dosdevices
ln -sfn "$drive" "$dosdevices/q:"
mv "$dosdevices/z:" "$dosdevices/z-off"
trap 'mv "$dosdevices/z-off" "$dosdevices/z:"; rm -f "$dosdevices/q:"; e2e_cleanup' EXIT

out=$E2E_ROOT/stdout.log
e2e_start "$drive" env "WINEPREFIX=$WINEPREFIX" WINEDEBUG=-all 'KEHRWIX=Q:\' \
    bash -c '"$0" "$1" >"$2"' "$WINE" "$drive/kehrwix.exe" "$out"
e2e_wait_for "Temp-Dateien  Kehrwix 2.2" 60
e2e_keys Escape
e2e_wait_for "Als nächstes werden jetzt alle Laufwerke" 30
e2e_keys Escape
e2e_wait_for "(Z)eige Pfade" 120
[[ -e $drive/chmod.com ]] || e2e_fail "chmod.com was not written"
e2e_keys Down  # from KEEP onto LOGS
e2e_literal m
e2e_wait_for '    Q:\LOGS' 10
sleep 0.5  # the list display drops keys typed in its first 200 ms
e2e_keys Space
e2e_wait_for "(Z)eige Pfade" 10
# Only the program in this test's own pane (below the redirecting shell): other runs may be
# under way on the machine.
pane=$(tmux -L "$E2E_SOCKET" display -p -t main '#{pane_pid}')
pid=$(pgrep -x kehrwix.exe -P "$(pgrep -d, -P "$pane")") || e2e_fail "program not found"
kill -INT "$pid"
e2e_ended 60
[[ ! -e $drive/chmod.com ]] || e2e_fail "chmod.com left behind"
lines=$(grep -c "Invalid Handle!" "$out" || true)
((lines >= 20)) || e2e_fail "only $lines lines of Invalid Handle!"
[[ $(wc -c <"$out") -eq $((lines * 17)) ]] && ! grep -q $'\r\r' "$out" ||
    e2e_fail "not exactly CR LF: $(od -c "$out" | head -3)"
grep -qF 'Q:\TEMP' <(tr -d '\r' <"$drive/KEHRWIX.INI" | tr a-z A-Z) || e2e_fail "sandbox hit missing"
grep -qxF ' Q:\LOGS' <(tr -d '\r' <"$drive/KEHRWIX.INI") || e2e_fail "the stored folder is missing"
[[ $(cat "$drive/Temp/canary") == keep ]] || e2e_fail "canary touched"
echo "ok: redirected output"
