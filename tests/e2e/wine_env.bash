# Helpers for end-to-end tests of the Windows build under Wine; source after lib.sh.
# run_wine.sh provides WINE (the loader) and WINEPREFIX (a prefix of this run's own).

: "${WINE:?run the Wine tests through run_wine.sh}"
: "${WINEPREFIX:?run the Wine tests through run_wine.sh}"

# The Windows name of a host path: Wine maps the host root onto drive Z:.
wine_path() {
    local host
    host=$(cd "$(dirname "$1")" && pwd -P)/$(basename "$1")
    printf 'Z:%s' "${host//\//\\}"
}

# wine_start DIR EXE [NAME=VALUE...]: runs the Windows program in DIR with extra environment.
wine_start() {
    local dir=$1 exe=$2
    shift 2
    e2e_start "$dir" env "WINEPREFIX=$WINEPREFIX" WINEDEBUG=-all "$@" "$WINE" "$exe"
}

# set_pending_renames KEY WORK_DIR ENTRY...: writes ENTRY... as the PendingFileRenameOperations
# value under KEY, as Windows keeps it (pairs of names; an empty target is a deletion). reg.exe
# cannot write an empty string into a multi-string value, so regedit takes the bytes; a version
# 5 file is read as UTF-16, and hex(7) bytes are then taken as they are.
set_pending_renames() {
    local key=$1 work=$2 bytes
    shift 2
    bytes=$({ printf '%s\0' "$@"; printf '\0'; } | iconv -f UTF-8 -t UTF-16LE |
        od -An -v -tx1 | tr -s ' \n' ' ' | sed 's/^ //; s/ $//; s/ /,/g')
    {
        printf '\xff\xfe'
        printf 'Windows Registry Editor Version 5.00\r\n\r\n[%s]\r\n"PendingFileRenameOperations"=hex(7):%s\r\n' \
            "${key/HKLM/HKEY_LOCAL_MACHINE}" "$bytes" | iconv -f UTF-8 -t UTF-16LE
    } >"$work/pending.reg"
    "$WINE" regedit /s "$(wine_path "$work/pending.reg")" >/dev/null 2>&1 ||
        e2e_fail "could not set the registry value"
}

# Prints the background colour code (40-47, 100-107, or "default") in force where TEXT first
# appears on the screen, following the colour changes of capture-pane -e up to that point.
e2e_background_at() {
    local text=$1 screen prefix sgr background=default
    screen=$(e2e_capture_colours)
    [[ $screen == *"$text"* ]] || return 1
    prefix=${screen%%"$text"*}
    while read -r sgr; do
        local codes i
        IFS=';' read -ra codes <<<"$sgr"
        [[ ${#codes[@]} -eq 0 ]] && codes=(0)
        for ((i = 0; i < ${#codes[@]}; i++)); do
            case ${codes[i]} in
                '' | 0 | 49) background=default ;;
                4[0-7] | 10[0-7]) background=${codes[i]} ;;
                48) background=extended; i=$((i + 2)) ;;
                38) i=$((i + 2)) ;;
            esac
        done
    done < <(grep -o $'\e\\[[0-9;]*m' <<<"$prefix" | sed $'s/^\e\\[//; s/m$//')
    echo "$background"
}
