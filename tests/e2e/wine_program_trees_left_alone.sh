#!/usr/bin/env bash
# Lines an earlier version stored inside installed software and package trees are skipped: the
# Program Files folder Wine names in the environment, a project's node_modules. A real temp
# folder beside them is emptied.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/wine_env.bash"
exe=$1
root=$E2E_ROOT

npm="$WINEPREFIX/drive_c/Program Files/nodejs/node_modules/npm/node_modules/undici/lib/web/cache"
mkdir -p "$npm" "$root/start" "$root/config" "$root/proj/node_modules/x/cache" "$root/Temp/sub"
for f in "$npm/index.js" "$root/proj/node_modules/x/cache/a.js" "$root/Temp/sub/junk.tmp"; do
    echo data >"$f"
done
trap 'rm -rf "$WINEPREFIX/drive_c/Program Files/nodejs"; e2e_cleanup' EXIT

printf '*C:\\Program Files\\nodejs\\node_modules\\npm\\node_modules\\undici\\lib\\web\\cache\\\r\n*%s\r\n*%s\r\n' \
    "$(wine_path "$root/proj/node_modules/x/cache")" "$(wine_path "$root/Temp")" \
    >"$root/config/KEHRWIX.INI"

wine_start "$root/start" "$exe" "KEHRWIX=$(wine_path "$root/config")"
e2e_wait_for " fertig." 60
status=$(e2e_wait_exit 60)
[[ $status == 0 ]] || e2e_fail "exit status $status"

[[ -f $npm/index.js ]] || e2e_fail "a file inside Program Files is gone"
[[ -f $root/proj/node_modules/x/cache/a.js ]] || e2e_fail "a file inside node_modules is gone"
[[ -d $root/Temp && -z $(ls -A "$root/Temp") ]] || e2e_fail "the real temp folder was not emptied"
echo "ok: program trees left alone"
