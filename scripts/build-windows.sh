#!/usr/bin/env bash
# Cross-builds dunax for Windows with MinGW-w64 into a build tree of the install shape
# (bin/*.exe, lib/dunax/*.dll, the tests in tests/). x64 is the tree whose tests run under Wine
# (scripts/test-windows.sh); x86 is compiled and linked with warnings as errors, but its
# programs cannot run here: 32-bit Windows programs need a 32-bit Wine, which this machine's
# kernel cannot run.
# Usage: scripts/build-windows.sh x64|x86 [DIR [cmake options ...]]
#        (DIR defaults to build-windows-x64 or build-windows-x86)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
architecture=${1:-}
case "$architecture" in
  x64) toolchain=$here/cmake/toolchain-mingw-x64.cmake; options=() ;;
  x86) toolchain=$here/cmake/toolchain-mingw-x86.cmake; options=(-DDUNAX_WERROR=ON) ;;
  *) echo "usage: $0 x64|x86 [DIR [cmake options ...]]" >&2; exit 2 ;;
esac
shift
dir=${1:-build-windows-$architecture}
[ $# -gt 0 ] && shift

"$here/scripts/build.sh" "$dir" -DCMAKE_TOOLCHAIN_FILE="$toolchain" "${options[@]}" "$@"
if [ "$architecture" = x86 ]; then
  echo "== $dir: built for 32-bit Windows (compiled and linked only: its programs need a 32-bit Wine, which this machine cannot run)"
else
  echo "== $dir: built for 64-bit Windows (tests: scripts/test-windows.sh)"
fi
