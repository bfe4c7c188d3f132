#!/usr/bin/env bash
# Files that Windows will replace or delete at the next restart stay where they are, and so
# does the folder that holds them; everything else in the listed folder goes.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/wine_env.bash"
exe=$1
root=$E2E_ROOT
key='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager'

mkdir -p "$root/start" "$root/config" "$root/tree/setup" "$root/tree/other"
for f in tree/setup/new.dll tree/setup/junk.tmp tree/other/junk.tmp tree/Pending.TMP; do
    echo data >"$root/$f"
done
echo canary >"$root/canary.txt"
printf '*%s\r\n' "$(wine_path "$root/tree")" >"$root/config/KEHRWIX.INI"

# A replacement waiting for its target, and a deletion (empty target), as Windows keeps them.
# reg.exe cannot write an empty string into a multi-string value; regedit takes the bytes.
entries=("\\??\\$(wine_path "$root/tree/setup/new.dll")" '!\??\C:\windows\system32\x.dll'
    "\\??\\$(wine_path "$root/tree")\\pending.tmp" '')
bytes=$({ printf '%s\0' "${entries[@]}"; printf '\0'; } | iconv -f UTF-8 -t UTF-16LE |
    od -An -v -tx1 | tr -s ' \n' ' ' | sed 's/^ //; s/ $//; s/ /,/g')
# A version 5 file is read as UTF-16; hex(7) bytes are then taken as they are.
{
    printf '\xff\xfe'
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[%s]\r\n"PendingFileRenameOperations"=hex(7):%s\r\n' \
        "${key/HKLM/HKEY_LOCAL_MACHINE}" "$bytes" | iconv -f UTF-8 -t UTF-16LE
} >"$root/pending.reg"
"$WINE" regedit /s "$(wine_path "$root/pending.reg")" >/dev/null 2>&1 ||
    e2e_fail "could not set the registry value"
trap '"$WINE" reg delete "$key" /v PendingFileRenameOperations /f >/dev/null 2>&1; e2e_cleanup' EXIT

wine_start "$root/start" "$exe" "KEHRWIX=$(wine_path "$root/config")"
e2e_wait_for " fertig." 60
status=$(e2e_wait_exit 60)
[[ $status == 0 ]] || e2e_fail "exit status $status"

remaining=$(cd "$root/tree" && find . -mindepth 1 | sort | tr '\n' ' ')
[[ $remaining == "./Pending.TMP ./setup ./setup/new.dll " ]] ||
    e2e_fail "tree holds: $remaining"
[[ -f $root/canary.txt ]] || e2e_fail "the canary is gone"
echo "ok: files pending a restart kept"
