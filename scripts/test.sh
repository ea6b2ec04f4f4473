#!/usr/bin/env bash
# Runs every test: the unit and end-to-end tests on a normal build, then again in the clang tree
# built with AddressSanitizer and UndefinedBehaviorSanitizer (build-fuzz, the same tree that holds
# the fuzz targets, so that one sanitized build serves both), then the static analysis, a short
# bounded run of every fuzz target (its whole corpus first; longer runs: scripts/fuzz.sh) and
# the Windows builds (the 64-bit tree's tests under Wine, scripts/test-windows.sh).
# Installs missing tools first (as root).
# Usage: scripts/test.sh [--quick]   (--quick: the normal build's tests only)
# DUNAX_FUZZ_SECONDS sets the fuzzing time per target (default 10); DUNAX_SKIP_WINDOWS=1 leaves
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
  echo "== build (clang: AddressSanitizer + UndefinedBehaviorSanitizer, with the fuzz targets)"
  "$here/scripts/fuzz.sh" --build-only
  echo "== tests under the sanitizers"
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  (cd build-fuzz && ctest -j "$jobs" --output-on-failure --timeout 900 -LE no-sanitizer)
  unset ASAN_OPTIONS UBSAN_OPTIONS
  echo "== static analysis"
  "$here/scripts/analyse.sh" build
  echo "== fuzzing"
  "$here/scripts/fuzz.sh" "${DUNAX_FUZZ_SECONDS:-10}"
  if [ "${DUNAX_SKIP_WINDOWS:-0}" = 1 ]; then
    echo "== Windows builds skipped (DUNAX_SKIP_WINDOWS=1)"
  else
    "$here/scripts/test-windows.sh"
  fi
fi
echo "== all tests passed"
