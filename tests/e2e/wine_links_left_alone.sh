#!/usr/bin/env bash
# Links planted in a folder being emptied never lead the cleaning run outside it. Wine shows a
# host symbolic link as the thing it points to, which makes this the hard case.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/wine_env.bash"
exe=$1
root=$E2E_ROOT

mkdir -p "$root/start" "$root/config" "$root/outside/folder" "$root/tree/real"
echo canary >"$root/outside/folder/canary.txt"
echo canary >"$root/outside/canary-file.txt"
echo junk >"$root/tree/real/junk.tmp"
echo junk >"$root/tree/junk.tmp"
ln -s "$root/outside/folder" "$root/tree/folder-link"
ln -s "$root/outside/canary-file.txt" "$root/tree/file-link"
ln -s "$root/outside" "$root/tree/real/deeper-link"

printf '*%s\r\n' "$(wine_path "$root/tree")" >"$root/config/KEHRWIX.INI"

wine_start "$root/start" "$exe" "KEHRWIX=$(wine_path "$root/config")"
e2e_wait_for " fertig." 60
status=$(e2e_wait_exit 60)
[[ $status == 0 ]] || e2e_fail "exit status $status"

[[ $(cat "$root/outside/folder/canary.txt" 2>/dev/null) == canary ]] ||
    e2e_fail "a file behind a folder link was touched"
[[ $(cat "$root/outside/canary-file.txt" 2>/dev/null) == canary ]] ||
    e2e_fail "the file behind a file link was touched"
[[ ! -e $root/tree/junk.tmp && ! -e $root/tree/real/junk.tmp ]] ||
    e2e_fail "files beside the links were not deleted"
echo "ok: links left alone"
