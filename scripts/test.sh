#!/usr/bin/env bash
# Runs every test: the unit and end-to-end tests on a normal build, then again in the clang tree
# built with AddressSanitizer and UndefinedBehaviorSanitizer (build-fuzz, the same tree that holds
# the fuzz targets, so that one sanitized build serves both), a short bounded run of every fuzz
# target (its whole corpus first; longer runs: scripts/fuzz.sh) and the Windows builds (the
# 64-bit tree's tests under Wine, scripts/test-windows.sh). The static analysis runs beside all
# that at the lowest priority, started once the normal build is there; it is reported last.
# Installs missing tools first (as root).
# Usage: scripts/test.sh [--quick]   (--quick: the normal build's tests only)
# DUNAX_FUZZ_SECONDS sets the fuzzing time per target (default 10); DUNAX_SKIP_WINDOWS=1 leaves
# out the Windows builds.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
quick=0
[ "${1:-}" = "--quick" ] && quick=1
jobs=$(nproc)

# Every tool is installed here, before anything runs beside anything else (two package
# installations at once would fight over the package manager's lock).
tools=(tmux dpkg-dev)
if [ "$quick" -eq 0 ]; then
  tools+=(clang libclang-rt-14-dev clang-tidy cppcheck python3)
  [ "${DUNAX_SKIP_WINDOWS:-0}" = 1 ] || tools+=(windows)
fi
"$here/scripts/ensure_tools.sh" "${tools[@]}"

echo "== build (RelWithDebInfo)"
"$here/scripts/build.sh" build

# The static analysis needs only the normal build's compile commands. It runs from here on
# beside everything else, at the lowest priority, so that it takes only the processor time the
# tests and the other builds leave unused; its findings come at the end.
analysis=""
analysis_log="$here/build/static-analysis.log"
if [ "$quick" -eq 0 ]; then
  echo "== static analysis: started beside the rest (nice 19), reported at the end"
  # A process group of its own (job control, for the kill on the way out), but the same session:
  # a new session would get a scheduling group of its own, where its priority counts for nothing
  # against this one.
  set -m
  nice -n 19 "$here/scripts/analyse.sh" build >"$analysis_log" 2>&1 &
  analysis=$!
  set +m
  trap '[ -n "$analysis" ] && kill -- -"$analysis" 2>/dev/null || true' EXIT
fi

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
  echo "== fuzzing"
  "$here/scripts/fuzz.sh" "${DUNAX_FUZZ_SECONDS:-10}"
  if [ "${DUNAX_SKIP_WINDOWS:-0}" = 1 ]; then
    echo "== Windows builds skipped (DUNAX_SKIP_WINDOWS=1)"
  else
    "$here/scripts/test-windows.sh"
  fi
  echo "== static analysis (waiting for it to end)"
  analysis_status=0
  wait "$analysis" || analysis_status=$?
  analysis=""
  cat "$analysis_log"
  [ "$analysis_status" -eq 0 ] || exit "$analysis_status"
fi
echo "== all tests passed"
