#!/usr/bin/env bash
# Builds the packages and proves them:
#   build/package/packages/  kehrwix_VERSION_amd64.deb and kehrwix-VERSION-Linux.tar.gz
#   build/windows/packages/  kehrwix-VERSION-win64.zip (kehrwix.exe, LIESMICH.txt, LICENSE.txt)
# then runs lintian on the .deb (no errors, no warnings), builds the Linux packages a second time
# and compares them byte for byte, installs the .deb with dpkg, runs the installed `kehrwix ?`
# from PATH in tmux on a sandbox drive, checks the installed README's links, looks at the .exe's
# resources with objdump, and lints the man pages and the desktop entry. Last, a clone of the
# repository tries kehrwix with scripts/run.sh as a new user would, and must go with rm -rf.
# Needs root for dpkg; the package is removed again unless it was installed before.
# --build-only stops after building.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

scripts/install-deps.sh --windows --package

# linux_packages DIR: configures, builds and packs the release build in DIR. Warnings fail it
# here: the hardening flags are only ever compiled in this build and the release preset.
linux_packages() {
    cmake -S . -B "$1" -DCMAKE_BUILD_TYPE=Release -DKEHRWIX_TESTS=OFF -DKEHRWIX_WERROR=ON >/dev/null
    cmake --build "$1" -j"$(nproc)" --target kehrwix
    (cd "$1" && cpack >/dev/null)
}
linux_packages build/package
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$(nproc)" --target kehrwix
(cd build/windows && cpack >/dev/null)

deb=$(echo build/package/packages/kehrwix_*_amd64.deb)
tgz=$(echo build/package/packages/kehrwix-*-Linux.tar.gz)
zip=$(echo build/windows/packages/kehrwix-*-win64.zip)
exe=build/windows/kehrwix.exe
ls -l "$deb" "$tgz" "$zip"
[[ ${1:-} == --build-only ]] && exit 0

# grep -q would stop reading early; under pipefail the writer's broken pipe then counts as failure.
found() { grep "$@" >/dev/null; }

fail() {
    echo "package check FAILED: $*" >&2
    exit 1
}

# ---- what Debian's own checker says: nothing above the level of information, and among the
# information nothing about hardening or leftover sections
lint=$(lintian --fail-on error,warning --display-info "$deb" 2>&1) || fail "lintian on $deb: $lint"
[[ -z $lint ]] || echo "$lint"
! grep -E 'hardening-|binary-has-unneeded-section' <<<"$lint" ||
    fail "lintian finds the release binary not hardened or not stripped"

# ---- reproducible: a second build from scratch in another folder gives the same bytes
rm -rf build/package-again
linux_packages build/package-again
for package in "$deb" "$tgz"; do
    again=build/package-again/packages/$(basename "$package")
    cmp "$package" "$again" || fail "a second build of $(basename "$package") differs"
done

