# Sourced by the terminal tests: a private tmux server in a fresh work directory, removed on
# exit, and waiting for what the screen shows. Skips the test (exit 77) when tmux is missing.
# Provides: $work, tmux_ (tmux on the private socket), wait_for TENTHS COMMAND..., and
# capture_screen PANE.
if ! command -v tmux >/dev/null 2>&1; then
  echo "tmux is not installed: skipped"
  exit 77
fi

work=$(mktemp -d)
socket="$work/tmux.socket"
tmux_() { tmux -S "$socket" -f /dev/null "$@"; }
cleanup() {
  tmux_ kill-server >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# Waits until the command succeeds, at most $1 tenths of a second.
wait_for() {
  local tenths=$1
  shift
  for ((i = 0; i < tenths; i++)); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  return 1
}

capture_screen() { tmux_ capture-pane -p -t "$1" 2>/dev/null || true; }
