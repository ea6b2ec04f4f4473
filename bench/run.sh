#!/usr/bin/env bash
# The benchmark of the converter and the executor against the machine, in one command:
# builds a Release tree (build-bench, -DDUNAX_BENCH=ON) when needed, runs every measurement side
# by side and writes bench/RESULTS.md. Big files go to bench/out/work and /dev/shm and are removed
# at the end, however the script ends. Takes about 2 minutes on 2 cores.
# Usage: bench/run.sh [--quick]   (--quick: one repetition instead of five, for trying it out)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=$root/build-bench
reps=5       # the runs of a gigabyte on the disk
fast_reps=5  # the runs from memory, under a second each
[ "${1:-}" = "--quick" ] && reps=1 fast_reps=1

# perf and strace take the profile; installed when missing (Debian: linux-perf, strace), left
# out of the results when they cannot be.
if ! command -v perf >/dev/null || ! command -v strace >/dev/null; then
  apt-get install -y linux-perf strace >/dev/null 2>&1 || echo "bench: no perf or strace, no profile"
fi

echo "== build (Release, benchmarks on)"
"$root/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=Release -DDUNAX_BENCH=ON -DDUNAX_TESTS=OFF

work=$here/out/work
shm=/dev/shm/dunax-bench-$$
tmux_socket=dunax-bench-$$
cleanup() {
  tmux -L "$tmux_socket" kill-server 2>/dev/null || true
  rm -rf "$work" "$shm"
}
trap cleanup EXIT
rm -rf "$work"
mkdir -p "$work" "$shm"
# The message directory on a memory file system, where a desktop's XDG_RUNTIME_DIR lies.
mkdir -m 0700 "$shm/messages"
export COB_LIBRARY_PATH=$build/lib/dunax
export DUNAX_MESSAGE_DIR=$shm/messages
unset DUNAX_VRDMSG_ANSWERS
bin=$build/bin

# --- helpers ------------------------------------------------------------------------------------

# The converter's 121-character run parameter: direction, record-access program, field B (the
# record length for RECSEQ, the record count for RECMEM), data file, extra segments.
run_parameter() {
  printf '%-9s%-8s%-3s%-10s%-50s%-11s%-1s%s%s%s%-2s%-1s%s' "$1" "$2" "" "$3" "$4" "" "" \
    00000001 00000001 000000000 "$5" "" N
}

now_ns() { date +%s%N; }
seconds() { awk -v ns="$1" 'BEGIN { printf "%.3f", ns / 1e9 }'; }

# Runs a command with no terminal (its own session, streams redirected) after a sync, so that
# no earlier write-back is charged to it. Sets elapsed (ns), rss (KB), user and system (CPU
# seconds) and code (exit code).
timed() {
  sync
  local start end
  start=$(now_ns)
  set +e
  /usr/bin/time -f '%M %U %S' -o "$work/rss" setsid -w "$@" </dev/null >"$work/stdout" 2>"$work/stderr"
  code=$?
  set -e
  end=$(now_ns)
  elapsed=$((end - start))
  read -r rss user system < <(tail -n 1 "$work/rss")
}

# The median of the numbers given.
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

