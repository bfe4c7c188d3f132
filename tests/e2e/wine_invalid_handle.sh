#!/usr/bin/env bash
# A first run with standard output redirected: every drive that is not there gives exactly
# "Invalid Handle!" CR LF in the file (no CR CR LF from text mode), while the screens go to the
# console. The host root (Z:) is unmapped for this run, so the scan covers only the prefix's C:
# and the sandbox drive Q:; Esc in the menu ends the run before anything could be cleaned.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/wine_env.bash"
exe=$1

drive="$E2E_ROOT/q"
mkdir -p "$drive/Temp"
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
e2e_keys Escape
status=$(e2e_wait_exit 60)
[[ $status == 0 ]] || e2e_fail "exit status $status"
lines=$(grep -c "Invalid Handle!" "$out" || true)
((lines >= 20)) || e2e_fail "only $lines lines of Invalid Handle!"
[[ $(wc -c <"$out") -eq $((lines * 17)) ]] && ! grep -q $'\r\r' "$out" ||
    e2e_fail "not exactly CR LF: $(od -c "$out" | head -3)"
grep -qF 'Q:\TEMP' <(tr -d '\r' <"$drive/KEHRWIX.INI" | tr a-z A-Z) || e2e_fail "sandbox hit missing"
[[ $(cat "$drive/Temp/canary") == keep ]] || e2e_fail "canary touched"
echo "ok: invalid handle"
