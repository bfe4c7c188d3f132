#!/usr/bin/env bash
# A first run as a new user would start it, with C: mapped onto this machine's "/", and the path
# list on a drive of its own. A first run only scans and writes the list (Esc then leaves the
# menu); so that a fault in the menu, the flow or the keys cannot turn it into a cleaning run
# over this machine's temp folders, the program runs in a private mount namespace in which
# every mount but the one holding its own drive (/dev/shm) is read-only. No hit may lie in
# installed software, system state or a package tree, and /tmp must be one.
source "$(dirname "$0")/lib.sh"
binary=$(realpath "$1")
table="$(dirname "$0")/../../src/rules/exclusion_table.cpp"

if ! command -v unshare >/dev/null || [[ ! -w /dev/shm ]]; then
    echo "linux_first_run_real_machine: skipped (needs unshare and /dev/shm)"
    exit 0
fi
drive=$(mktemp -d /dev/shm/kehrwix-e2e-XXXXXX)
trap 'e2e_cleanup; rm -rf "$drive"' EXIT
mkdir -p "$drive/work"
ini="$drive/work/KEHRWIX.INI"
: >"$ini"  # empty: a first run, which never cleans
keep=$(findmnt -n -o TARGET --target "$drive" | head -n1)

# Inside the namespace: every mount read-only but the drive's, or no run at all.
read_only="$E2E_ROOT/read-only.sh"
cat >"$read_only" <<'EOF'
keep=$1
shift
mount -o remount,bind,ro / || exit 77
awk '{print $5}' /proc/self/mountinfo | sort -u | while read -r target; do
    [ "$target" = / ] || [ "$target" = "$keep" ] || mount -o remount,bind,ro "$target" 2>/dev/null
done
[ -w / ] && exit 77  # still writable: no run
exec "$@"
EOF
# As root a mount namespace of its own; otherwise one inside a user namespace, where possible.
namespace=(unshare -m --propagation private)
if ! "${namespace[@]}" sh "$read_only" "$keep" true 2>/dev/null; then
    namespace=(unshare -r -m --propagation private)
    if ! "${namespace[@]}" sh "$read_only" "$keep" true 2>/dev/null; then
        echo "linux_first_run_real_machine: skipped (no private read-only mount namespace here)"
        exit 0
    fi
fi

e2e_start "$drive/work" "${namespace[@]}" sh "$read_only" "$keep" \
    env TERM=xterm-256color KEHRWIX_DRIVES="C:=/;D:=$drive" KEHRWIX='D:\work' "$binary"
e2e_wait_for "Temp-Dateien  Kehrwix 2.2" 10
e2e_keys Escape
e2e_wait_for "Als nächstes werden jetzt alle Laufwerke" 10
e2e_keys Escape
e2e_wait_for "(Z)eige Pfade" 600
# "Invalid Handle!" for the unmapped drives went through the screen: no stray cell in the path
# frame, and its rows keep the blue background.
menu=$(e2e_capture)
frame_bottom="   ╚$(printf '═%.0s' {1..68})╝"
[[ $(sed -n 3p <<<"$menu") == "$frame_bottom" ]] || e2e_fail "row 3 is not the frame's bottom"
grep -qF "Invalid Handle" <<<"$menu" && e2e_fail "scan output left on the menu"
sgr=$(e2e_capture_colours | sed -n 1,3p | grep -oE $'\e\\[[0-9;]*m' | tr -d $'\e[m' || true)
grep -qxE '(|.*;)(0|40|49)(;.*|)|' <<<"$sgr" && e2e_fail "the path frame rows lost their blue background"
e2e_keys Escape
e2e_ended 10

hits=$(tr -d '\r' <"$ini")
grep -qxF '*C:\tmp\' <<<"$hits" || e2e_fail "/tmp is not a hit: $hits"
# The table's own trees and package-tree names, read from where the program keeps them, so the
# list has one source.
strings_of() {
    awk -v name="$1" 'index($0, name "[] = {") { on = 1 } on { print } on && /};/ { exit }' \
        "$table" | grep -oE '"[^"]*"' | tr -d '"'
}
mapfile -t trees < <(strings_of kPosixTrees)
mapfile -t names < <(strings_of kPackageTrees)
((${#trees[@]} > 5 && ${#names[@]} > 5)) || e2e_fail "cannot read the exclusion table from $table"
while IFS= read -r hit; do
    host=${hit:3}
    host=${host//\\//}  # "*C:\var\tmp\" is /var/tmp/
    for tree in "${trees[@]}"; do
        # The table's "*" matches any run, as in the program.
        if [[ ${host,,} == /${tree,,}/* ]]; then e2e_fail "hit inside the tree /$tree: $hit"; fi
    done
    IFS=/ read -ra parts <<<"${host#/}"
    for part in "${parts[@]}"; do
        for name in "${names[@]}"; do
            if [[ ${part^^} == "$name" ]]; then e2e_fail "hit inside a $name tree: $hit"; fi
        done
    done
done <<<"$hits"
[[ ! -e "$drive/work/kehrwix.tmp" ]] || e2e_fail "hits file left behind"
echo "linux_first_run_real_machine: ok ($(wc -l <<<"$hits") hits)"
