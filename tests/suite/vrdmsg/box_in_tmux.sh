#!/usr/bin/env bash
# The message box in a real terminal (a tmux pane of 80 by 24) ended by a termination request:
# while the box waits for a key the driver gets SIGNAL (TERM or HUP) from outside; the box stops
# waiting, is blanked, answers "u", and the signal reaches the handler the driver had installed
# before the box; the terminal echoes and reads lines again afterwards.
# Usage: box_in_tmux.sh DRIVER MODULE-DIR SIGNAL   (exit 77: tmux missing, skipped)
set -euo pipefail
driver=$1
modules=$2
signal=${3:-TERM}
source "$(dirname "$0")/../../support/tmux_session.sh"

fail() {
  echo "FAILED: $*"
  echo "--- screen:"
  capture_screen box
  echo "--- result file:"
  cat "$work/result" 2>/dev/null || true
  exit 1
}

cat >"$work/run.sh" <<SCRIPT
unset DUNAX_VRDMSG_ANSWERS
COB_LIBRARY_PATH='$modules' '$driver' '$work/result'
echo "driver ended \$?"
stty -a >'$work/stty-after'
echo "PANE-IS-USABLE"
read -r ignored
SCRIPT

result_has() { grep -q "$1" "$work/result" 2>/dev/null; }
screen_has() { tmux_ capture-pane -p -t box | grep -qF "$1"; }

tmux_ new-session -d -s box -x 80 -y 24 "bash '$work/run.sh'"
wait_for 100 screen_has "Ignora este Ficheiro?" || fail "the box did not show"
pid=$(sed -n 's/^pid //p' "$work/result")
kill -s "$signal" "$pid"
wait_for 50 result_has "^noted " || fail "the box still waits after SIG$signal"
grep -qx "answer u" "$work/result" || fail "the box did not answer u"
number=$(kill -l "$signal")
grep -qx "noted $number" "$work/result" || fail "the driver's own handler did not see SIG$signal"
wait_for 50 screen_has "PANE-IS-USABLE" || fail "the driver did not end"
screen_has "driver ended 0" || fail "the driver did not end with 0"
screen_has "Ignora este Ficheiro?" && fail "the box was left on the screen"
tr ' ' '\n' <"$work/stty-after" | grep -qx echo || fail "the terminal does not echo afterwards"
tr ' ' '\n' <"$work/stty-after" | grep -qx icanon ||
  fail "the terminal does not read lines afterwards"
echo "box in tmux (SIG$signal): passed"
