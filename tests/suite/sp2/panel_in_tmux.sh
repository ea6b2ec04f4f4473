#!/usr/bin/env bash
# The panel in a real terminal (a tmux pane of 80 by 24). Scenarios:
#   count: the driver counts 300 000 records through SP2MF.so; the screen shows the title, the
#          static texts and the counters; Ctrl+C comes back as key code 3 at the next full
#          display; after the window closes the terminal echoes and reads lines again, shows its
#          cursor and keeps the last state on the screen.
#   ask:   after Ctrl+C the driver asks the interruption question through VRDMSG.so: the box
#          shows on the panel, the arrow key moves to "Sim", Enter answers "y", the box goes.
#   leave: the driver ends without closing the window: the terminal is put back all the same.
#   background: the driver runs as a background job: it draws nothing and is not stopped.
#   suspend: from an interactive shell, Ctrl+Z stops the driver with the terminal put back
#          (cursor shown); "fg" draws the panel again; Ctrl+C still gives key code 3.
# Usage: panel_in_tmux.sh DRIVER MODULE-DIR SCENARIO   (exit 77: tmux missing, skipped)
set -euo pipefail
driver=$1
modules=$2
scenario=${3:-count}
source "$(dirname "$0")/../../support/tmux_session.sh"

fail() {
  echo "FAILED: $*"
  echo "--- screen:"
  capture_screen panel
  echo "--- result file:"
  cat "$work/result" 2>/dev/null || true
  exit 1
}

cat >"$work/run.sh" <<SCRIPT
export COB_LIBRARY_PATH='$modules'
if [ "\${3:-}" = background ]; then
  set -m
  '$driver' '$work/result' \$1 \$2 &
  wait \$!
else
  '$driver' '$work/result' \$1 \$2
fi
echo "driver ended \$?"
stty -a >'$work/stty-after'
echo "PANE-IS-USABLE"
read -r ignored
SCRIPT

start() {
  tmux_ new-session -d -s panel -x 80 -y 24 "bash '$work/run.sh' $1 $2 ${3:-}"
}

result_has() { grep -q "$1" "$work/result" 2>/dev/null; }
screen_has() { tmux_ capture-pane -p -t panel | grep -qF "$1"; }
# The button shown in reverse video (capture with attributes).
selected_is() { tmux_ capture-pane -e -p -t panel | grep -qF $'\e[7m[ '"$1"' ]'; }

# After the driver: the shell in the pane echoes, reads lines and shows its cursor again.
check_terminal_put_back() {
  wait_for 100 screen_has "PANE-IS-USABLE" || fail "the driver did not end"
  screen_has "driver ended 0" || fail "the driver did not end with 0"
  tr ' ' '\n' <"$work/stty-after" | grep -qx echo || fail "the terminal does not echo afterwards"
  tr ' ' '\n' <"$work/stty-after" | grep -qx icanon || fail "the terminal does not read lines afterwards"
  [ "$(tmux_ display -p -t panel '#{cursor_flag}')" = 1 ] || fail "the cursor is not shown afterwards"
  echo "--- screen at the end:"
  tmux_ capture-pane -p -t panel
}

case "$scenario" in
count)
  start 300000 close
  wait_for 600 result_has "counted 300000" || fail "the driver did not count its records"
  wait_for 100 screen_has "300 000" || fail "the counters do not show 300 000"
  screen=$(tmux_ capture-pane -p -t panel)
  echo "--- screen while counting:"
  echo "$screen"
  for text in "Em Conversão de MfCobol para RmCobol ..." "Convertendo Ficheiros..." \
              "Registos Lidos" "Registos Escritos" "Tempo Estimado:" "CLIENTES.DAT" \
              "2 Dias  5 Horas  0 Minutos  7 Segundos" "1 de 2" "    300 000" "0 5 0 %"; do
    grep -qF "$text" <<<"$screen" || fail "the screen lacks \"$text\""
  done
  grep -qE "^ +5 +de +10" <<<"$screen" || fail "the screen lacks \"5 de 10\""
  [ "$(tmux_ display -p -t panel '#{cursor_flag}')" = 0 ] || fail "the cursor is shown over the panel"
  tmux_ send-keys -t panel C-c
  wait_for 100 result_has "^key " || fail "no key code came back after Ctrl+C"
  grep -qx "key 3" "$work/result" || fail "Ctrl+C did not give key code 3"
  check_terminal_put_back
  screen_has "300 000" || fail "the last state was not left on the screen"
  ;;
