#!/usr/bin/env bash
# With no key at the prompt the cleaning run empties the listed folders: a "*" line loses its
# whole subtree, a files-only line its files; everything outside them stays.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/wine_env.bash"
exe=$1
root=$E2E_ROOT

# "*" line: files at every level, a read-only one deep down. Files-only line: its subfolder stays.
# Beside them: a sibling whose name starts like a listed folder, and the sandbox root.
mkdir -p "$root/start" "$root/config" "$root/tree/A/A1" "$root/tree/B" "$root/files/keep-sub" \
    "$root/tree-sibling"
for f in tree/f1.tmp tree/f2.tmp tree/A/a.tmp tree/A/A1/a1.tmp tree/A/A1/readonly.tmp \
    files/x.tmp files/y.log; do
    echo junk >"$root/$f"
done
chmod a-w "$root/tree/A/A1/readonly.tmp"
for f in files/keep-sub tree-sibling .; do echo canary >"$root/$f/canary.txt"; done

printf '*%s\r\n %s\\\r\n' "$(wine_path "$root/tree")" "$(wine_path "$root/files")" \
    >"$root/config/KEHRWIX.INI"
cp "$root/config/KEHRWIX.INI" "$root/expected.ini"

wine_start "$root/start" "$exe" "KEHRWIX=$(wine_path "$root/config")"
e2e_wait_for "kehrwix     press any key to menue" 60
e2e_wait_for " fertig." 60
status=$(e2e_wait_exit 60)
[[ $status == 0 ]] || e2e_fail "exit status $status"

remaining=$(cd "$root/tree" && find . -mindepth 1 | sort | tr '\n' ' ')
[[ -d $root/tree && -z $remaining ]] || e2e_fail "tree not emptied: $remaining"
remaining=$(cd "$root/files" && find . -mindepth 1 | sort | tr '\n' ' ')
[[ $remaining == "./keep-sub ./keep-sub/canary.txt " ]] ||
    e2e_fail "files-only folder holds: $remaining"
[[ -f $root/tree-sibling/canary.txt && -f $root/canary.txt ]] || e2e_fail "a canary is gone"
cmp -s "$root/config/KEHRWIX.INI" "$root/expected.ini" || e2e_fail "the path list file changed"
leftover=$(ls -A "$root/start")
[[ -z $leftover ]] || e2e_fail "start folder not left clean: $leftover"
echo "ok: unattended clean"
