#!/usr/bin/env bash
# A system tree met below a listed folder under another name stays whole: Program Files bound
# into a temp folder on the same drive is recognised by its identity and neither entered nor
# removed, while the folders beside it are emptied and removed. Needs root for the bind mount.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/wine_env.bash"
exe=$1
root=$E2E_ROOT
temp="$WINEPREFIX/drive_c/e2e-bind-temp"
programs="$WINEPREFIX/drive_c/Program Files"

mkdir -p "$root/start" "$root/config" "$temp/programs" "$temp/sub/deeper" "$programs/e2e-canary"
echo canary >"$programs/e2e-canary/canary.txt"
for f in junk.tmp sub/junk.tmp sub/deeper/junk.tmp; do echo junk >"$temp/$f"; done
if ! mount --bind "$programs" "$temp/programs" 2>/dev/null; then
    rm -rf "$temp" "$programs/e2e-canary"
    echo "wine_system_tree_below: skipped (no bind mount here)"
    exit 0
fi
trap 'umount "$temp/programs"; rm -rf "$temp" "$programs/e2e-canary"; e2e_cleanup' EXIT

printf '%s\r\n' '*C:\e2e-bind-temp' >"$root/config/KEHRWIX.INI"
wine_start "$root/start" "$exe" "KEHRWIX=$(wine_path "$root/config")"
e2e_wait_for " fertig." 60
e2e_ended 60

[[ $(cat "$programs/e2e-canary/canary.txt" 2>/dev/null) == canary ]] ||
    e2e_fail "a file inside Program Files is gone"
remaining=$(cd "$temp" && find . -mindepth 1 -maxdepth 1 | sort | tr '\n' ' ')
[[ $remaining == "./programs " ]] || e2e_fail "the temp folder holds: $remaining"
echo "ok: system tree below a listed folder"
