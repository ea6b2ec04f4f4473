#!/usr/bin/env bash
# The cost of the migration report: one migration of many files with --jobs 2, timed without
# and with --report (whose digests read every transfer set and data file again, on the
# report's own thread while further converters run), the two alternating, reps times each.
# Prints the two medians in nanoseconds: "without with". bench/run.sh calls it (section 9);
# it also runs on its own, small, against any build tree.
# Usage: bench/report_cost.sh BIN_DIR WORK_DIR FILES RECORDS_PER_FILE REPS
set -euo pipefail
bin=$1 work=$2 files=$3 records=$4 reps=$5
dir=$work/migration
rm -rf "$dir"
mkdir -p "$dir"
cd "$dir"
for ((i = 1; i <= files; ++i)); do
  head -c $((records * 120)) /dev/zero | tr '\0' 'r' >"f$i.dat"
  echo "f$i.dat" >>list.txt
done
now_ns() { date +%s%N; }
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# One migration; report is empty (no report) or the report's name.
migrate() {
  rm -f ./*.bin report.jsonl
  sync
  local start code
  start=$(now_ns)
  set +e
  "$bin/dunaxconv" --quiet --jobs 2 --record-length 120 ${1:+--report "$1"} --list list.txt \
    B RECSEQ </dev/null >run.out 2>&1
  code=$?
  set -e
  took=$(($(now_ns) - start))
  if [ "$code" -ne 0 ]; then
    echo "bench: the migration ended with $code" >&2
    cat run.out >&2
    exit 1
  fi
}
without=() with=()
for ((r = 1; r <= reps; ++r)); do
  if ((r % 2)); then
    migrate ""; without+=("$took"); migrate report.jsonl; with+=("$took")
  else
    migrate report.jsonl; with+=("$took"); migrate ""; without+=("$took")
  fi
done
lines=$(wc -l <report.jsonl)
if [ "$lines" -ne "$files" ]; then
  echo "bench: the report has $lines lines, expected $files" >&2
  exit 1
fi
cd "$work"
rm -rf "$dir"
echo "$(median "${without[@]}") $(median "${with[@]}")"
