#!/usr/bin/env bash
# A staged installation stays whole: a folder that PendingFileRenameOperations moves at the next
# restart keeps everything in it, whether it lies below a listed folder or is listed itself. A
# hard link in a listed folder to a read-only file outside never leaves that file writable.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/wine_env.bash"
exe=$1
root=$E2E_ROOT
key='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager'
staged="$root/temp/{setup-guid}"

mkdir -p "$root/start" "$root/config" "$staged/sub" "$root/temp/other" "$root/outside" \
    "$root/links"
for f in "$staged/payload.msi" "$staged/sub/data.cab"; do echo payload >"$f"; done
for f in temp/junk.tmp temp/other/junk.tmp links/junk.tmp; do echo junk >"$root/$f"; done
echo keep >"$root/outside/ro.txt"
chmod 444 "$root/outside/ro.txt"
ln "$root/outside/ro.txt" "$root/links/ro-link.tmp"
trap '"$WINE" reg delete "$key" /v PendingFileRenameOperations /f >/dev/null 2>&1; e2e_cleanup' EXIT

# The staged folder moves into Program Files at the next restart.
entries=("\\??\\$(wine_path "$staged")" '!\??\C:\Program Files\App\staged')
set_pending_renames "$key" "$root" "${entries[@]}"

printf '*%s\r\n*%s\r\n %s\r\n*%s\r\n' "$(wine_path "$staged")" "$(wine_path "$root/temp")" \
    "$(wine_path "$staged")" "$(wine_path "$root/links")" >"$root/config/KEHRWIX.INI"

wine_start "$root/start" "$exe" "KEHRWIX=$(wine_path "$root/config")"
e2e_wait_for " fertig." 60
e2e_ended 60

remaining=$(cd "$root/temp" && find . -mindepth 1 | sort | tr '\n' ' ')
expected="./{setup-guid} ./{setup-guid}/payload.msi ./{setup-guid}/sub ./{setup-guid}/sub/data.cab "
[[ $remaining == "$expected" ]] || e2e_fail "temp holds: $remaining"
[[ ! -e $root/links/junk.tmp ]] || e2e_fail "the file beside the hard link was not deleted"
[[ $(stat -c %a "$root/outside/ro.txt") == 444 ]] ||
    e2e_fail "the read-only file outside lost its attribute: $(stat -c %a "$root/outside/ro.txt")"
[[ $(cat "$root/outside/ro.txt") == keep ]] || e2e_fail "the file outside changed"
if [[ -e $root/links/ro-link.tmp ]]; then
    echo "note: the hard link stayed (this Wine deletes a read-only file only once it is cleared)"
fi
echo "ok: staged installs and links"
