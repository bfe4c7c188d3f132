#!/usr/bin/env bash
# The README's demo drive: a first run finds the believable temp, cache, cookie and history
# folders on both drives and nothing else; the second run, without a key, empties them, leaves
# documents, programs and projects alone, and keeps the locked files. Afterwards nothing holds
# them any more, and rm -rf removes the whole drive.
source "$(dirname "$0")/lib.sh"
binary=$(realpath "$1")
demo_drive=$(realpath "$(dirname "$0")/../../scripts/demo-drive.sh")

demo="$E2E_ROOT/demo"
trap '"$demo_drive" remove "$demo"; e2e_cleanup' EXIT
"$demo_drive" create "$demo" >/dev/null
echo keep >"$E2E_ROOT/canary"
start() {
    e2e_stop
    e2e_start "$demo" env TERM=xterm-256color "$demo_drive" run "$demo" "$binary"
}

start
e2e_wait_for "Temp-Dateien  Kehrwix 2.2" 10
e2e_keys Space
e2e_wait_for "Als nächstes werden jetzt alle Laufwerke" 10
e2e_keys Space
e2e_wait_for "(Z)eige Pfade" 20
e2e_keys Escape
e2e_ended 10

ini="$demo/C/Users/Anna/AppData/Local/Temp/KEHRWIX.INI"
expected='*C:\Users\Anna\AppData\Local\Google\Chrome\User Data\Default\Cache\
*C:\Users\Anna\AppData\Local\Microsoft\Edge\User Data\Default\Cache\
*C:\Users\Anna\AppData\Local\Microsoft\Windows\Temporary Internet Files\
*C:\Users\Anna\AppData\Local\PixelWerk\Cache\
*C:\Users\Anna\AppData\Local\Temp\
*C:\Users\Anna\AppData\Roaming\Microsoft\Windows\Cookies\
*C:\Users\Anna\AppData\Roaming\Microsoft\Windows\Recent\
*C:\Users\Ben\AppData\Local\Google\Chrome\User Data\Default\Cache\
*C:\Users\Ben\AppData\Local\Microsoft\Edge\User Data\Default\Cache\
*C:\Users\Ben\AppData\Local\Microsoft\Windows\Temporary Internet Files\
*C:\Users\Ben\AppData\Local\Temp\
*C:\Users\Ben\AppData\Roaming\Microsoft\Windows\Cookies\
*C:\Users\Ben\AppData\Roaming\Microsoft\Windows\Recent\
*C:\Windows\Temp\
*D:\Projekte\webshop\tmp\
*D:\Temp\'
[[ $(tr -d '\r' <"$ini" | LC_ALL=C sort) == "$expected" ]] ||
    e2e_fail "hits: $(tr -d '\r' <"$ini")"

start
e2e_wait_for "kehrwix     press any key to menue" 10
e2e_wait_for " fertig." 60
# The result line, on the row of " fertig. ". The real binary measures the free space of a
# shared file system, so only the counts are exact.
result=$(e2e_capture | grep -F " fertig. ")
e2e_ended 15

C="$demo/C"
leftovers=$(cd "$demo" && find C/Users/Anna/AppData/Local/Temp C/Windows/Temp D/Temp \
    "C/Users/Ben/AppData/Local/Microsoft/Edge/User Data/Default/Cache" -mindepth 1 | LC_ALL=C sort)
expected='C/Users/Anna/AppData/Local/Temp/KEHRWIX.INI
C/Users/Anna/AppData/Local/Temp/d Suchpfade.tmp
C/Windows/Temp/MpSigStub.log'
size='\([0-9]+(,[0-9])? (B|KiB|MiB|GiB)\)'
pattern="^ fertig\. 91 Dateien, 13 Ordner gelöscht $size; 2 belegt, 2 geschützt *\$"
[[ $result =~ $pattern ]] || e2e_fail "result line: $result"
[[ $leftovers == "$expected" ]] || e2e_fail "left in the emptied folders: $leftovers"
[[ -f "$C/Users/Anna/AppData/Local/Microsoft/Edge/User Data/Default/Cache/Cache_Data/data_1" ]] ||
    e2e_fail "the browser's held block file was deleted"
for kept in "Users/Anna/Documents/Steuer/Belege 2025.txt" "Program Files/PixelWerk/PixelWerk.exe" \
    "Users/Anna/AppData/Local/Microsoft/Edge/User Data/Default/Code Cache/js/index" \
    "Windows/System32/drivers/etc/hosts" "Users/Anna/Desktop/desktop.ini"; do
    [[ -f "$C/$kept" ]] || e2e_fail "$kept was deleted"
done
[[ -f "$demo/D/Projekte/webshop/node_modules/vue/package.json" ]] || e2e_fail "node_modules touched"
[[ $(cat "$E2E_ROOT/canary") == keep ]] || e2e_fail "canary touched"
[[ ! -e $C/Users/Anna/AppData/Local/Programs/kehrwix/chmod.com ]] || e2e_fail "attribute tool left behind"
held() { find /proc/[0-9]*/fd -lname "$demo/*" 2>/dev/null | grep -q .; }
e2e_until 5 eval '! held' || e2e_fail "the locked files are still held after the run"
rm -rf "$demo" || e2e_fail "rm -rf cannot remove the demo drive"
echo "linux_demo_drive: ok"