ask)
  start 1000 ask
  wait_for 600 result_has "counted 1000" || fail "the driver did not count its records"
  wait_for 100 screen_has "1 000" || fail "the counters do not show 1 000"
  tmux_ send-keys -t panel C-c
  wait_for 100 screen_has "Interrompe a Conversão?" || fail "the question box did not show"
  screen=$(tmux_ capture-pane -p -t panel)
  echo "--- screen with the question:"
  echo "$screen"
  for text in "Detetado Fecho da Janela!!!" '(Se responder "Sim" pode retomar' \
              "a Conversão neste Ponto)." "[ Sim ]" "[ Não ]" "Registos Lidos"; do
    grep -qF "$text" <<<"$screen" || fail "the screen lacks \"$text\""
  done
  # "Não" is the default: it is the button shown in reverse video.
  selected_is "Não" || fail "Não is not the selected button"
  tmux_ send-keys -t panel Right
  wait_for 50 selected_is "Sim" || fail "the arrow key did not select Sim"
  tmux_ send-keys -t panel Enter
  wait_for 100 result_has "^answer " || fail "the box gave no answer"
  grep -qx "answer y" "$work/result" || fail "Enter on Sim did not answer y"
  grep -qx "key 3" "$work/result" || fail "Ctrl+C did not give key code 3"
  check_terminal_put_back
  screen_has "Interrompe" && fail "the box was left on the screen"
  screen_has "Registos Lidos" || fail "the panel was not shown again"
  ;;
leave)
  start 1000 leave
  wait_for 600 result_has "counted 1000" || fail "the driver did not count its records"
  check_terminal_put_back
  ;;
background)
  start 1000 leave background
  wait_for 600 result_has "counted 1000" || fail "the driver did not count its records"
  check_terminal_put_back
  screen_has "Registos Lidos" && fail "a background job drew its panel"
  ;;
suspend)
  tmux_ new-session -d -s panel -x 80 -y 24 "PS1='READY> ' bash --norc --noprofile -i"
  wait_for 50 screen_has "READY>" || fail "the shell did not start"
  tmux_ send-keys -t panel "COB_LIBRARY_PATH='$modules' '$driver' '$work/result' 1000" Enter
  wait_for 600 result_has "counted 1000" || fail "the driver did not count its records"
  wait_for 100 screen_has "Registos Lidos" || fail "the panel did not show"
  tmux_ send-keys -t panel C-z
  wait_for 50 screen_has "Stopped" || fail "Ctrl+Z did not stop the driver"
  [ "$(tmux_ display -p -t panel '#{cursor_flag}')" = 1 ] || fail "the cursor is hidden while stopped"
  tmux_ send-keys -t panel clear Enter
  wait_for 50 eval '! screen_has "Registos Lidos"' || fail "the screen was not cleared"
  tmux_ send-keys -t panel fg Enter
  wait_for 100 screen_has "Registos Lidos" || fail "the panel was not drawn again after fg"
  [ "$(tmux_ display -p -t panel '#{cursor_flag}')" = 0 ] || fail "the cursor is shown over the panel"
  tmux_ send-keys -t panel C-c
  wait_for 100 result_has "^key " || fail "no key code came back after Ctrl+C"
  grep -qx "key 3" "$work/result" || fail "Ctrl+C did not give key code 3"
  tmux_ send-keys -t panel "echo driver ended \$?; stty -a >'$work/stty-after'; echo PANE-IS-'USABLE'" Enter
  check_terminal_put_back
  ;;
*)
  echo "unknown scenario $scenario"
  exit 1
  ;;
esac
echo "panel in tmux ($scenario): passed"
