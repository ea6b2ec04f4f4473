#!/usr/bin/env bash
# Builds the fuzz targets (libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer, clang)
# in build-fuzz and runs each for a bounded time, starting from its checked-in corpus in
# tests/fuzz/corpus/<target>/. Fails on any crash, leak, failed check or sanitizer report; the
# input that caused it is kept in build-fuzz/artifacts/. Installs clang and its run-time
# libraries first when missing (as root).
# The tree is a whole build (the programs, modules and tests too, all sanitized): scripts/test.sh
# runs the test suite in it as its sanitizer suite. The targets run side by side, one a processor.
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET [TARGET ...]]
#        scripts/fuzz.sh --build-only   (builds the whole tree, runs nothing)
#   SECONDS_PER_TARGET  default 60 (or $DUNAX_FUZZ_SECONDS)
#   TARGET              default: every target in tests/fuzz/corpus
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
"$here/scripts/ensure_tools.sh" clang libclang-rt-14-dev

build_only=0
[ "${1:-}" = "--build-only" ] && build_only=1 && shift
seconds=${1:-${DUNAX_FUZZ_SECONDS:-60}}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for dir in "$here"/tests/fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi

build="$here/build-fuzz"
generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
# Line tables are all the debug information a sanitizer's report needs (file and line of every
# frame), and much cheaper to build than full debug information.
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$here" -B "$build" "${generator[@]}" -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDUNAX_FUZZ=ON \
    "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -gline-tables-only -DNDEBUG" \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -gline-tables-only -DNDEBUG" >/dev/null
fi
echo "== build (libFuzzer + AddressSanitizer + UndefinedBehaviorSanitizer)"
if [ "$build_only" -eq 1 ]; then
  cmake --build "$build" -j 2 | tail -1
  exit 0
fi
cmake --build "$build" --target fuzz_targets -j 2 | tail -1

artifacts="$build/artifacts"
work="$build/work"
rm -rf "$work"
mkdir -p "$artifacts" "$work"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:symbolize=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The executor's target must never reach a real shell; the in-memory host keeps it away, and
# PATH is emptied besides.
# One target: runs it, leaves its summary line in $work/<target>.result and prints what a failure
# left in its log.
fuzz_one() {
  local target=$1 program="$build/fuzz/$1" seeds="$here/tests/fuzz/corpus/$1"
  local log="$work/$1.log" result=passed
  if [ ! -x "$program" ] || [ ! -d "$seeds" ]; then
    echo "no such fuzz target: $target" >&2
    printf '%-20s %s\n' "$target" "FAILED (no such target)" >"$work/$target.result"
    return
  fi
  mkdir -p "$work/$target"
  if ! (cd "$work" && PATH= "$program" -max_total_time="$seconds" -print_final_stats=1 \
          -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
          -artifact_prefix="$artifacts/$target-" "$work/$target" "$seeds") >"$log" 2>&1; then
    result=FAILED
    { echo "== fuzz $target failed:"
      grep -E 'ERROR|check failed|SUMMARY|Test unit written|runtime error' "$log" | head -20 || true
      tail -40 "$log"; } >&2
  fi
  local runs found
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  found=$(find "$work/$target" -type f | wc -l)
  printf '%-20s %12s inputs tried %6s new corpus entries  %s\n' "$target" "${runs:-?}" "$found" \
    "$result" >"$work/$target.result"
}

# The targets run side by side, one a processor (each libFuzzer run uses one).
lanes=$(nproc)
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$lanes" ]; do wait -n || true; done
  echo "== fuzz $target for ${seconds} s"
  fuzz_one "$target" &
done
wait

failed=()
summary=()
for target in "${targets[@]}"; do
  summary+=("$(cat "$work/$target.result")")
  if grep -q 'FAILED' "$work/$target.result"; then failed+=("$target"); fi
done

echo "== fuzz summary (${seconds} s per target)"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -ne 0 ]; then
  echo "== fuzzing failed: ${failed[*]} (inputs in $artifacts)"
  exit 1
fi
echo "== fuzzing: no crash, leak or sanitizer report"