# ---- the packages' contents
version=$(sed -n 's/^project(kehrwix VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[[ -n $version ]] || fail "no version in CMakeLists.txt"
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail ".deb version is not $version"
dpkg-deb -f "$deb" Depends | found 'libncursesw6' || fail ".deb does not depend on libncursesw6"
tar -tzf "$tgz" | found '/bin/kehrwix$' || fail ".tar.gz has no bin/kehrwix"
unzip -l "$zip" | found ' kehrwix.exe$' || fail ".zip has no kehrwix.exe"
readme=$(unzip -p "$zip" LIESMICH.txt) || fail ".zip has no LIESMICH.txt"
[[ $(grep -c $'\r$' <<<"$readme") -eq $(wc -l <<<"$readme") ]] || fail "LIESMICH.txt is not CR LF"
grep -q "kehrwix $version" <<<"$readme" || fail "LIESMICH.txt does not name version $version"

# ---- the Windows executable: manifest, version resource, icon, static, stripped
objdump=x86_64-w64-mingw32-objdump
# Resource type IDs at the top of the resource tree: 3 icon, 16 version, 24 manifest.
types=$("$objdump" -p "$exe" | sed -n '/Resource Directory section/,$p' | grep -E '^0[0-9a-f]+   Entry: ID' |
    sed 's/.*ID: 0x0*\([0-9a-f]*\),.*/\1/')
for type in 3 10 18; do
    grep -qx "$type" <<<"$types" || fail "kehrwix.exe has no resource of type 0x$type"
done
# The section's bytes as text, 16 a line; joined they read as the manifest and the version block.
resources=$("$objdump" -s -j .rsrc "$exe" | sed -n 's/^ [0-9a-f]\{8,\} .\{35\}  //p' | tr -d '\n')
grep -q '<longPathAware[^>]*>true</longPathAware>' <<<"$resources" || fail "manifest without longPathAware"
grep -q 'level="asInvoker"' <<<"$resources" || fail "manifest without asInvoker"
grep -q '<activeCodePage[^>]*>UTF-8</activeCodePage>' <<<"$resources" || fail "manifest without UTF-8"
grep -q 'V.S._.V.E.R.S.I.O.N._.I.N.F.O' <<<"$resources" || fail "no version resource"
# UTF-16 text: every character is followed by a zero byte, shown as a dot.
grep -q "P.r.o.d.u.c.t.V.e.r.s.i.o.n.\{2,8\}$(sed 's/./&./g' <<<"$version")" <<<"$resources" ||
    fail "version resource does not say $version"
"$objdump" -t "$exe" | found 'no symbols' || fail "kehrwix.exe is not stripped"
"$objdump" -p "$exe" | found '^Time/Date.* 1970$' || fail "kehrwix.exe carries the time it was linked"
! "$objdump" -p "$exe" | grep -iE 'DLL Name: (libstdc|libgcc|libwinpthread)' ||
    fail "kehrwix.exe needs MinGW runtime DLLs"

# ---- install the .deb and run the installed program
was_installed=false
dpkg-query -W -f='${Status}' kehrwix 2>/dev/null | found 'install ok installed' && was_installed=true
dpkg -i "$deb" >/dev/null
$was_installed || trap 'dpkg -r kehrwix >/dev/null' EXIT
[[ $(command -v kehrwix) == /usr/bin/kehrwix ]] || fail "kehrwix is not on PATH from the package"

for page in "$(man -w kehrwix)" "$(man -L de -w kehrwix)"; do
    [[ -f $page ]] || fail "man page missing"
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [[ -z $warnings ]] || fail "man page $page: $warnings"
done
[[ $(man -L de -w kehrwix) == */de/man1/* ]] || fail "German man page not found"
man kehrwix 2>/dev/null | found 'KEHRWIX_DRIVES' || fail "man kehrwix does not work"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate /usr/share/applications/kehrwix.desktop || fail "desktop entry"
fi
[[ -f /usr/share/doc/kehrwix/README.md ]] || fail "README not installed"
# Every link of the installed README leads to an installed file or to one of its own headings.
(
    cd /usr/share/doc/kehrwix
    headings=$(sed -n 's/^#\{1,6\} //p' README.md | tr 'A-Z ' 'a-z-' | tr -cd 'a-z0-9_\n-')
    for link in $(grep -o '](\([^)]*\))' README.md | sed 's/^](\(.*\))$/\1/'); do
        case $link in
        http://* | https://*) ;;
        '#'*) grep -qx -- "${link#'#'}" <<<"$headings" || fail "README links to a missing heading: $link" ;;
        *) [[ -e ${link%%#*} ]] || fail "the installed README links to $link, which is not installed" ;;
        esac
    done
)

# `kehrwix ?` from PATH, headless in tmux, on a sandbox drive (never the default drive map).
(
    source tests/e2e/lib.sh
    drive="$E2E_ROOT/c"
    mkdir -p "$drive"
    e2e_start "$drive" env TERM=xterm-256color KEHRWIX_DRIVES="C:=$drive" KEHRWIX='C:\' kehrwix '?'
    e2e_wait_for "Temp-Dateien  Kehrwix" 10
    e2e_space_until_exit
    [[ $(e2e_wait_exit 10) == 0 ]] || e2e_fail "installed kehrwix ? did not end with status 0"
    [[ ! -e $drive/KEHRWIX.INI ]] || e2e_fail "the help-only run created a path list"
)
cd "$repo"

# ---- a user's clone: scripts/run.sh on the demo drive (the first run, then a later run that
# cleans, then --reset), after which rm -rf removes every last file. The clone holds the last
# commit; it lies below build/ so that a compiler cache shared under the repository still helps.
clone=$repo/build/clone-check
rm -rf "$clone"
git clone -q "$repo" "$clone"
(
    source tests/e2e/lib.sh
    run() {
        e2e_stop
        e2e_start "$clone" env TERM=xterm-256color scripts/run.sh "$@"
    }
    run
    e2e_wait_for "Temp-Dateien  Kehrwix" 900 # after building the release binary
    e2e_keys Space
    e2e_wait_for "Als nächstes werden jetzt alle Laufwerke" 10
    e2e_keys Space
    e2e_wait_for "(Z)eige Pfade" 60
    e2e_keys Escape
    e2e_ended 10
    run
    e2e_wait_for " fertig." 120
    e2e_ended 15
    [[ -f $clone/build/demo/C/Windows/Temp/MpSigStub.log ]] || e2e_fail "the demo's held file was deleted"
    [[ ! -e $clone/build/demo/C/Windows/Temp/MpCmdRun.log ]] || e2e_fail "the demo run did not clean"
    run --reset '?'
    e2e_wait_for "Temp-Dateien  Kehrwix" 60
    e2e_space_until_exit
    e2e_ended 10
    [[ -f $clone/build/demo/C/Windows/Temp/MpCmdRun.log ]] || e2e_fail "--reset did not make the demo drive new"
    e2e_stop
    held() { find /proc/[0-9]*/fd -lname "$clone/*" 2>/dev/null | grep -q .; }
    e2e_until 5 eval '! held' || e2e_fail "files of the clone are still held after the demo runs"
)
rm -rf "$clone" || fail "rm -rf cannot remove a clone after scripts/run.sh"
[[ ! -e $clone ]] || fail "rm -rf left $clone behind"
echo "packages: ok ($deb, $tgz, $zip)"
