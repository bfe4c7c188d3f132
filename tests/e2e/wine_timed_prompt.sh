#!/usr/bin/env bash
# A later run shows its one-line prompt in the normal colours and, with no key pressed, ends by
# itself with exit status 0.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/wine_env.bash"
exe=$1

mkdir -p "$E2E_ROOT/start" "$E2E_ROOT/config" "$E2E_ROOT/empty"
printf ' %s\r\n' "$(wine_path "$E2E_ROOT/empty")" >"$E2E_ROOT/config/KEHRWIX.INI"

wine_start "$E2E_ROOT/start" "$exe" "KEHRWIX=$(wine_path "$E2E_ROOT/config")"
e2e_wait_for "kehrwix     press any key to menue" 60
background=$(e2e_background_at "kehrwix     press any key to menue")
[[ $background == 44 ]] || e2e_fail "prompt background is $background, not blue (44)"

status=$(e2e_wait_exit 60)
[[ $status == 0 ]] || e2e_fail "exit status $status"
[[ -s $E2E_ROOT/config/KEHRWIX.INI ]] || e2e_fail "the path list file was lost"
echo "ok: timed prompt"
