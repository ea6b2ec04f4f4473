#!/usr/bin/env bash
# Runs one Windows program under Wine and ends with its exit code: the emulator through which
# CTest runs the tests of a 64-bit Windows tree (set by the top CMakeLists.txt).
# Usage: scripts/wine-run.sh PREFIX PROGRAM [ARGUMENT ...]
#        scripts/wine-run.sh PREFIX --prepare   (before a run of many: see below)
# PREFIX is the Wine prefix (the tree's own, <build>/wineprefix); it is made on first use.
# Wine's own messages are silenced (WINEDEBUG=-all) and its Mono and Gecko installers are never
# offered. scripts/test-windows.sh keeps one wineserver running over a whole CTest run; without
# it, Wine starts one for the run.
set -uo pipefail
if [ $# -lt 2 ]; then
  echo "usage: $0 PREFIX PROGRAM [ARGUMENT ...]" >&2
  exit 2
fi
prefix=$1; shift

export WINEPREFIX=$prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
wine=$(command -v wine || true)
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
if [ ! -x "$wine" ]; then
  echo "wine-run.sh: Wine is not installed (apt-get install wine wine64)" >&2
  exit 127
fi

# The first run makes the prefix; runs started at the same time wait for it. "--prepare" as
# the program makes it and starts Wine's own background processes (services, devices) with
# nothing of the caller's attached: started by a test instead, they would hold its output open
# for as long as a kept-up wineserver lives, and the test would seem never to end.
ready=$prefix/.dunax-prefix-ready
if [ ! -f "$ready" ]; then
  mkdir -p "$prefix"
  (
    flock 9
    if [ ! -f "$ready" ]; then
      wineboot -i >/dev/null 2>&1 || { echo "wine-run.sh: cannot make the Wine prefix $prefix" >&2; exit 1; }
      touch "$ready"
    fi
  ) 9>"$prefix/.dunax-prefix-lock" || exit 1
fi
if [ "$1" = "--prepare" ]; then
  "$wine" cmd /c exit 0 </dev/null >/dev/null 2>&1
  exit 0
fi

exec "$wine" "$@"
