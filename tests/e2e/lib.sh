# Helpers for end-to-end tests: the real binary in a detached tmux session of 80x25 cells.
# Source this file; every test gets its own sandbox directory and tmux server.

set -euo pipefail

E2E_ROOT=$(mktemp -d "${TMPDIR:-/tmp}/kehrwix-e2e-XXXXXX")
E2E_SOCKET="kehrwix-e2e-$$"
E2E_STARTS=0
E2E_EXIT_FILE="$E2E_ROOT/exit-status"

e2e_cleanup() {
    e2e_stop
    chmod -R u+rwx "$E2E_ROOT" 2>/dev/null || true
    rm -rf "$E2E_ROOT"
}
trap e2e_cleanup EXIT

e2e_fail() {
    echo "FAIL: $*" >&2
    echo "--- screen ---" >&2
    e2e_capture >&2 || true
    exit 1
}

# e2e_start DIR COMMAND...: runs COMMAND in DIR inside tmux; its exit status lands in a file.
e2e_start() {
    local dir=$1 cmd
    shift
    printf -v cmd '%q ' "$@"
    rm -f "$E2E_EXIT_FILE"
    # A server of its own each time: a killed one may still hold its socket for a moment.
    E2E_SOCKET="kehrwix-e2e-$$-$((++E2E_STARTS))"
    tmux -L "$E2E_SOCKET" -f /dev/null new-session -d -x 80 -y 25 -s main \
        "cd $(printf %q "$dir") && $cmd; echo \$? > $(printf %q "$E2E_EXIT_FILE"); sleep 600"
    tmux -L "$E2E_SOCKET" set-option -g status off >/dev/null
}

# e2e_kehrwix DIR COMMAND...: as e2e_start, with drive C: mapped onto DIR and the path list there.
e2e_kehrwix() {
    local dir=$1
    shift
    e2e_start "$dir" env TERM=xterm-256color KEHRWIX_DRIVES="C:=$dir" KEHRWIX='C:\' "$@"
}
# e2e_menu DIR COMMAND...: as e2e_kehrwix, then a key at the prompt opens the menu.
e2e_menu() {
    e2e_kehrwix "$@"
    e2e_wait_for "press any key to menue" 10
    e2e_keys x
    e2e_wait_for "(Z)eige Pfade" 10
}
e2e_stop() {
    if [[ -n ${E2E_CLIENT_FD:-} ]]; then
        exec {E2E_CLIENT_FD}>&-
        E2E_CLIENT_FD=
    fi
    tmux -L "$E2E_SOCKET" kill-server 2>/dev/null || true
}

# e2e_attach: a tmux client on an 80x25 pseudo-terminal; e2e_client_input BYTES then types as a
# real terminal would (a mouse report reaches the program only when it switched reporting on).
e2e_attach() {
    rm -f "$E2E_ROOT/client-in"
    mkfifo "$E2E_ROOT/client-in"
    (exec 3<>"$E2E_ROOT/client-in" && TERM=xterm-256color script -qfc \
        "stty rows 25 cols 80; tmux -L $E2E_SOCKET attach -t main" /dev/null <&3 >/dev/null 2>&1) &
    exec {E2E_CLIENT_FD}>"$E2E_ROOT/client-in"
    e2e_until 5 eval '[[ -n $(tmux -L "$E2E_SOCKET" list-clients) ]]' || e2e_fail "no client"
}
e2e_client_input() { printf '%b' "$1" >&"$E2E_CLIENT_FD"; }

# e2e_pid BINARY: the program in this test's own pane (other runs of it may be going on).
e2e_pid() {
    local shell
    shell=$(tmux -L "$E2E_SOCKET" display -p -t main '#{pane_pid}')
    pgrep -P "$shell" -f "^$1" || e2e_fail "program not found"
}
e2e_flag() { tmux -L "$E2E_SOCKET" display -p -t main "#{$1}"; }

e2e_capture() { tmux -L "$E2E_SOCKET" capture-pane -p -t main; }
e2e_capture_colours() { tmux -L "$E2E_SOCKET" capture-pane -p -e -t main; }
e2e_keys() { tmux -L "$E2E_SOCKET" send-keys -t main "$@"; }
e2e_literal() { tmux -L "$E2E_SOCKET" send-keys -t main -l "$@"; }

# e2e_until SECONDS COMMAND...: succeeds as soon as COMMAND does, polling every 0.1 s.
e2e_until() {
    local i
    for ((i = 0; i < $1 * 10; i++)); do "${@:2}" && return 0; sleep 0.1; done
    return 1
}
e2e_shows() { e2e_capture | grep -qF -- "$1"; }

# e2e_wait_for TEXT [SECONDS]: waits until TEXT (a fixed string) is on the screen.
e2e_wait_for() { e2e_until "${2:-20}" e2e_shows "$1" || e2e_fail "timed out waiting for: $1"; }

# e2e_wait_exit [SECONDS]: waits for the program to end and prints its exit status.
e2e_wait_exit() {
    local limit=${1:-20}
    e2e_until "$limit" test -s "$E2E_EXIT_FILE" || e2e_fail "program did not end within $limit s"
    cat "$E2E_EXIT_FILE"
}

# e2e_space_until_exit: presses Space up to three times, half a second apart, until the
# program ends; a key sent while a screen is still being drawn may go before it is read.
e2e_space_until_exit() {
    local _
    for _ in 1 2 3; do
        e2e_keys Space
        sleep 0.5
        [[ -s $E2E_EXIT_FILE ]] && break
    done
}

# e2e_ended [SECONDS]: waits for the program to end with status 0.
e2e_ended() {
    local status
    status=$(e2e_wait_exit "${1:-20}")
    [[ $status == 0 ]] || e2e_fail "exit status $status"
}