expect_code() {
  if [ "$code" -ne "$1" ]; then
    echo "bench: $2 ended with $code, expected $1" >&2
    cat "$work/stderr" >&2
    exit 1
  fi
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
verdict() {  # value goal-relation goal -> "met" or "missed"
  awk -v v="$1" -v op="$2" -v g="$3" \
    'BEGIN { ok = (op == ">=") ? (v >= g) : (v <= g); print ok ? "met" : "**missed**" }'
}

rows=()
add_row() { rows+=("| $1 | $2 | $3 | $4 | $5 |"); }

# --- 1. direction "B" and "X" against dd, each pair side by side ------------------------------
records=300000
bytes=$((records * 1024))
echo "== 1. $records records: \"B\" through RECSEQ, \"X\" through RECSEQ and RECCPY, against dd"
cd "$work"
"$bin/bench_tools" data data.dat "$records"
data_sum=$(cksum <data.dat)
# Both sides of every pair read their input from the page cache: the record files drop the
# pages they have read, so the input is read in again (untimed) before each run.
warm() { cat "$@" >/dev/null; }
# Both sides of a pair write the same path over the file the run before wrote: "B" and its
# copy data.dat.bin, every "X" and its copy the data file data.dat itself (the same bytes
# every time; checked after the first "X" of each kind).
same_data() {
  [ "$(cksum <data.dat)" = "$data_sum" ] || { echo "bench: $1 did not give the data file back" >&2; exit 1; }
}
b_times=() dd_times=() xseq_times=() xcopy_times=() xflush_times=() ddx_times=()
ddx_sync_times=() cat_times=()
for ((r = 1; r <= reps; ++r)); do
  warm data.dat
  timed "$bin/DUNAXMF" "$(run_parameter B RECSEQ '' data.dat 00)"
  expect_code 0 "DUNAXMF B"
  b_times+=("$elapsed")
  rss_big=$rss
  [ "$r" -eq 1 ] && { cmp -s data.dat data.dat.bin || { echo "bench: B did not write the data file's bytes" >&2; exit 1; }; }
  warm data.dat
  timed dd if=data.dat of=data.dat.bin bs=1M conv=fsync
  expect_code 0 "dd"
  dd_times+=("$elapsed")

  warm data.dat.bin
  timed "$bin/DUNAXMF" "$(run_parameter X RECSEQ '' data.dat 00)"
  expect_code 0 "DUNAXMF X through RECSEQ"
  xseq_times+=("$elapsed")
  [ "$r" -eq 1 ] && same_data "B then X (RECSEQ)"
  warm data.dat.bin
  timed sh -c 'dd if=data.dat.bin of=data.dat bs=1M 2>/dev/null && sync data.dat'
  expect_code 0 "dd and sync"
  ddx_sync_times+=("$elapsed")
  warm data.dat.bin
  timed env DUNAX_BENCH_FLUSH=1 "$bin/DUNAXMF" "$(run_parameter X RECCPY '' data.dat 00)"
  expect_code 0 "DUNAXMF X through RECCPY with its flush"
  xflush_times+=("$elapsed")
  warm data.dat.bin
  timed dd if=data.dat.bin of=data.dat bs=1M
  expect_code 0 "dd"
  ddx_times+=("$elapsed")
  warm data.dat.bin
  timed "$bin/DUNAXMF" "$(run_parameter X RECCPY '' data.dat 00)"
  expect_code 0 "DUNAXMF X through RECCPY"
  xcopy_times+=("$elapsed")
  [ "$r" -eq 1 ] && same_data "B then X (RECCPY)"
  warm data.dat.bin
  timed sh -c 'cat data.dat.bin > data.dat'
  expect_code 0 "cat"
  cat_times+=("$elapsed")
done
t_b=$(median "${b_times[@]}") t_dd=$(median "${dd_times[@]}")
t_xseq=$(median "${xseq_times[@]}") t_xcopy=$(median "${xcopy_times[@]}")
t_xflush=$(median "${xflush_times[@]}") t_ddx=$(median "${ddx_times[@]}")
t_ddx_sync=$(median "${ddx_sync_times[@]}") t_cat=$(median "${cat_times[@]}")
r_b=$(ratio "$t_dd" "$t_b")
r_xcopy=$(ratio "$t_ddx" "$t_xcopy") r_xflush=$(ratio "$t_ddx_sync" "$t_xflush")
r_xseq=$(ratio "$t_ddx_sync" "$t_xseq") r_cat=$(ratio "$t_cat" "$t_xcopy")
mbps() { awk -v b="$bytes" -v ns="$1" 'BEGIN { printf "%.0f", b / (ns / 1e9) / 1e6 }'; }
versus() { echo "$(mbps "$1") MB/s ($(seconds "$1") s) vs $(mbps "$2") MB/s ($(seconds "$2") s)"; }
add_row "1a. \"B\", $records records via RECSEQ, vs \`dd bs=1M conv=fsync\` to the same path (transfer-file bytes written per second)" \
  "$(versus "$t_b" "$t_dd")" "$r_b" "≥ 0.95" "$(verdict "$r_b" '>=' 0.95)"
add_row "1b. \"X\", the same transfer file back via RECCPY (writes the data file in place, no flush), vs \`dd bs=1M\` to the same path (data-file bytes written per second)" \
  "$(versus "$t_xcopy" "$t_ddx")" "$r_xcopy" "≥ 0.95" "$(verdict "$r_xcopy" '>=' 0.95)"
add_row "1c. \"X\" via RECCPY flushing its file at the close (DUNAX_BENCH_FLUSH=1), vs \`dd bs=1M\` then \`sync\` of its file" \
  "$(versus "$t_xflush" "$t_ddx_sync")" "$r_xflush" "≥ 0.95" "$(verdict "$r_xflush" '>=' 0.95)"
add_row "1d. \"X\" via RECSEQ (a new file beside the data file, flushed, renamed over it, the directory flushed), vs \`dd bs=1M\` then \`sync\` of its file" \
  "$(versus "$t_xseq" "$t_ddx_sync")" "$r_xseq" "≥ 0.95" "$(verdict "$r_xseq" '>=' 0.95)"
add_row "1e. reference, no goal: \`cat\` (copies inside the kernel, copy_file_range) against \"X\" via RECCPY of 1b" \
  "$(versus "$t_xcopy" "$t_cat")" "$r_cat" "-" "-"

# --- profile of "B" and of its copy: where the time goes (perf, cpu-clock) and the calls --------
profile=""
if command -v perf >/dev/null && command -v strace >/dev/null; then
  echo "== profile of \"B\" and dd conv=fsync"
  # samples (one every 0.2 ms of processor time) by module, then the leading functions
  sampled() {
    perf record -q -e cpu-clock -F 5000 -o "$work/perf.data" -- "$@" </dev/null >/dev/null 2>&1 || true
    { perf report -i "$work/perf.data" --stdio -n --sort dso 2>/dev/null || true; } |
      awk '/^ +[0-9]/ && ++n <= 6'
    { perf report -i "$work/perf.data" --stdio -n --no-children --sort sym 2>/dev/null || true; } |
      awk '/^ +[0-9]/ && ++n <= 8'
  }
  calls() {
    strace -f -c -o "$work/strace.txt" "$@" </dev/null >/dev/null 2>&1 || true
    sed -n '3,10p' "$work/strace.txt" | awk '{ printf "%s %s calls, ", $NF, $4 }'
    echo
  }
  warm data.dat
  sync
  profile_b=$(sampled "$bin/DUNAXMF" "$(run_parameter B RECSEQ '' data.dat 00)")
  warm data.dat
  sync
  calls_b=$(calls "$bin/DUNAXMF" "$(run_parameter B RECSEQ '' data.dat 00)")
  warm data.dat
  sync
  profile_dd=$(sampled dd if=data.dat of=data.dat.bin bs=1M conv=fsync)
  warm data.dat
  sync
  calls_dd=$(calls dd if=data.dat of=data.dat.bin bs=1M conv=fsync)
  profile=$(printf '"B" of %s records (samples by module, then by function):\n%s\n\nSystem calls of "B" (the most time first): %s\n\n`dd bs=1M conv=fsync`:\n%s\n\nSystem calls of dd: %s\n' \
    "$records" "$profile_b" "$calls_b" "$profile_dd" "$calls_dd")
fi

# --- 8. many small files: dunaxconv --jobs 2 against dd conv=fsync a file, two at a time --------
small_files=400 small_records=20
echo "== 8. $small_files files of $small_records records: dunaxconv --jobs 2 against dd, two at a time"
mkdir -p "$work/small"
cd "$work/small"
for ((i = 1; i <= small_files; ++i)); do head -c $((small_records * 1024)) "$work/data.dat" >"f$i.dat"; done
conv_small=() dd_small=()
for ((r = 1; r <= reps; ++r)); do
  warm f*.dat
  timed "$bin/dunaxconv" --jobs 2 B RECSEQ f*.dat
  expect_code 0 "dunaxconv --jobs 2 B"
  conv_small+=("$elapsed")
  [ "$r" -eq 1 ] && { cmp -s f1.dat f1.dat.bin || { echo "bench: dunaxconv B wrote another f1.dat.bin" >&2; exit 1; }; }
  warm f*.dat
  timed sh -c 'ls f*.dat | xargs -P 2 -I{} dd if={} of={}.bin bs=1M conv=fsync status=none'
  expect_code 0 "dd a file, two at a time"
  dd_small+=("$elapsed")
done
cd "$work"
rm -rf "$work/small"
t_conv_small=$(median "${conv_small[@]}") t_dd_small=$(median "${dd_small[@]}")
r_small=$(ratio "$t_dd_small" "$t_conv_small")
per_file() { awk -v ns="$1" -v n="$small_files" 'BEGIN { printf "%.1f", ns / n / 1e6 }'; }
add_row "8. $small_files files of $small_records records, \`dunaxconv --jobs 2 B RECSEQ\` vs \`dd bs=1M conv=fsync\` a file to the same path, two at a time (time; a file's share of the wall time)" \
  "$(seconds "$t_conv_small") s ($(per_file "$t_conv_small") ms a file) vs $(seconds "$t_dd_small") s ($(per_file "$t_dd_small") ms)" \
  "$r_small" "≥ 0.9" "$(verdict "$r_small" '>=' 0.9)"

# --- 4. peak memory of "B" at 10,000 and 300,000 records ----------------------------------------
echo "== 4. peak memory"
"$bin/bench_tools" data small.dat 10000
timed "$bin/DUNAXMF" "$(run_parameter B RECSEQ '' small.dat 00)"
expect_code 0 "DUNAXMF B (10,000 records)"
rss_small=$rss
rm -f small.dat small.dat.bin data.dat data.dat.bin
rss_growth=$((rss_big - rss_small))
add_row "4. peak memory (max RSS) of \"B\": 10,000 vs $records records" \
  "$rss_small KB vs $rss_big KB" "+$rss_growth KB" "same within 1024 KB" \
  "$(verdict "${rss_growth#-}" '<=' 1024)"

# --- 2. direction "B" through RECIDX against a plain GnuCOBOL program --------------------------
idx_records=200000
if [ -x "$bin/idxcopy" ] && [ -f "$build/lib/dunax/RECIDX.so" ]; then
  echo "== 2. $idx_records records through RECIDX.so"
  "$bin/bench_tools" data idx.dat.bin "$idx_records"
  timed "$bin/DUNAXMF" "$(run_parameter X RECIDX '' idx.dat 00)"
  expect_code 0 "DUNAXMF X into the indexed file"
  cat idx.dat >/dev/null
  conv_times=() cobol_times=() cobol_sync_times=()
  for ((r = 1; r <= reps; ++r)); do
    rm -f idx.dat.bin cobol.bin
    timed "$bin/DUNAXMF" "$(run_parameter B RECIDX '' idx.dat 00)"
    expect_code 0 "DUNAXMF B from the indexed file"
    conv_times+=("$elapsed")
    timed "$bin/idxcopy" idx.dat cobol.bin
    expect_code 0 "idxcopy"
    cobol_times+=("$elapsed")
    rm -f cobol.bin
    timed sh -c "'$bin/idxcopy' idx.dat cobol.bin && sync cobol.bin"
    expect_code 0 "idxcopy and sync"
    cobol_sync_times+=("$elapsed")
  done
  cmp -s idx.dat.bin cobol.bin || { echo "bench: the converter and idxcopy wrote different files" >&2; exit 1; }
  rm -f idx.dat idx.dat.bin cobol.bin
  t_conv=$(median "${conv_times[@]}") t_cobol=$(median "${cobol_times[@]}")
  t_cobol_sync=$(median "${cobol_sync_times[@]}")
  r_idx=$(ratio "$t_conv" "$t_cobol_sync") r_idx_plain=$(ratio "$t_conv" "$t_cobol")
  add_row "2. \"B\", $idx_records records via RECIDX (GnuCOBOL, BDB), vs bench/idxcopy.cob + \`sync\` of its file (time)" \
    "$(seconds "$t_conv") s vs $(seconds "$t_cobol_sync") s (idxcopy alone, no fsync: $(seconds "$t_cobol") s, ratio $r_idx_plain)" \
    "$r_idx" "≤ 1.1" "$(verdict "$r_idx" '<=' 1.1)"
else
  add_row "2. \"B\" via RECIDX vs a plain GnuCOBOL program" "not run: no cobc" "-" "≤ 1.1" "-"
fi

# --- 7. a program made by dunaxgen against a plain GnuCOBOL copy program -----------------------
gen_records=${DUNAX_BENCH_GEN_RECORDS:-200000}
if [ -x "$bin/gencopy" ] && [ -x "$bin/dunaxgen" ]; then
  echo "== 7. $gen_records records through a program made by dunaxgen (indexed, an alternate key)"
  mkdir -p "$work/gen"
  "$bin/dunaxgen" --output "$work/gen" GENBENCH "$here/gencopy.cpy" >/dev/null
  # 200-byte records: a unique primary key, an alternate key with duplicates, spaces after.
  awk -v n="$gen_records" 'BEGIN { for (i = 0; i < n; i++)
    printf "%010d%-20s%-994s", (i * 7919) % n, "NOME" (i % 5000), "" }' >gen.bin
  gen_env=(env "COB_LIBRARY_PATH=$work/gen:$COB_LIBRARY_PATH")
  genx_times=() plainx_times=() genb_times=() plainb_times=()
  for ((r = 1; r <= reps; ++r)); do
    rm -f contas.dat contas.dat.1 contas.dat.bin plain.dat plain.dat.1 plain.bin
    cp gen.bin contas.dat.bin
    warm contas.dat.bin
    timed "${gen_env[@]}" "$bin/DUNAXMF" "$(run_parameter X GENBENCH '' contas.dat 00)"
    expect_code 0 "DUNAXMF X through GENBENCH"
    genx_times+=("$elapsed")
    warm gen.bin
    timed sh -c "'$bin/gencopy' X gen.bin plain.dat && sync plain.dat plain.dat.1"
    expect_code 0 "gencopy X and sync"
    plainx_times+=("$elapsed")
    rm -f contas.dat.bin
    warm contas.dat contas.dat.1
    timed "${gen_env[@]}" "$bin/DUNAXMF" "$(run_parameter B GENBENCH '' contas.dat 00)"
    expect_code 0 "DUNAXMF B through GENBENCH"
    genb_times+=("$elapsed")
    warm plain.dat plain.dat.1
    timed sh -c "'$bin/gencopy' B plain.dat plain.bin && sync plain.bin"
    expect_code 0 "gencopy B and sync"
    plainb_times+=("$elapsed")
  done
  cmp -s contas.dat.bin plain.bin || { echo "bench: GENBENCH and gencopy gave different transfer files" >&2; exit 1; }
  rm -rf contas.dat contas.dat.1 contas.dat.bin plain.dat plain.dat.1 plain.bin gen.bin "$work/gen"
  t_genx=$(median "${genx_times[@]}") t_plainx=$(median "${plainx_times[@]}")
  t_genb=$(median "${genb_times[@]}") t_plainb=$(median "${plainb_times[@]}")
  r_genx=$(ratio "$t_genx" "$t_plainx") r_genb=$(ratio "$t_genb" "$t_plainb")
  add_row "7a. \"X\", $gen_records records through a program made by dunaxgen (indexed, two files published), vs bench/gencopy.cob X + \`sync\` (time)" \
    "$(seconds "$t_genx") s vs $(seconds "$t_plainx") s" "$r_genx" "≤ 1.1" "$(verdict "$r_genx" '<=' 1.1)"
  add_row "7b. \"B\", the same file, vs bench/gencopy.cob B + \`sync\` (time)" \
    "$(seconds "$t_genb") s vs $(seconds "$t_plainb") s" "$r_genb" "≤ 1.1" "$(verdict "$r_genb" '<=' 1.1)"
else
  add_row "7. a program made by dunaxgen vs a plain GnuCOBOL program" "not run: no cobc" "-" "≤ 1.1" "-"
fi

# --- 3. the converter's own cost per record ----------------------------------------------------
echo "== 3. cost per record (RECMEM, transfer file on /dev/shm)"
mem_records=1000000
one_times=() mem_times=() mem_user=() floor_times=()
for ((r = 1; r <= fast_reps; ++r)); do
  timed "$bin/DUNAXMF" "$(run_parameter B RECMEM 0 "$shm/none.dat" 00)"
  expect_code 0 "DUNAXMF B with no records"
  one_times+=("$elapsed")
  rm -f "$shm"/none.dat.*
  timed "$bin/DUNAXMF" "$(run_parameter B RECMEM "$mem_records" "$shm/mem.dat" 00)"
  expect_code 1 "DUNAXMF B from memory"
  mem_times+=("$elapsed")
  mem_user+=("$(awk -v u="$user" 'BEGIN { printf "%.0f", u * 1e9 }')")
  rm -f "$shm"/mem.dat.*
  # The floor: the same bytes written into a new file of the memory file system by dd.
  timed dd if=/dev/zero of="$shm/floor.bin" bs=1024000 count=$((mem_records / 1000))
  expect_code 0 "dd into /dev/shm"
  floor_times+=("$elapsed")
  rm -f "$shm/floor.bin"
done
t_none=$(median "${one_times[@]}") t_mem=$(median "${mem_times[@]}")
t_floor=$(median "${floor_times[@]}") u_mem=$(median "${mem_user[@]}")
per_record() { awk -v ns="$1" -v n="$mem_records" 'BEGIN { printf "%.0f", ns / n }'; }
ns_per_record=$(per_record $((t_mem - t_none)))
ns_floor=$(per_record "$t_floor")
ns_user=$(per_record "$u_mem")
add_row "3a. converter's cost per record, all in (RECMEM from memory, transfer file on /dev/shm, no terminal; run of $mem_records minus run of none). The memory file system alone takes $ns_floor ns a record for the same bytes (\`dd bs=1024000\` from /dev/zero)" \
  "$(seconds "$t_mem") s for $mem_records records, $(seconds "$t_none") s for none" \
  "$ns_per_record ns" "< 300 ns" "$(verdict "$ns_per_record" '<=' 299)"
add_row "3b. the same run's user CPU per record: the converter's own work with SP2MF's calls and RECMEM's copy, the kernel's write left out" \
  "$(seconds "$u_mem") s user CPU for $mem_records records" "$ns_user ns" "< 300 ns" "$(verdict "$ns_user" '<=' 299)"

# --- 5. on a terminal against no terminal ------------------------------------------------------
echo "== 5. on a terminal (tmux) against no terminal"
term_times=() noterm_times=()
# One idle session keeps the tmux server up, so that no run pays for the server's start.
tmux -L "$tmux_socket" new-session -d -s idle "sleep 3600"
for ((r = 1; r <= fast_reps; ++r)); do
  rm -f "$work/terminal.ns"
  parameter=$(run_parameter B RECMEM "$mem_records" "$shm/term.dat" 00)
  cat >"$work/terminal.sh" <<EOF
start=\$(date +%s%N)
COB_LIBRARY_PATH='$COB_LIBRARY_PATH' '$bin/DUNAXMF' '$parameter'
code=\$?
end=\$(date +%s%N)
echo "\$((end - start)) \$code" > '$work/terminal.ns.part'
mv '$work/terminal.ns.part' '$work/terminal.ns'
EOF
  sync
  tmux -L "$tmux_socket" new-session -d -x 100 -y 30 "sh '$work/terminal.sh'"
  for ((w = 0; w < 1200; ++w)); do
    [ -f "$work/terminal.ns" ] && break
    sleep 0.1
  done
  read -r t code <"$work/terminal.ns"
  expect_code 1 "DUNAXMF B on a terminal"
  term_times+=("$t")
  rm -f "$shm"/term.dat.*
  timed "$bin/DUNAXMF" "$parameter"
  expect_code 1 "DUNAXMF B with no terminal"
  noterm_times+=("$elapsed")
  rm -f "$shm"/term.dat.*
done
tmux -L "$tmux_socket" kill-server 2>/dev/null || true
t_term=$(median "${term_times[@]}") t_noterm=$(median "${noterm_times[@]}")
r_term=$(ratio "$t_term" "$t_noterm")
add_row "5. \"B\" of $mem_records records (RECMEM, /dev/shm) on a terminal (tmux 100x30, SP2MF.so drawing) vs no terminal (time)" \
  "$(seconds "$t_term") s vs $(seconds "$t_noterm") s" "$r_term" "≤ 1.2" "$(verdict "$r_term" '<=' 1.2)"

# --- 6. the executor ---------------------------------------------------------------------------
echo "== 6. the executor: DIR over 100,000 files, and the round trip"
"$bin/bench_tools" tree "$work/tree"
cd "$work/tree"
find COMUNS EMP??? -type f -printf '%s %p\n' >/dev/null  # warm both sides' directory caches
dir_times=() find_times=()
for ((r = 1; r <= reps; ++r)); do
  rm -f "$work/tree/listing.txt"
  timed "$bin/dunaxreq" --timeout 120 DIR listing.txt
  expect_code 0 "dunaxreq DIR"
  dir_times+=("$elapsed")
  listed=$(sed -n 2p "$work/stdout" | cut -c1-16)
  timed sh -c "find COMUNS EMP??? -type f -printf '%s %p\n' > '$work/find.txt'"
  expect_code 0 "find"
  find_times+=("$elapsed")
done
lines=$(wc -l <"$work/tree/listing.txt") found=$(wc -l <"$work/find.txt")
if [ "$lines" -ne 100000 ] || [ "$found" -ne 100000 ] || [ "$((10#$listed))" -ne 100000 ]; then
  echo "bench: DIR listed $lines (reply $listed) and find $found files, expected 100000" >&2
  exit 1
fi
t_dir=$(median "${dir_times[@]}") t_find=$(median "${find_times[@]}")
r_dir=$(ratio "$t_dir" "$t_find")
add_row "6a. \`dunaxreq DIR\` over 100,000 files (COMUNS, EMP001-EMP010, 4 levels) vs \`find -printf '%s %p'\` (time)" \
  "$(seconds "$t_dir") s vs $(seconds "$t_find") s" "$r_dir" "≤ 2" "$(verdict "$r_dir" '<=' 2)"

cd "$work"
rm -rf "$work/tree"
read -r t_trip t_trip_min < <("$bin/bench_tools" time 100 "$bin/dunaxreq" CDDIR)
read -r t_true t_true_min < <("$bin/bench_tools" time 100 /bin/true)
read -r t_sys t_sys_min < <("$bin/bench_tools" time 100 "$bin/dunaxreq" --help)
ms() { awk -v ns="$1" 'BEGIN { printf "%.1f", ns / 1e6 }'; }
add_row "6b. \`dunaxreq CDDIR\` round trip, median of 100 (shortest $(ms "$t_trip_min") ms; starting /bin/true: $(ms "$t_true") ms, \`dunaxreq --help\`: $(ms "$t_sys") ms)" \
  "$(ms "$t_trip") ms" "$(ms "$t_trip") ms" "< 30 ms" "$(verdict "$(ms "$t_trip")" '<=' 29.99)"

# --- 9. the migration report's digests -----------------------------------------------------
migration_files=40 migration_records=25000
echo "== 9. a migration of $migration_files files with --jobs 2, without and with --report"
read -r t_plain t_report < <("$here/report_cost.sh" "$bin" "$work" "$migration_files" \
  "$migration_records" "$reps")
r_report=$(ratio "$t_report" "$t_plain")
add_row "9. \`dunaxconv --jobs 2\` of $migration_files files of $migration_records records (120 bytes; 1 GB of transfer sets) with \`--report\` (SHA-256 of every transfer set and data file) vs without (time)" \
  "$(seconds "$t_report") s vs $(seconds "$t_plain") s" "$r_report" "≤ 1.10" "$(verdict "$r_report" '<=' 1.10)"

# --- micro-benchmarks --------------------------------------------------------------------------
micro=""
if [ -x "$bin/bench_micro" ]; then
  echo "== micro-benchmarks"
  micro=$("$bin/bench_micro" --benchmark_min_time=0.2 2>/dev/null | grep -E '^(classify|put|write)' || true)
fi

# --- RESULTS.md --------------------------------------------------------------------------------
echo "== writing bench/RESULTS.md"
disk_device=$(df --output=source "$here" | tail -n 1)
disk_model=$(lsblk -dno NAME,MODEL,SIZE,ROTA "$(echo "$disk_device" | sed 's/[0-9]*$//')" 2>/dev/null || echo "$disk_device")
{
  echo "# dunax benchmark results"
  echo
  echo "Written by \`bench/run.sh\` on $(date -u '+%Y-%m-%d %H:%M UTC'), commit $(git -C "$root" rev-parse --short HEAD)."
  echo "Figures are medians of $reps runs on the disk, $fast_reps from memory, 100 round trips; measured side by side in one run."
  echo "Load average when the run ended: $(cut -d' ' -f1-3 /proc/loadavg) (the machine's 2 cores are shared)."
  echo
  echo "## Machine"
  echo
  echo "- CPUs (nproc): $(nproc) ($(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //'))"
  echo "- Memory: $(free -m | awk '/^Mem:/ { print $2 }') MiB"
  echo "- Disk of bench/out: $disk_device ($disk_model; ROTA 1 = rotating), $(df -h --output=fstype,size "$here" | tail -n 1 | awk '{ print $1 ", " $2 }')"
  echo "- Kernel: $(uname -sr)"
  echo "- Compiler: $(g++ --version | head -n 1); $(cobc --version 2>/dev/null | head -n 1 || echo 'no cobc')"
  echo "- Build: Release (-O3), $build"
  echo
  echo "## Figures"
  echo
  echo "| what | measured | ratio / figure | goal | |"
  echo "|---|---|---|---|---|"
  printf '%s\n' "${rows[@]}"
  echo
  if [ -n "$profile" ]; then
    echo "Profile of this run (\`perf record -e cpu-clock\`, \`strace -c -f\`):"
    echo
    echo '```'
    echo "$profile"
    echo '```'
    echo
  fi
  if [ -n "$micro" ]; then
    echo "Micro-benchmarks of the per-record pieces (Google Benchmark, \`build-bench/bin/bench_micro\`):"
    echo
    echo '```'
    echo "$micro"
    echo '```'
    echo
  fi
  if [ -f "$here/NOTES.md" ]; then
    cat "$here/NOTES.md"
  fi
} >"$here/RESULTS.md"
cat "$here/RESULTS.md"
