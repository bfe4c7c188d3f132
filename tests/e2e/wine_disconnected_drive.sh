#!/usr/bin/env bash
# A later run whose path list names a drive letter that is mapped but leads nowhere (a
# disconnected drive) and one that is not mapped at all: the prompt comes at once, both lines
# are passed over, and the listed folder on a drive that is there is still emptied. (Wine has no
# network drive whose server is gone; what it shows is that no letter is waited on.)
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/wine_env.bash"
exe=$1
root=$E2E_ROOT

mkdir -p "$root/start" "$root/config" "$root/tree/sub"
echo junk >"$root/tree/sub/junk.tmp"
dosdevices=$WINEPREFIX/dosdevices
ln -sfn "$root/gone" "$dosdevices/r:"
rm -f "$dosdevices/s:"
trap 'rm -f "$dosdevices/r:"; e2e_cleanup' EXIT
printf '*R:\\Temp\r\n*S:\\Temp\r\n*%s\r\n' "$(wine_path "$root/tree")" >"$root/config/KEHRWIX.INI"

started=$(date +%s)
wine_start "$root/start" "$exe" "KEHRWIX=$(wine_path "$root/config")"
e2e_wait_for "kehrwix     press any key to menue" 60
waited=$(($(date +%s) - started))
# Starting Wine itself takes a few seconds; a letter waited on would take its time-out on top.
((waited < 30)) || e2e_fail "the prompt took $waited s"
e2e_wait_for " fertig." 60
e2e_ended 60
[[ -d $root/tree && -z $(ls -A "$root/tree") ]] || e2e_fail "the listed folder was not emptied"
echo "ok: disconnected drive (prompt after $waited s)"
