#!/usr/bin/env bash
# The main job: builds what it needs, makes sample customer data files, converts them with
# dunaxconv and DUNAXMF to transfer files ("B"), lets the COBOL transfer-file program dunaxrm
# play the RM/COBOL side, converts back ("X") and checks the results byte for byte.
#
# Usage: scripts/demo.sh [--records N] [--work-dir DIR] [--build-dir DIR] [--no-build] [--keep]
#   --records N      customer records in all (default 300000, spread over three files)
#   --work-dir DIR   where the data files go (default: BUILD-DIR/demo; earlier demo files go)
#   --build-dir DIR  the build tree to use (default: build)
#   --no-build       use the build tree as it is (the CTest of the demo does this)
#   --keep           keep the transfer files (they are large: 1024 bytes a record)
# On a terminal the converter's progress panel is shown live; otherwise the run is headless.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

records=300000
work=""
build="$here/build"
do_build=1
keep=0
while [ $# -gt 0 ]; do
  case "$1" in
    --records) records=$2; shift 2 ;;
    --work-dir) work=$2; shift 2 ;;
    --build-dir) build=$2; shift 2 ;;
    --no-build) do_build=0; shift ;;
    --keep) keep=1; shift ;;
    -h|--help) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "demo.sh: unknown argument $1 (see --help)" >&2; exit 64 ;;
  esac
done
case "$records" in ''|*[!0-9]*) echo "demo.sh: --records takes a number" >&2; exit 64 ;; esac
[ "$records" -ge 3 ] || { echo "demo.sh: --records must be at least 3" >&2; exit 64; }

if [ "$do_build" -eq 1 ]; then
  echo "== building (scripts/ensure_tools.sh, scripts/build.sh $build)"
  "$here/scripts/ensure_tools.sh"
  "$here/scripts/build.sh" "$build"
fi
build=$(cd "$build" && pwd)
bin="$build/bin"
for needed in "$bin/dunaxconv" "$bin/DUNAXMF" "$build/lib/dunax/RECSEQ.so" \
              "$build/lib/dunax/SP2MF.so" "$build/lib/dunax/VRDMSG.so"; do
  if [ ! -e "$needed" ]; then
    echo "demo.sh: $needed is missing; build the tree first (scripts/build.sh $build)" >&2
    exit 1
  fi
done

