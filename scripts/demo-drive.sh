#!/usr/bin/env bash
# Builds a demo drive: a small Windows machine in DIR/C (drive C:) and DIR/D (drive D:), the same
# every time, to try kehrwix on without risk.
#
#   scripts/demo-drive.sh create DIR               # DIR must not exist yet
#   scripts/demo-drive.sh run DIR COMMAND [ARG...]  # COMMAND on the demo drive, as kehrwix sees it
#   scripts/demo-drive.sh remove DIR               # deletes DIR (rm -rf DIR does the same)
#
# Hidden and system follow the Wine/Samba convention (user.DOSATTRIB) and read-only is the
# owner's write bit. Locked files are files a running program holds open, as a browser holds its
# cache: while `run` lasts, a small process holds them, and kehrwix leaves them where they are.
# Nothing stays locked after the run, so the drive goes with a plain rm -rf.
set -euo pipefail

usage() {
    echo "usage: $0 create|remove DIR, or $0 run DIR COMMAND [ARG...]" >&2
    exit 2
}
[[ $# -ge 2 ]] || usage
action=$1
root=$2
shift 2

remove_drive() {
    [[ -e $root ]] || return 0
    # Only ever a demo drive: its start folder is made first, so even a half-made one has it
    # (C:\Tools\kehrwix on drives of earlier versions).
    if [[ ! -d $root/$start_folder && ! -d $root/C/Tools/kehrwix ]]; then
        rmdir "$root" 2>/dev/null && return 0
        echo "$0: $root is no demo drive; left alone" >&2
        exit 1
    fi
    # Demo drives of earlier versions locked files with the immutable flag; clearing an unset
    # flag changes nothing.
    find "$root" -type f -exec chattr -i {} + 2>/dev/null || true
    chmod -R u+rwX "$root" 2>/dev/null || true
    rm -rf "$root"
}

start_folder=C/Users/Anna/AppData/Local/Programs/kehrwix

# Locked: a block file the browser holds open, and a Defender log in use.
locked_files() {
    printf '%s\n' "$root/C/Users/Anna/AppData/Local/Microsoft/Edge/User Data/Default/Cache/Cache_Data/data_1" \
        "$root/C/Windows/Temp/MpSigStub.log"
}

# One holder per locked file that is still there. Each is forked with the file already open, so
# it holds the file before kehrwix starts; it ends with this script, at the latest a second
# after it (tail --pid) should the script be killed before its trap runs.
hold_locked_files() {
    local file holders=()
    while IFS= read -r file; do
        [[ -f $file ]] || continue
        exec 3<"$file"
        tail --pid=$$ -f /dev/null </dev/null >/dev/null 2>&1 &
        holders+=($!)
        exec 3<&-
    done < <(locked_files)
    if ((${#holders[@]})); then
        trap "kill ${holders[*]} 2>/dev/null || true" EXIT
    fi
}

case $action in
remove)
    remove_drive
    exit 0
    ;;
run)
    (($#)) || usage
    root=$(cd "$root" && pwd)
    hold_locked_files
    # Started, as a desktop shortcut would start it, in the folder Anna put kehrwix.exe into
    # (the place LIESMICH.txt recommends to one user); the path list lives in her temp folder,
    # as on Windows.
    cd "$root/$start_folder"
    status=0
    env KEHRWIX_DRIVES="C:=$root/C;D:=$root/D" KEHRWIX='C:\Users\Anna\AppData\Local\Temp' "$@" ||
        status=$?
    exit $status
    ;;
create) [[ $# -eq 0 ]] || usage ;;
*) usage ;;
esac

[[ ! -e $root ]] || {
    echo "$0: $root exists; remove it first" >&2
    exit 1
}
mkdir -p "$root/$start_folder"
root=$(cd "$root" && pwd)
C=$root/C
D=$root/D

# put FILE [TEXT...]: a file with the given lines (CR LF, as Windows programs write them).
put() {
    local file=$1
    shift
    mkdir -p "$(dirname "$file")"
    if (($#)); then printf '%s\r\n' "$@" >"$file"; else : >"$file"; fi
}

# filler FILE BYTES TEXT: a file of BYTES bytes made of TEXT repeated.
filler() {
    mkdir -p "$(dirname "$1")"
    yes "$3" | head -c "$2" >"$1" || true
}

# cached FILE BYTES URL TYPE: a browser cache entry (response headers, then a body).
cached() {
    local file=$1 bytes=$2 url=$3 type=$4
    mkdir -p "$(dirname "$file")"
    {
        printf 'HTTP/1.1 200 OK\r\nContent-Type: %s\r\nCache-Control: max-age=604800\r\n' "$type"
        printf 'X-Original-Url: %s\r\n\r\n' "$url"
        yes "/* $url */ .card{margin:0 auto;padding:1rem}" | head -c "$bytes" || true
    } >"$file"
}

# setfattr reads a quoted value as text; Wine writes the attribute word as text too.
hide() { setfattr -n user.DOSATTRIB -v "\"0x${2:-2}\"" "$1" 2>/dev/null || true; }
read_only() { chmod a-w "$@"; }
dated() { touch -h -d "$1" "${@:2}"; }

# ---------------------------------------------------------------- C: the system drive
mkdir -p "$C/Users/Public/Documents"
put "$C/Windows/System32/drivers/etc/hosts" "# Copyright (c) 1993-2009 Microsoft Corp." \
    "127.0.0.1       localhost" "::1             localhost"
put "$C/Windows/win.ini" "; for 16-bit app support" "[fonts]" "[extensions]" "[mci extensions]"
put "$C/Windows/Temp/MpCmdRun.log" "-------------------------------------------------------------" \
    "MpCmdRun: Command Line: \"C:\\ProgramData\\Microsoft\\Windows Defender\\platform\\MpCmdRun.exe\" -wdenable" \
    " Start Time: Fri  Nov  28  2026 09:12:44" "MpCmdRun: End Time: Fri  Nov  28  2026 09:12:45"
filler "$C/Windows/Temp/MpSigStub.log" 6144 "Product Search: {8A69D345-D564-463C-AFF1-A69D9E530F96} found"
filler "$C/Windows/Temp/cab_4412_3/update.mum" 20480 "<assemblyIdentity name=\"Package_for_KB5031356\"/>"
filler "$C/Windows/Temp/cab_4412_3/update.cat" 8192 "catalog"
put "$C/Windows/Temp/DismHost.exe.log"
filler "$C/Windows/Temp/{5B3C9E21-7A4F-4D02-9C55-1E0A8B76D3F2}/setup.msi" 65536 "MSI installer data"

# A program in Program Files: nothing there is named like a temp folder, so on every platform
# its files stay. Its thumbnail cache lies in the user's profile, where it is a hit.
filler "$C/Program Files/PixelWerk/PixelWerk.exe" 98304 "MZ PixelWerk 4.2 image viewer"
filler "$C/Program Files/PixelWerk/pwcore.dll" 40960 "MZ PixelWerk core library"
put "$C/Program Files/PixelWerk/Lizenz.txt" "PixelWerk 4.2 - Freeware fuer den privaten Gebrauch."
for n in 01 02 03 04 05 06 07 08; do
    filler "$C/Users/Anna/AppData/Local/PixelWerk/Cache/thumb_$n.jpg" $((1536 + 10#$n * 211)) \
        "JFIF thumbnail $n"
done

profile() {
    local user=$1 home=$C/Users/$1
    local local_app=$home/AppData/Local roaming=$home/AppData/Roaming

    put "$home/Documents/Einkaufsliste.txt" "Milch" "Brot" "Kaffee"
    put "$home/Desktop/desktop.ini" "[.ShellClassInfo]" "LocalizedResourceName=@%SystemRoot%\\system32\\shell32.dll,-21769"
    hide "$home/Desktop/desktop.ini" 6
    filler "$roaming/Microsoft/Windows/Start Menu/Programs/PixelWerk.lnk" 1420 "shell link"

    # The user's temp folder, where installers and programs leave their leftovers.
    put "$local_app/Temp/wct7E3A.tmp"
    filler "$local_app/Temp/~DF8C21A4B6E0F1D2.TMP" 16384 "compound document"
    put "$local_app/Temp/chrome_installer.log" "[1128/091533.412:INFO:setup_main.cc] Installing Chrome 131.0.6778.86"
    filler "$local_app/Temp/$user-setup/PixelWerk_Setup_4.2.exe" 131072 "NSIS installer PixelWerk"
    put "$local_app/Temp/$user-setup/install.log" "Extract: PixelWerk.exe... 100%" "Completed"
    read_only "$local_app/Temp/$user-setup/install.log"
    filler "$local_app/Temp/Low/IE_cache_4F.dat" 4096 "low integrity"

    # Browser caches and cookies.
    local edge="$local_app/Microsoft/Edge/User Data/Default"
    local hosts=(www.tagesschau.de www.wikipedia.org www.heise.de www.bahn.de www.dwd.de
        www.chefkoch.de fonts.gstatic.com www.ebay.de cdn.jsdelivr.net www.spiegel.de)
    local i=0 host
    for host in "${hosts[@]}"; do
        i=$((i + 1))
        cached "$edge/Cache/Cache_Data/f_$(printf '%06x' $i)" $((900 + i * 733)) \
            "https://$host/assets/app.$i.css" text/css
    done
    filler "$edge/Cache/Cache_Data/index" 24 "index"
    filler "$edge/Cache/Cache_Data/data_0" 45056 "block file 0"
    filler "$edge/Cache/Cache_Data/data_1" 270336 "block file 1"
    filler "$edge/Code Cache/js/index" 24 "index"
    filler "$edge/Code Cache/js/9d1f33b0c2e4a7f1_0" 18432 "v8 code cache"
    put "$edge/Bookmarks" "{ \"roots\": { \"bookmark_bar\": { \"children\": [] } }, \"version\": 1 }"
    filler "$edge/History" 131072 "SQLite format 3"

    local chrome="$local_app/Google/Chrome/User Data/Default"
    i=0
    for host in "${hosts[@]:3}"; do
        i=$((i + 1))
        cached "$chrome/Cache/Cache_Data/f_$(printf '%06x' $((i + 32)))" $((1200 + i * 517)) \
            "https://$host/static/main.$i.js" application/javascript
    done
    filler "$chrome/Cache/Cache_Data/index" 24 "index"
    filler "$chrome/Login Data" 40960 "SQLite format 3"

    for host in "${hosts[@]:0:6}"; do
        put "$roaming/Microsoft/Windows/Cookies/$user@${host#www.}[1].txt" \
            "session_id" "a81f0c$((${#host} * 7919))" "$host/" "9728" "1791637504" "31113482"
    done
    local ie="$local_app/Microsoft/Windows/Temporary Internet Files/Content.IE5"
    put "$ie/index.dat"
    filler "$ie/X7QK2M1B/logo[1].png" 3072 "PNG image"
    put "$roaming/Microsoft/Windows/Recent/Einkaufsliste.txt.lnk" "shell link"
    put "$roaming/Microsoft/Windows/Recent/Rechnung_November.pdf.lnk" "shell link"
}
profile Anna
profile Ben

# What must survive every run: a document in a folder that only looks like a cache.
put "$C/Users/Anna/Documents/Steuer/Belege 2025.txt" "Handwerkerrechnung 2025-03-14  312,40 EUR"
put "$C/Users/Anna/Pictures/Urlaub 2025/IMG_0412.jpg" "JFIF holiday picture"

# Hidden, read-only and locked files where cleaning meets them.
put "$C/Users/Anna/AppData/Local/Temp/.~lock.Rechnung_November.odt#" "Anna,ANNA-PC,28.11.2026 09:40"
hide "$C/Users/Anna/AppData/Local/Temp/wct7E3A.tmp"
read_only "$C/Users/Anna/AppData/Local/Temp/chrome_installer.log" "$C/Windows/Temp/MpCmdRun.log"
hide "$C/Windows/Temp/cab_4412_3/update.cat" 6

# ---------------------------------------------------------------- D: the data drive
project=$D/Projekte/webshop
put "$project/package.json" "{" "  \"name\": \"webshop\"," "  \"version\": \"0.3.1\"," \
    "  \"scripts\": { \"build\": \"vite build\", \"dev\": \"vite\" }" "}"
put "$project/src/main.js" "import { createApp } from 'vue';" "import App from './App.vue';" \
    "createApp(App).mount('#app');"
put "$project/src/App.vue" "<template><h1>Webshop</h1></template>"
for package in vue vite esbuild rollup lodash-es postcss nanoid picocolors source-map-js \
    @vue/compiler-dom @vue/runtime-core @vue/shared; do
    put "$project/node_modules/$package/package.json" "{ \"name\": \"$package\", \"license\": \"MIT\" }"
    filler "$project/node_modules/$package/dist/index.js" $((2048 + ${#package} * 977)) \
        "export const ${package//[^a-z]/_} = () => {};"
    put "$project/node_modules/$package/README.md" "# $package"
done
filler "$project/node_modules/.vite/deps/vue.js" 30720 "// prebundled vue"
filler "$project/node_modules/.cache/babel-loader/4f2c1e9a.json" 2048 "{\"code\":\"\"}"
filler "$project/tmp/build-2026-11-27.log" 4096 "vite v5.4.11 building for production..."
filler "$project/tmp/bundle-report.html" 12288 "<div class=\"chunk\"></div>"
put "$D/Fotos/2025/Sommer/IMG_2231.jpg" "JFIF"
put "$D/Temp/Download_Rest.part"
filler "$D/Temp/ubuntu-24.04-desktop-amd64.iso.part" 262144 "partial download"

# One date for everything, so the demo looks alike on every machine; files first, then folders.
find "$root" -depth -exec touch -h -d '2026-11-28 09:41:00' {} +
