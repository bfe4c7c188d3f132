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