[ -n "$work" ] || work="$build/demo"
mkdir -p "$work"
work=$(cd "$work" && pwd)
rm -f "$work"/*.dat "$work"/*.idx "$work"/*.bin "$work"/*.bi[0-9] "$work"/__db.*
cd "$work"

# The modules are found in lib/dunax beside bin/ without this; setting it shows the way a user
# adds a directory of their own record-access programs.
export COB_LIBRARY_PATH="$build/lib/dunax${COB_LIBRARY_PATH:+:$COB_LIBRARY_PATH}"
unset DUNAX_VRDMSG_ANSWERS

terminal=0
if [ -t 0 ] && [ -t 1 ]; then terminal=1; fi
start_all=$(date +%s.%N)
elapsed() { awk -v a="$1" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f s", b - a }'; }

# --- 1. Sample data ---------------------------------------------------------------------------
# A customer record of 128 bytes, Windows-1252 text, no separators (a fixed-length sequential
# file as a COBOL program writes it):
#   1- 8  id            PIC 9(8)
#   9-38  name          PIC X(30)
#  39-68  street        PIC X(30)
#  69-88  city          PIC X(20)
#  89-96  postcode      PIC X(8)
#  97-98  country       PIC X(2)
#  99-110 balance       PIC S9(9)V99 SIGN LEADING SEPARATE
# 111-119 credit limit  PIC 9(9)
# 120-127 opened        PIC 9(8)  (YYYYMMDD)
# 128     status        PIC X     (A active, I inactive, B blocked)
record_length=128
make_customers() {  # FILE FIRST-ID COUNT SEED
  LC_ALL=C awk -v first="$2" -v count="$3" -v seed="$4" 'BEGIN {
    srand(seed)
    nf = split("Jo\343o|Maria|Ant\363nio|Concei\347\343o|In\352s|Gon\347alo|Ana|Jos\351|Lu\355s|Beatriz|Rui|Sofia|Andr\351|Marta|Tom\341s|Leonor", fn, "|")
    ns = split("Silva|Santos|Gon\347alves|Sim\365es|Ara\372jo|Magalh\343es|Pereira|Costa|Fernandes|Rodrigues|Louren\347o|Ferreira|Martins|Sousa", sn, "|")
    nr = split("Rua Augusta|Av. da Rep\372blica|Rua de Santa Catarina|Largo do Pa\347o|Rua das Flores|Travessa do Carmo|Av. dos Aliados|Rua Direita", rn, "|")
    nc = split("Lisboa|Porto|\311vora|Set\372bal|Braga|Coimbra|Faro|Aveiro|Viseu|Guimar\343es", cn, "|")
    ns2 = split("A|A|A|A|A|A|I|B", st, "|")
    for (i = 0; i < count; i++) {
      id = first + i
      name = fn[int(rand() * nf) + 1] " " sn[int(rand() * ns) + 1] " " sn[int(rand() * ns) + 1]
      street = rn[int(rand() * nr) + 1] ", " int(rand() * 300 + 1)
      cents = int(rand() * 2000000000) - 200000000
      sign = cents < 0 ? "-" : "+"
      if (cents < 0) cents = -cents
      printf "%08d%-30.30s%-30.30s%-20.20s%04d-%03d%-2s%s%011d%09d%04d%02d%02d%s",
        id, name, street, cn[int(rand() * nc) + 1], int(rand() * 9000 + 1000),
        int(rand() * 1000), "PT", sign, cents, int(rand() * 50000) * 100,
        int(rand() * 30 + 1994), int(rand() * 12 + 1), int(rand() * 28 + 1),
        st[int(rand() * ns2) + 1]
    }
  }' > "$1"
}

north=$((records / 2))
centre=$((records / 3))
south=$((records - north - centre))
echo
echo "== 1. sample data in $work"
t=$(date +%s.%N)
make_customers clientes-norte.dat 10000000 "$north" 11
make_customers clientes-centro.dat 20000000 "$centre" 12
make_customers clientes-sul.dat 30000000 "$south" 13
for f in clientes-norte.dat clientes-centro.dat clientes-sul.dat; do
  printf '   %-20s %8d records of %d bytes\n' "$f" $(( $(stat -c %s "$f") / record_length )) "$record_length"
done
echo "   (made in $(elapsed "$t"); first record of clientes-norte.dat, shown in UTF-8:)"
head -c "$record_length" clientes-norte.dat | iconv -f WINDOWS-1252 -t UTF-8 | sed 's/^/   |/; s/$/|/'
echo
echo

jobs=()
if [ "$terminal" -eq 0 ]; then jobs=(--jobs 2); fi

# --- 2. Direction B: data files -> transfer files ---------------------------------------------
echo "== 2. dunaxconv B: the data files become transfer files (NAME.bin, 1024 bytes a record)"
if [ "$terminal" -eq 1 ]; then
  echo "   (the converter's panel shows each file; closing it or Ctrl+C asks whether to stop)"
  sleep 1
fi
t=$(date +%s.%N)
"$bin/dunaxconv" "${jobs[@]}" --record-length "$record_length" \
  B RECSEQ clientes-norte.dat clientes-centro.dat clientes-sul.dat
echo "   ($(elapsed "$t"))"
echo

# --- 3. The RM/COBOL side ----------------------------------------------------------------------
echo "== 3. the RM/COBOL side reads each transfer file and writes one back (NAME-rm.dat.bin)"
t=$(date +%s.%N)
for base in clientes-norte clientes-centro clientes-sul; do
  if [ -x "$bin/dunaxrm" ]; then
    printf '   dunaxrm %s.dat.bin %s-rm.dat.bin: ' "$base" "$base"
    "$bin/dunaxrm" "$base.dat.bin" "$base-rm.dat.bin" | tr '\n' ' '
    echo
  else
    echo "   (dunaxrm is not built: GnuCOBOL is missing; copying $base.dat.bin with cp)"
    cp "$base.dat.bin" "$base-rm.dat.bin"
  fi
done
echo "   ($(elapsed "$t"))"
echo

# --- 4. Direction X: transfer files -> data files -----------------------------------------------
echo "== 4. dunaxconv X: the transfer files written by the RM/COBOL side become data files again"
t=$(date +%s.%N)
"$bin/dunaxconv" "${jobs[@]}" --record-length "$record_length" \
  X RECSEQ clientes-norte-rm.dat clientes-centro-rm.dat clientes-sul-rm.dat
echo "   ($(elapsed "$t"))"
echo

# --- 5. Indexed data file (where GnuCOBOL built RECIDX) -------------------------------------------
indexed=0
if [ -e "$build/lib/dunax/RECIDX.so" ]; then
  indexed=1
  accounts=$((records / 10))
  echo "== 5. an indexed data file through RECIDX (1024-byte records, key = first 16 bytes)"
  t=$(date +%s.%N)
  # The accounts are loaded in a shuffled order: RECIDX gives them back in key order.
  LC_ALL=C awk -v count="$accounts" 'BEGIN {
    srand(21)
    for (i = 0; i < count; i++) order[i] = i
    for (i = count - 1; i > 0; i--) { j = int(rand() * (i + 1)); k = order[i]; order[i] = order[j]; order[j] = k }
    pad = sprintf("%1000s", "")
    for (i = 0; i < count; i++) {
      n = order[i]
      printf "CONTA%011d%-30.30s%+015d%-8s%s", n, "Conta corrente " n, (n * 7919) % 100000000 - 50000000, "EUR", substr(pad, 1, 1024 - 16 - 30 - 15 - 8)
    }
  }' > contas.idx.bin
  echo "   loading contas.idx with $accounts accounts (dunaxconv X RECIDX, from a generated transfer file)"
  "$bin/dunaxconv" X RECIDX contas.idx
  echo "   converting it out, through the RM/COBOL side and back in:"
  "$bin/dunaxconv" B RECIDX contas.idx
  if [ -x "$bin/dunaxrm" ]; then
    "$bin/dunaxrm" contas.idx.bin contas-rm.idx.bin >/dev/null
  else
    cp contas.idx.bin contas-rm.idx.bin
  fi
  "$bin/dunaxconv" X RECIDX contas-rm.idx
  echo "   and out once more, to compare the two indexed files record for record:"
  "$bin/dunaxconv" B RECIDX contas-rm.idx
  echo "   ($(elapsed "$t"))"
  echo
fi

# --- 6. Checks -----------------------------------------------------------------------------------
echo "== 6. checks"
failed=0
check() {  # WHAT FILE-A FILE-B
  if cmp -s "$2" "$3"; then
    printf '   ok      %s: %s and %s are identical\n' "$1" "$2" "$3"
  else
    printf '   FAILED  %s: %s and %s differ\n' "$1" "$2" "$3"
    failed=1
  fi
}
for base in clientes-norte clientes-centro clientes-sul; do
  check "round trip" "$base.dat" "$base-rm.dat"
  expected=$(( $(stat -c %s "$base.dat") / record_length * 1024 ))
  actual=$(stat -c %s "$base.dat.bin")
  if [ "$actual" -eq "$expected" ]; then
    printf '   ok      transfer file %s.dat.bin holds one 1024-byte record per data record\n' "$base"
  else
    printf '   FAILED  transfer file %s.dat.bin is %s bytes, not %s\n' "$base" "$actual" "$expected"
    failed=1
  fi
done
# A transfer record holds the data record followed by what the earlier reads left: the first
# 128 bytes of the first transfer record are the first data record.
if cmp -s <(head -c "$record_length" clientes-sul.dat) <(head -c "$record_length" clientes-sul.dat.bin); then
  echo "   ok      the first transfer record starts with the first data record, byte for byte"
else
  echo "   FAILED  the first transfer record does not start with the first data record"
  failed=1
fi
if [ "$indexed" -eq 1 ]; then
  check "indexed round trip (as transfer files)" contas.idx.bin contas-rm.idx.bin
  if [ "$(head -c 16 contas.idx.bin)" = "CONTA00000000000" ]; then
    echo "   ok      the indexed file gives its records back in key order (first key CONTA00000000000)"
  else
    echo "   FAILED  the indexed file did not start with the lowest key"
    failed=1
  fi
fi

if [ "$keep" -eq 0 ]; then
  rm -f "$work"/*.bin "$work"/*.bi[0-9]
fi
echo
if [ "$failed" -eq 0 ]; then
  echo "All checks passed in $(elapsed "$start_all"). The data files are in $work."
else
  echo "Some checks FAILED (see above). The files are in $work." >&2
  exit 1
fi
