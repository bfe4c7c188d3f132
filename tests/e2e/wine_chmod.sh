#!/usr/bin/env bash
# The Windows attribute tool under Wine: hidden, system and read-only set with attrib are cleared
# on the folder and its direct entries, deeper entries keep theirs, drive roots are left alone.
# Usage: wine_chmod.sh BUILD_DIR/kehrwix.exe (as run_wine.sh calls it) or wine_chmod.sh BUILD_DIR;
# WINE and WINEPREFIX come from run_wine.sh, or a private prefix is made under BUILD_DIR.

source "$(dirname "$0")/lib.sh"

build=${1:?usage: wine_chmod.sh BUILD_DIR/kehrwix.exe}
[[ $build == *.exe ]] && build=$(dirname "$build")
wine=${WINE:-/usr/lib/wine/wine64}
export WINEDEBUG=${WINEDEBUG:--all}
if [[ -z ${WINEPREFIX:-} ]]; then
    export WINEPREFIX=$build/wineprefix-chmod
    [[ -d $WINEPREFIX ]] || "$wine" wineboot -i >/dev/null 2>&1
fi

tool=$E2E_ROOT/chmod.com
cp "$build/tools/chmod/kehrwix_chmod.exe" "$tool"

# A drive of its own, so that even a fault in the root guard could only touch the sandbox.
mkdir -p "$E2E_ROOT/k"
drive_link=$WINEPREFIX/dosdevices/k:
ln -sfn "$E2E_ROOT/k" "$drive_link"
trap 'rm -f "$drive_link"; e2e_cleanup' EXIT

win() { "$wine" "$@" 2>/dev/null | tr -d '\r'; }
wine_path_of() { printf 'Z:%s' "${1//\//\\}"; }
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

# A name with blanks arrives in pieces and still names one folder.
set_all 'K:\T\Two words'
win "$tool" 'K:\T\Two' words -h -s >/dev/null
expect_attrib 'K:\T\Two words' '            '

# Started as the cleaning run starts it (the raw line, unquoted), a folder whose name holds
# " -" and runs of blanks is still one folder.
mkdir -p "$E2E_ROOT/k/T/Projekt - Kopie  2"
set_all 'K:\T\Projekt - Kopie  2'
win cmd /c "$(wine_path_of "$tool") K:\T\Projekt - Kopie  2 -h -s -r >nul" >/dev/null
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
