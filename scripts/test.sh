#!/usr/bin/env bash
# Runs every test: the unit and end-to-end tests on a normal build, then again on a build with
# AddressSanitizer and UndefinedBehaviorSanitizer, then the static analysis, a bounded run of
# every fuzz target and the Windows builds (the 64-bit tree's tests under Wine,
# scripts/test-windows.sh). Installs missing tools first (as root).
# Usage: scripts/test.sh [--quick]   (--quick: the normal build's tests only)
# DUNAX_FUZZ_SECONDS sets the fuzzing time per target (default 45); DUNAX_SKIP_WINDOWS=1 leaves
# out the Windows builds.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
"$here/scripts/ensure_tools.sh" tmux dpkg-dev

quick=0
[ "${1:-}" = "--quick" ] && quick=1
jobs=$(nproc)

echo "== build (RelWithDebInfo)"
"$here/scripts/build.sh" build
echo "== tests"
(cd build && ctest -j "$jobs" --output-on-failure --timeout 600)

if [ "$quick" -eq 0 ]; then
  echo "== build (AddressSanitizer + UndefinedBehaviorSanitizer)"
  "$here/scripts/build.sh" build-asan -DCMAKE_BUILD_TYPE=Debug -DDUNAX_SANITIZE=ON
  echo "== tests under the sanitizers"
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  (cd build-asan && ctest -j "$jobs" --output-on-failure --timeout 900 -LE no-sanitizer)
  unset ASAN_OPTIONS UBSAN_OPTIONS
  echo "== static analysis"
  "$here/scripts/analyse.sh" build
  echo "== fuzzing"
  "$here/scripts/fuzz.sh" "${DUNAX_FUZZ_SECONDS:-45}"
  if [ "${DUNAX_SKIP_WINDOWS:-0}" = 1 ]; then
    echo "== Windows builds skipped (DUNAX_SKIP_WINDOWS=1)"
  else
    "$here/scripts/test-windows.sh"
  fi
fi
echo "== all tests passed"
