# Helpers for end-to-end tests: the real binary in a detached tmux session of 80x25 cells.
# Source this file; every test gets its own sandbox directory and tmux server.

set -euo pipefail

E2E_ROOT=$(mktemp -d "${TMPDIR:-/tmp}/kehrwix-e2e-XXXXXX")
E2E_SOCKET="kehrwix-e2e-$$"
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
e2e_stop() { tmux -L "$E2E_SOCKET" kill-server 2>/dev/null || true; }

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

# e2e_ended [SECONDS]: waits for the program to end with status 0.
e2e_ended() {
    local status
    status=$(e2e_wait_exit "${1:-20}")
    [[ $status == 0 ]] || e2e_fail "exit status $status"
}
