#!/usr/bin/env bash
# The Windows half of the tests: cross-builds the 64-bit tree and runs its tests under Wine (one
# wineserver kept up for the whole CTest run, stopped after), then cross-builds the 32-bit
# programs and modules with warnings as errors and checks their shape from the host. They are
# compiled and linked only: they need a 32-bit Wine, which this machine's kernel cannot run.
# Installs MinGW-w64 and Wine first (as root).
# Usage: scripts/test-windows.sh   (called by scripts/test.sh; DUNAX_SKIP_WINDOWS=1 skips it there)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
"$here/scripts/ensure_tools.sh" windows

# The tree's Wine prefix is made while the tree builds (making it mostly waits).
export WINEPREFIX=$here/build-windows-x64/wineprefix
export WINEDEBUG=-all
mkdir -p "$WINEPREFIX"
wineserver -k 2>/dev/null || true   # a server left by an earlier run of this tree's prefix
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
"$here/scripts/wine-run.sh" "$WINEPREFIX" --prepare &
prepare=$!

echo "== Windows x64: build"
"$here/scripts/build-windows.sh" x64 build-windows-x64
echo "== Windows x64: tests under Wine"
wait "$prepare" || { echo "== the Wine prefix $WINEPREFIX could not be made" >&2; exit 1; }
# Two tests at a time (under Wine a test mostly waits for its processes to start: two at a time
# take a third of the time one at a time takes), and a test that fails is run again, up to three
# times: on a loaded machine a process start can take many seconds; a real failure fails all
# three runs.
(cd build-windows-x64 && ctest -j "$(nproc)" --repeat until-pass:3 --output-on-failure --timeout 600)
wineserver -k 2>/dev/null || true
trap - EXIT

# The 32-bit tree holds the programs and modules only: its test programs could not run here.
echo "== Windows x86: build (compile and link only, warnings are errors)"
"$here/scripts/build-windows.sh" x86 build-windows-x86 -DDUNAX_TESTS=OFF
echo "== Windows x86: the tree's shape (checked from the host; its programs cannot run here)"
bash "$here/tests/windows/build_shape.sh" i686-w64-mingw32-objdump "$here/build-windows-x86"
