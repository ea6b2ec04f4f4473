#!/usr/bin/env bash
# The converter on a real terminal (a tmux pane of 100 by 30): the progress panel shows the
# title, "Convertendo Ficheiros...", the file name, the time text and counters that move;
# Ctrl+C brings the interruption question through VRDMSG.so; "s" ends the run with 16; the
# terminal is usable afterwards.
# Usage: converter_in_tmux.sh BUILD-DIR   (exit 77: tmux missing, skipped)
set -euo pipefail
build=$(cd "$1" && pwd)
source "$(dirname "$0")/../support/tmux_session.sh"

fail() {
  echo "FAILED: $*"
  echo "--- screen:"
  capture_screen conv
  exit 1
}
screen() { tmux_ capture-pane -p -t conv; }
screen_has() { screen | grep -qF "$1"; }
# The "Registos Lidos" counter as the panel shows it (on the line above its label; groups of
# three digits separated by spaces), as a number.
lidos() {
  screen | grep -B1 "Registos Lidos" | head -1 | sed -E 's/^ *([0-9]+( [0-9]{3})*).*/\1/' | tr -d ' '
}
# The bar's cells are drawn apart, with fill between them: the percentage read without it.
percentage_shown() { screen | sed 's/\xe2\x96\x91//g; s/\xe2\x96\x88//g' | grep -q "$1"; }

# File 3 of 7, 1 hour 5 minutes left, 400,000 slow records served by the scripted program.
parameter="B        RECTEST AAA          clientes.dat                                      CCDEEEEEEEE 0000000700000003000010500  FS"
cat >"$work/run.sh" <<SCRIPT
cd '$work'
export COB_LIBRARY_PATH='$build/lib/dunax:$build/tests/doubles/converter'
export RECTEST_RECORDS=400000 RECTEST_DELAY_US=40
'$build/bin/DUNAXMF' '$parameter'
echo "converter ended \$?"
stty -a >'$work/stty-after'
echo "PANE-IS-USABLE"
read -r line
echo "typed: \$line"
read -r ignored
SCRIPT
tmux_ new-session -d -s conv -x 100 -y 30 "bash '$work/run.sh'"

# The panel is drawn in steps (the design-time title first): wait for each part.
wait_for 300 screen_has "Convertendo Ficheiros..." || fail "no panel"
wait_for 100 screen_has "Em Convers$(printf '\xc3\xa3')o de MfCobol para RmCobol ..." ||
  fail "not the title of direction B"
wait_for 100 screen_has "clientes.dat" || fail "no file name"
wait_for 100 screen_has "1 Hora   5 Minutos" || fail "no time text"
wait_for 100 screen_has "1 de 2" || fail "no phase"
wait_for 100 percentage_shown "042%" || fail "no percentage"
first=$(lidos)
sleep 0.5
second=$(lidos)
[ -n "$first" ] && [ -n "$second" ] && [ "$second" -gt "$first" ] ||
  fail "the counter does not move ($first, then $second)"

tmux_ send-keys -t conv C-c
wait_for 300 screen_has "Interrompe a Convers" || fail "no interruption question after Ctrl+C"
tmux_ send-keys -t conv s
wait_for 100 screen_has "PANE-IS-USABLE" || fail "the converter did not end"
screen_has "converter ended 16" || fail "the interrupted run did not end with 16"
tr ' ' '\n' <"$work/stty-after" | grep -qx echo || fail "the terminal does not echo afterwards"
tr ' ' '\n' <"$work/stty-after" | grep -qx icanon || fail "the terminal does not read lines"
tmux_ send-keys -t conv "hello" Enter
wait_for 50 screen_has "typed: hello" || fail "the terminal does not take a typed line"
[ ! -e "$work/clientes.dat.bin" ] && [ ! -e "$work/clientes.dat.bin.dunax-part" ] ||
  fail "the interrupted run left a transfer file behind"
echo "converter in a terminal: panel live, Ctrl+C answered, exit 16, terminal usable"
