#!/usr/bin/env bash
# A later run of the Windows build shows its prompt on a blue background and, with no key, empties
# the listed folders and ends by itself with status 0: a "*" line loses its whole subtree, a
# files-only line its files. Links planted in a listed folder never lead outside it (Wine shows a
# host symbolic link as the thing it points to, which makes this the hard case); files Windows
# will replace or delete at the next restart stay, with their folder; lines an earlier version
# stored inside installed software (the Program Files folder Wine names in the environment) and
# package trees (node_modules) are skipped. Programs found in a folder being emptied or in C:\bat
# (a deltree.exe, a chmod.com) are never started, only deleted like any file; the one program
# started is the chmod.com the run wrote. Everything outside the listed folders stays.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/wine_env.bash"
exe=$1
root=$E2E_ROOT
key='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager'
npm="$WINEPREFIX/drive_c/Program Files/nodejs/node_modules/npm/node_modules/undici/lib/web/cache"

# "*" lines: files at every level, a read-only one deep down; links out of another listed folder
# (which Wine may leave in place). Files-only line: its subfolder stays. Beside them: a sibling
# whose name starts like a listed folder, and the root.
start="$WINEPREFIX/drive_c/e2e-start"
bat="$WINEPREFIX/drive_c/bat"
mkdir -p "$start" "$bat" "$root/config" "$root/tree/A/A1" "$root/tree/B" "$root/files/keep-sub" \
    "$root/tree-sibling" "$root/outside/folder" "$root/pending/setup" "$root/pending/other" \
    "$npm" "$root/proj/node_modules/x/cache" "$root/links/real"
for f in tree/f1.tmp tree/A/a.tmp tree/A/A1/a1.tmp tree/A/A1/readonly.tmp files/x.tmp files/y.log \
    pending/setup/new.dll pending/setup/junk.tmp pending/other/junk.tmp pending/Pending.TMP \
    proj/node_modules/x/cache/a.js links/junk.tmp links/real/junk.tmp; do
    echo junk >"$root/$f"
done
echo data >"$npm/index.js"
chmod a-w "$root/tree/A/A1/readonly.tmp"
for f in files/keep-sub tree-sibling outside/folder outside .; do
    echo canary >"$root/$f/canary.txt"
done
ln -s "$root/outside/folder" "$root/links/folder-link"
ln -s "$root/outside/canary.txt" "$root/links/file-link"
ln -s "$root/outside" "$root/links/real/deeper-link"
trap '"$WINE" reg delete "$key" /v PendingFileRenameOperations /f >/dev/null 2>&1
      rm -rf "$WINEPREFIX/drive_c/Program Files/nodejs" "$start" "$bat"; e2e_cleanup' EXIT

# A program that leaves a mark when started, planted where others could put it.
printf '%s\n' '#include <stdio.h>' '#include <stdlib.h>' \
    'int main(void) { FILE* f = fopen(getenv("E2E_MARKER"), "a"); return f ? fclose(f) : 1; }' \
    >"$root/marker.c"
x86_64-w64-mingw32-gcc-posix -o "$root/marker.exe" "$root/marker.c" ||
    e2e_fail "cannot build the marker program"
for f in tree/deltree.exe tree/A/deltree.exe tree/A/chmod.com; do
    cp "$root/marker.exe" "$root/$f"
done
cp "$root/marker.exe" "$bat/chmod.com"

# A replacement waiting for its target, and a deletion (empty target), as Windows keeps them.
entries=("\\??\\$(wine_path "$root/pending/setup/new.dll")" '!\??\C:\windows\system32\x.dll'
    "\\??\\$(wine_path "$root/pending")\\pending.tmp" '')
set_pending_renames "$key" "$root" "${entries[@]}"

printf '*%s\r\n %s\\\r\n*%s\r\n*%s\r\n*C:\\Program Files\\nodejs\\node_modules\\npm\\node_modules\\undici\\lib\\web\\cache\\\r\n*%s\r\n' \
    "$(wine_path "$root/tree")" "$(wine_path "$root/files")" "$(wine_path "$root/pending")" \
    "$(wine_path "$root/links")" \
    "$(wine_path "$root/proj/node_modules/x/cache")" >"$root/config/KEHRWIX.INI"
cp "$root/config/KEHRWIX.INI" "$root/expected.ini"

wine_start "$start" "$exe" "KEHRWIX=$(wine_path "$root/config")" \
    "E2E_MARKER=$(wine_path "$root/ran")"
e2e_wait_for "kehrwix     press any key to menue" 60
background=$(e2e_background_at "kehrwix     press any key to menue")
[[ $background == 44 ]] || e2e_fail "prompt background is $background, not blue (44)"
e2e_wait_for " fertig." 60
result=$(e2e_capture | grep -F " fertig. ")
e2e_ended 60
# The listing carries the sizes: ten files of 5 bytes, the three planted programs and four
# folders, exactly. What Wine makes of the host links (kept or not) varies; the files pending a
# restart are kept.
freed=$((50 + 3 * $(stat -c %s "$root/marker.exe")))
tenths=$(((freed * 10 + 512) / 1024))
size="$((tenths / 10)),$((tenths % 10)) KiB"
((tenths < 1000)) || size="$((freed / 1024 + (freed % 1024 * 2 >= 1024))) KiB"
[[ $result == " fertig. 13 Dateien, 4 Ordner gelöscht ($size); "*geschützt* ]] ||
    e2e_fail "result line: $result"

remaining=$(cd "$root/tree" && find . -mindepth 1 | sort | tr '\n' ' ')
[[ -d $root/tree && -z $remaining ]] || e2e_fail "tree not emptied: $remaining"
remaining=$(cd "$root/files" && find . -mindepth 1 | sort | tr '\n' ' ')
[[ $remaining == "./keep-sub ./keep-sub/canary.txt " ]] ||
    e2e_fail "files-only folder holds: $remaining"
remaining=$(cd "$root/pending" && find . -mindepth 1 | sort | tr '\n' ' ')
[[ $remaining == "./Pending.TMP ./setup ./setup/new.dll " ]] || e2e_fail "pending holds: $remaining"
[[ ! -e $root/links/junk.tmp && ! -e $root/links/real/junk.tmp ]] ||
    e2e_fail "files beside the links were not deleted"
for f in tree-sibling outside/folder outside .; do
    [[ $(cat "$root/$f/canary.txt") == canary ]] || e2e_fail "the canary in $f was touched"
done
[[ -f $npm/index.js ]] || e2e_fail "a file inside Program Files is gone"
[[ -f $root/proj/node_modules/x/cache/a.js ]] || e2e_fail "a file inside node_modules is gone"
cmp -s "$root/config/KEHRWIX.INI" "$root/expected.ini" || e2e_fail "the path list file changed"
[[ -z $(ls -A "$start") ]] || e2e_fail "start folder not left clean: $(ls -A "$start")"
[[ ! -e $root/ran ]] || e2e_fail "a planted program was started"
[[ -f $bat/chmod.com ]] || e2e_fail "C:\\bat\\chmod.com is gone"
echo "ok: cleaning run"
