#!/usr/bin/env bash
# Where one small file's converter run spends its processor time, against `dd conv=fsync` of the
# same file to the same path: N files of 20 records converted two at a time (dunaxconv --jobs 2)
# and copied two at a time (xargs -P 2), each side under `perf record -g -e cpu-clock`; every
# sample of DUNAXMF and of dd is charged to the system call or page fault it was taken in, or to
# user space, and shown in milliseconds a file. Needs perf and a Release tree with the
# benchmarks (bench/run.sh builds build-bench).
# Usage: bench/small_file_cost.sh [BUILD_DIR] [FILES]   (defaults: build-bench, 400)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build-bench}" && pwd)
files=${2:-400}
bin=$build/bin
for tool in perf "$bin/dunaxconv" "$bin/bench_tools"; do
  command -v "$tool" >/dev/null || { echo "small_file_cost: $tool is missing" >&2; exit 2; }
done
mkdir -p "$here/out"
work=$(mktemp -d "$here/out/small.XXXXXX")
trap 'rm -rf "$work"' EXIT
export COB_LIBRARY_PATH=$build/lib/dunax DUNAX_MESSAGE_DIR=$work/messages
unset DUNAX_VRDMSG_ANSWERS
mkdir -m 0700 "$work/messages" "$work/files"
cd "$work/files"
"$bin/bench_tools" data one.dat 20 >/dev/null
for ((i = 1; i <= files; ++i)); do cp one.dat "f$i.dat"; done
rm one.dat

# Charges each sample of the command named $2 in the profile $1 to the outermost system call or
# page fault on its stack, else to user space; prints milliseconds a file, the largest first.
charge() {
  perf script -i "$1" --comm "$2" -F comm,ip,sym 2>/dev/null | awk -v files="$files" -v hz=10000 '
    /^[^ \t]/ { if (seen) count[where]++; seen = 1; where = "user space"; next }
    NF >= 2 && $2 ~ /^(__x64_sys_|__do_sys_)/ { where = $2; sub(/^__(x64|do)_sys_/, "", where) }
    NF >= 2 && $2 == "asm_exc_page_fault" { where = "page faults" }
    END {
      if (seen) count[where]++
      for (w in count) { total += count[w]; printf "%8.3f  %s\n", count[w] * 1000 / hz / files, w }
      printf "%8.3f  all\n", total * 1000 / hz / files
    }' | sort -rn | head -16
}

cat f*.dat >/dev/null
# One run first, so that both sides write over a transfer file that is there.
"$bin/dunaxconv" --jobs 2 B RECSEQ f*.dat >/dev/null 2>&1
perf record -q -g -e cpu-clock -F 10000 -o "$work/converter.data" -- \
  "$bin/dunaxconv" --jobs 2 B RECSEQ f*.dat >/dev/null 2>&1
cat f*.dat >/dev/null
perf record -q -g -e cpu-clock -F 10000 -o "$work/dd.data" -- \
  sh -c 'ls f*.dat | xargs -P 2 -I{} dd if={} of={}.bin bs=1M conv=fsync status=none' >/dev/null 2>&1
echo "== DUNAXMF, processor ms a file ($files files of 20 records)"
charge "$work/converter.data" DUNAXMF
echo "== dd conv=fsync, processor ms a file"
charge "$work/dd.data" dd
