#!/usr/bin/env bash
# The menu of the Windows build, by keys only: a key at the prompt opens it, the arrow keys
# choose folders, m and s remember them, Z shows the list, and c cleans exactly the listed
# folders and ends with status 0. (A first run would scan every Wine drive, the host's root
# among them, so this starts as a later run.)
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/wine_env.bash"
source "$(dirname "$0")/menu_steps.sh"
exe=$1

start="$E2E_ROOT/start"
menu_project "$start"
mkdir -p "$E2E_ROOT/config" "$E2E_ROOT/empty"
printf ' %s\r\n' "$(wine_path "$E2E_ROOT/empty")" >"$E2E_ROOT/config/KEHRWIX.INI"

wine_start "$start" "$exe" "KEHRWIX=$(wine_path "$E2E_ROOT/config")"
e2e_wait_for "kehrwix     press any key to menue" 60
e2e_keys Space
e2e_wait_for "(Z)eige Pfade" 20

# The start folder lists the up entry, BUILD, LOGS and SRC.
e2e_keys Down
e2e_literal s
e2e_wait_for "zu leerende Verzeichnisse:" 10
e2e_wait_for '\start\BUILD' 5
close_list
e2e_keys Down Down
e2e_literal m
e2e_wait_for '\start\LOGS' 10
close_list
e2e_literal Z
e2e_wait_for "zu leerende Verzeichnisse:" 10
listed=$(e2e_capture)
grep -qE '^   \*Z:.*\\start\\BUILD$' <<<"$listed" || e2e_fail "BUILD not listed with subfolders"
grep -qE '^    Z:.*\\start\\LOGS$' <<<"$listed" || e2e_fail "LOGS not listed without subfolders"
close_list
menu_clean_checked "$start" 60
echo "ok: menu"
