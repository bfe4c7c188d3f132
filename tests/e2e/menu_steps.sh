# Steps the menu end-to-end tests share; source after lib.sh.

# menu_project DIR: BUILD and LOGS hold junk; LOGS/old and SRC hold files that must stay.
menu_project() {
    mkdir -p "$1/BUILD/obj" "$1/LOGS/old" "$1/SRC"
    echo junk >"$1/BUILD/obj/main.o"
    echo junk >"$1/LOGS/today.log"
    echo keep >"$1/LOGS/old/last.log"
    echo keep >"$1/SRC/main.c"
}

# The path list display drops keys typed in its first 200 ms; close it after that.
close_list() {
    sleep 0.5
    e2e_keys Space
    e2e_wait_for "(Z)eige Pfade" 10
}

# menu_clean_checked DIR SECONDS: c cleans and ends with status 0; BUILD was listed with its
# subfolders, LOGS without, and nothing else in DIR was touched.
menu_clean_checked() {
    local dir=$1 status
    e2e_literal c
    status=$(e2e_wait_exit "$2")
    [[ $status == 0 ]] || e2e_fail "exit status $status"
    [[ -d $dir/BUILD && -z $(ls -A "$dir/BUILD") ]] || e2e_fail "BUILD not emptied"
    [[ ! -e $dir/LOGS/today.log ]] || e2e_fail "LOGS kept its files"
    [[ $(cat "$dir/LOGS/old/last.log") == keep ]] || e2e_fail "files-only line went deeper"
    [[ $(cat "$dir/SRC/main.c") == keep ]] || e2e_fail "an unlisted folder was touched"
}
