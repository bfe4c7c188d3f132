#!/usr/bin/env bash
# The Windows attribute tool under Wine: hidden, system and read-only set with attrib are cleared
# on the folder and its direct entries, deeper entries keep theirs, drive roots are left alone.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/wine_env.bash"
build=$(dirname "$1")

tool=$E2E_ROOT/chmod.com
cp "$build/tools/chmod/kehrwix_chmod.exe" "$tool"

# A drive of its own, so that even a fault in the root guard could only touch the sandbox.
mkdir -p "$E2E_ROOT/k"
drive_link=$WINEPREFIX/dosdevices/k:
ln -sfn "$E2E_ROOT/k" "$drive_link"
trap 'rm -f "$drive_link"; e2e_cleanup' EXIT

win() { "$WINE" "$@" 2>/dev/null | tr -d '\r'; }
attrib_of() { win cmd /c attrib "$1" | cut -c1-12; }
set_all() { for a in +h +s +r; do win cmd /c attrib "$a" "$1" >/dev/null; done; }
expect_attrib() {
    local got
    got=$(attrib_of "$1")
    [[ $got == "$2" ]] || e2e_fail "$1: attributes '$got', expected '$2'"
}

mkdir -p "$E2E_ROOT/k/T/Sub/Deep" "$E2E_ROOT/k/T/Two words"
for f in T/f1 T/f2 T/Sub/Deep/x root.txt; do echo data >"$E2E_ROOT/k/$f"; done
for p in 'K:\T' 'K:\T\f1' 'K:\T\f2' 'K:\T\Sub' 'K:\T\Two words' 'K:\T\Sub\Deep\x' 'K:\root.txt'; do
    set_all "$p"
done
expect_attrib 'K:\T\f1' 'AS  HR      '

# Exactly as the cleaning run starts it: unquoted folder, lower-case options, >nul last.
out=$(win "$tool" 'K:\T' -h -s -r '>nul')
[[ -z $out ]] || e2e_fail "printed with >nul: $out"
for f in 'K:\T\f1' 'K:\T\f2'; do expect_attrib "$f" 'A           '; done
for d in 'K:\T\Sub' 'K:\T\Two words' 'K:\T'; do expect_attrib "$d" '            '; done
expect_attrib 'K:\T\Sub\Deep\x' 'AS  HR      '

# Started as the cleaning run starts it (the raw line, unquoted), a folder whose name holds
# " -" and runs of blanks is still one folder.
mkdir -p "$E2E_ROOT/k/T/Projekt - Kopie  2"
set_all 'K:\T\Projekt - Kopie  2'
win cmd /c "$(wine_path "$tool") K:\T\Projekt - Kopie  2 -h -s -r >nul" >/dev/null
expect_attrib 'K:\T\Projekt - Kopie  2' '            '

# A drive root is never worked on.
out=$(win "$tool" 'K:\' -h -s -r)
[[ $out == *"not found, or a drive root"* ]] || e2e_fail "drive root: $out"
expect_attrib 'K:\root.txt' 'AS  HR      '

out=$(win "$tool" 'K:\T' -x)
[[ $out == *"usage: chmod.com"* ]] || e2e_fail "no usage for -x: $out"
out=$(win "$tool" 'K:\T' -x '>nul')
[[ -z $out ]] || e2e_fail "usage printed despite >nul: $out"

echo "PASS: wine_chmod"
