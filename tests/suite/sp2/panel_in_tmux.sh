#!/usr/bin/env bash
# The panel in a real terminal (a tmux pane of 80 by 24): the driver counts 300 000 records
# through SP2MF.so; the screen shows the title, the static texts and the counters; Ctrl+C comes
# back as key code 3 at the next full display; after the window closes the terminal echoes and
# reads lines again and shows its cursor.
# Usage: panel_in_tmux.sh DRIVER MODULE-DIR   (exit 77: tmux missing, the test is skipped)
set -euo pipefail
driver=$1
modules=$2
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

fail() {
  echo "FAILED: $*"
  echo "--- screen:"
  tmux_ capture-pane -p -t panel 2>/dev/null || true
  echo "--- result file:"
  cat "$work/result" 2>/dev/null || true
  exit 1
}

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

cat >"$work/run.sh" <<SCRIPT
export COB_LIBRARY_PATH='$modules'
'$driver' '$work/result' 300000
echo "driver ended \$?"
stty -a >'$work/stty-after'
echo "PANE-IS-USABLE"
read -r ignored
SCRIPT

tmux_ new-session -d -s panel -x 80 -y 24 "bash '$work/run.sh'"

result_has() { grep -q "$1" "$work/result" 2>/dev/null; }
screen_has() { tmux_ capture-pane -p -t panel | grep -qF "$1"; }

wait_for 600 result_has "counted 300000" || fail "the driver did not count its records"
wait_for 100 screen_has "300 000" || fail "the counters do not show 300 000"
screen=$(tmux_ capture-pane -p -t panel)
for text in "Em Conversão de MfCobol para RmCobol ..." "Convertendo Ficheiros..." \
            "Registos Lidos" "Registos Escritos" "Tempo Estimado:" "CLIENTES.DAT" \
            "2 Dias  5 Horas  0 Minutos  7 Segundos" "1 de 2" "    300 000"; do
  grep -qF "$text" <<<"$screen" || fail "the screen lacks \"$text\""
done
# "5 de 10" on the line of the file counts.
grep -qE "^ +5 +de +10" <<<"$screen" || fail "the screen lacks \"5 de 10\""
# The cursor is hidden while the panel is shown.
[ "$(tmux_ display -p -t panel '#{cursor_flag}')" = 0 ] || fail "the cursor is shown over the panel"

echo "--- screen while counting:"
echo "$screen"
tmux_ send-keys -t panel C-c
wait_for 100 result_has "^key " || fail "no key code came back after Ctrl+C"
grep -qx "key 3" "$work/result" || fail "Ctrl+C did not give key code 3"

wait_for 100 screen_has "PANE-IS-USABLE" || fail "the driver did not end"
screen_has "driver ended 0" || fail "the driver did not end with 0"
tr ' ' '\n' <"$work/stty-after" | grep -qx echo || fail "the terminal does not echo after the window closed"
tr ' ' '\n' <"$work/stty-after" | grep -qx icanon || fail "the terminal does not read lines after the window closed"
[ "$(tmux_ display -p -t panel '#{cursor_flag}')" = 1 ] || fail "the cursor is not shown after the window closed"
# The last state stays on the screen above the prompt.
screen_has "300 000" || fail "the last state was not left on the screen"
echo "--- screen after the window closed:"
tmux_ capture-pane -p -t panel
echo "panel in tmux: passed"
