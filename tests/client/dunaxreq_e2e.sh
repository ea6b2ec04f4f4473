#!/usr/bin/env bash
# End-to-end runs of the executor through its client: dunaxreq posts the request, starts a copy
# of DUNAXSYS lying beside it, and prints the reply. The screen library is the test double SP2
# (SP2MF is nowhere to be found, so every run also proves the fall-back).
# Usage: dunaxreq_e2e.sh BUILD_DIR SCENARIO
set -uo pipefail
build=$1
scenario=$2

work=$(mktemp -d /tmp/dunax-e2e-XXXXXX)
trap 'chmod -R u+rwx "$work" 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/data"
cp "$build/bin/DUNAXSYS" "$build/bin/dunaxreq" "$work/bin/"
export COB_LIBRARY_PATH="$build/tests/doubles"
export DUNAX_MESSAGE_DIR="$work/messages"
export DUNAX_SP2_LOG="$work/sp2.log"
cd "$work/data"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_eq() { [ "$1" == "$2" ] || fail "$3: expected [$2], got [$1]"; }

# Runs dunaxreq; its output lands in $out (three lines), its exit code in $rc.
req() {
  out=$("$work/bin/dunaxreq" "$@")
  rc=$?
  verb=$(sed -n 1p <<<"$out")
  arg1=$(sed -n 2p <<<"$out")
  arg2=$(sed -n 3p <<<"$out")
  note=$(sed -n 4p <<<"$out")
}

case $scenario in
  mkdir)
    req MKDIR 'A\B\C'
    expect_eq "$rc" 0 "exit code"
    expect_eq "$verb" OK "verb field"
    [ -d A/B/C ] || fail "A/B/C was not created"
    expect_eq "${arg1:0:16}" 0000000000000000 "size of the last directory"
    echo x > F
    req MKDIR 'F\G'
    expect_eq "$rc" 1 "exit code with a file in the way"
    expect_eq "$verb" ERRO "verb field with a file in the way"
    req MKDIR
    expect_eq "$rc" 1 "exit code of a blank MKDIR"
    ;;
  copy)
    mkdir -p D E
    printf 'abc' > D/CLIENTES.DAT
    printf 'de' > D/ABC.DAT
    : > D/EMPTY.DAT
    req COPY 'D\CLIENTES.DAT' 'NEW.DAT'
    expect_eq "$rc" 0 "single copy"
    expect_eq "$(cat NEW.DAT)" abc "copied contents"
    expect_eq "$arg1" 'D\CLIENTES.DAT' "argument 1 of the reply"
    expect_eq "$arg2" 'NEW.DAT' "argument 2 of the reply"
    req COPY 'D\*.DAT' 'E\????????.BAK'
    expect_eq "$rc" 0 "pattern copy"
    [ -f E/CLIENTES.BAK ] || fail "E/CLIENTES.BAK missing"
    [ -f E/ABC.DAT ] || fail "E/ABC.DAT missing"
    [ -e E/EMPTY.DAT ] && fail "an empty file was copied"
    req COPY 'D\ABC.DAT'
    expect_eq "$rc" 0 "copy into the current directory"
    expect_eq "$arg2" '.' "blank destination becomes ."
    [ -f ABC.DAT ] || fail "ABC.DAT not copied here"
    req COPY 'D\NONE.DAT' 'X.DAT'
    expect_eq "$rc" 1 "copy of a missing file"
    ;;
  del)
    mkdir D
    echo x > D/A.TMP
    : > D/B.TMP
    echo y > ONE.DAT
    req DEL ONE.DAT
    expect_eq "$rc" 0 "delete one file"
    [ -e ONE.DAT ] && fail "ONE.DAT still there"
    expect_eq "${arg1:0:30}" 000000000000000000000000000000 "layout of a deleted file"
    req DEL MISSING.DAT
    expect_eq "$rc" 0 "delete of a missing file"
    req APAGA 'D\*.TMP'
    expect_eq "$rc" 0 "delete pattern"
    [ -e D/A.TMP ] && fail "D/A.TMP still there"
    [ -e D/B.TMP ] || fail "the empty D/B.TMP was deleted"
    req DEL 'D\*.TMP'
    expect_eq "$rc" 1 "delete pattern with only empty matches"
    ;;
  ren)
    echo x > OLD.DAT
    req REN OLD.DAT 'Conversão.DAT'
    expect_eq "$rc" 0 "rename"
    [ -f 'Conversão.DAT' ] || fail "the new name is not in UTF-8 on disk"
    expect_eq "$arg2" 'Conversão.DAT' "argument 2 printed in UTF-8"
    req REN OLD.DAT NEW.DAT
    expect_eq "$rc" 1 "rename of a missing file"
    ;;
  cddir)
    req CDDIR
    expect_eq "$rc" 0 "CDDIR"
    expect_eq "$arg1" "$work/data" "the current directory"
    ;;
  execu)
    mkdir WORK
    req EXECU 'pwd > HERE.TXT' WORK
    expect_eq "$rc" 0 "EXECU"
    expect_eq "$(cat WORK/HERE.TXT 2>/dev/null)" "$work/data/WORK" "ran in WORK"
    ;;
  shell)
    req --shell 'printf %s \S > OUT.TXT'
    expect_eq "$rc" 0 "a command line through --shell"
    expect_eq "$(cat OUT.TXT 2>/dev/null)" '/S' "switch rewritten"
    ;;
  verbs)
    # Verbs the executor does not know are refused before anything is posted.
    for refused in Copy cddir LIST SHELL 'OK' 'ERRO'; do
      req "$refused" 'touch RAN.TXT' 2>"$work/stderr"
      expect_eq "$rc" 3 "exit code of the verb $refused"
      grep -q 'MKDIR RMDIR CDDIR COPY COPIA DEL APAGA REN EXECU' "$work/stderr" ||
        fail "the refusal of $refused does not list the verbs"
    done
    [ -e RAN.TXT ] && fail "a refused verb ran"
    [ -e "$work/sp2.log" ] && fail "a refused verb started the executor"
    # The verbs it knows, padded or in lower case, are sent.
    req 'mkdir' LOWER
    expect_eq "$rc" 0 "lower-case mkdir"
    req 'REN  ' LOWER UPPER
    expect_eq "$rc" 0 "a padded verb"
    # --shell: the words are one command line, spilling from argument 1 into argument 2.
    long=$(printf 'x%.0s' {1..90})
    req --shell printf %s "$long" '>' 'OUT.TXT'
    expect_eq "$rc" 0 "a command line of more than 80 bytes"
    expect_eq "$(cat OUT.TXT 2>/dev/null)" "$long" "the command line ran whole"
    req --shell "$(printf 'x%.0s' {1..161})"
    expect_eq "$rc" 3 "a command line of more than 160 bytes"
    ;;
  dir)
    mkdir -p COMUNS EMP001/2021 EMP001/BACKUP EMP002/A/B/C/D/E
    head -c 1234 /dev/zero > COMUNS/CLIENTES
    echo x > COMUNS/CLIENTES.IDX
    echo x > COMUNS/ABCDEFGHIJ.DAT
    echo x > COMUNS/ABCDEFGHI.DAT
    : > COMUNS/EMPTY
    head -c 77 /dev/zero > EMP001/2021/VENDAS
    head -c 55 /dev/zero > EMP001/BACKUP/VENDAS
    echo x > EMP002/A/B/C/LEVEL4
    echo x > EMP002/A/B/C/D/LEVEL5
    req DIR LIST.TXT
    expect_eq "$rc" 0 "DIR"
    grep -qx '0000000000001234COMUNS\\CLIENTES' LIST.TXT || fail "CLIENTES line"
    grep -q 'CLIENTES.IDX' LIST.TXT && fail "CLIENTES.IDX listed"
    grep -q 'ABCDEFGHIJ.DAT' LIST.TXT || fail "ABCDEFGHIJ.DAT not listed"
    grep -q 'ABCDEFGHI.DAT' LIST.TXT && fail "ABCDEFGHI.DAT listed"
    grep -q '^0000000000000077EMP001\\2021\\VENDAS$' LIST.TXT || fail "EMP001\\2021 line"
    grep -q '^0000000000000055EMP001\\BACKUP\\VENDAS$' LIST.TXT || fail "EMP001\\BACKUP line"
    grep -q 'LEVEL5' LIST.TXT && fail "a fifth level was listed"
    # The same files by find: COMUNS, and EMP??? down to D1\D2\D3\D4, data files only.
    files=$( { find COMUNS -maxdepth 1 -type f -size +0c
               find EMP??? -maxdepth 4 -type f -size +0c; } |
             grep -Ev '/[^/]{0,9}\.[^/]*$' )
    count=$(grep -c . <<<"$files")
    total=$(xargs stat -c %s <<<"$files" | awk '{ s += $1 } END { print s }')
    [ "$count" -ge 5 ] || fail "find saw only $count files"
    expect_eq "$((10#${arg1:0:16}))" "$count" "count against find"
    expect_eq "$((10#${arg1:56:16}))" "$total" "total against find"
    expect_eq "$(wc -l < LIST.TXT)" "$count" "lines of the listing"
    ;;
  dir-empty)
    req DIR LIST.TXT
    expect_eq "$rc" 0 "DIR with no data files"
    expect_eq "${arg1:0:16}" 0000000000000000 "count"
    expect_eq "${arg1:56:16}" 0000000000000000 "total"
    [ -d tmp ] || fail "tmp was not created"
    req DIR 'NODIR\LIST.TXT'
    expect_eq "$rc" 1 "a listing that cannot be opened"
    ;;
  calls)
    req CDDIR
    expect_eq "$rc" 0 "CDDIR"
    expect_eq "$(sed -n 1p "$work/sp2.log")" "83 00005652442020202020" "start-up call"
    window="00000a002600260064006400$(printf '0%.0s' {1..16})5000190000$(printf '0%.0s' {1..50})44756d6d793220200000"
    window+="$(printf '0%.0s' {1..38})78$(printf '0%.0s' {1..216})"
    expect_eq "$(sed -n 2p "$work/sp2.log")" "0 $window" "window call"
    expect_eq "$(sed -n 3p "$work/sp2.log")" "54" "the fetch"
    expect_eq "$(sed -n 4p "$work/sp2.log")" "53" "the reply"
    expect_eq "$(tail -n 2 "$work/sp2.log" | paste -sd' ')" "12 16" "the end calls"
    expect_eq "$(sed -n '5,$p' "$work/sp2.log" | grep -vc '^54$')" 2 "only fetches in the wait"
    ;;
  refused)
    export DUNAX_SP2_REFUSE_POSTS=1
    mkdir NEW
    req --timeout 10 RMDIR NEW
    expect_eq "$rc" 2 "no reply when the library refuses it"
    expect_eq "$(grep -c '^53$' "$work/sp2.log")" 20 "bounded re-posts"
    expect_eq "$(tail -n 1 "$work/sp2.log")" 16 "the executor still ends"
    ;;
  no-library)
    export COB_LIBRARY_PATH="$work/none"
    req --timeout 10 CDDIR
    expect_eq "$rc" 2 "no reply without a screen library"
    ;;
  no-executor)
    printf '#!/bin/sh\nexit 0\n' > "$work/bin/DUNAXSYS"
    req --timeout 1 CDDIR
    expect_eq "$rc" 2 "no reply from an executor that posts nothing"
    rm "$work/bin/DUNAXSYS"
    req --timeout 1 CDDIR
    expect_eq "$rc" 2 "no reply without an executor"
    ;;
  withdraw)
    # A client that gives up withdraws its request: no later DUNAXSYS carries it out, be the
    # executor missing or one that never answers (stopped at the client's time limit). The
    # silent one outlives that limit by seconds, its streams let go so the test need not wait.
    echo keep > KEEP.DAT
    for executor in missing silent; do
      rm "$work/bin/DUNAXSYS"
      [ $executor = silent ] &&
        printf '#!/bin/sh\nexec sleep 5 </dev/null >/dev/null 2>&1\n' > "$work/bin/DUNAXSYS" &&
        chmod +x "$work/bin/DUNAXSYS"
      req --timeout 1 DEL KEEP.DAT 2>"$work/stderr"
      expect_eq "$rc" 2 "no reply ($executor executor)"
      grep -q 'the request was withdrawn' "$work/stderr" || fail "no withdrawal told ($executor)"
      cp "$build/bin/DUNAXSYS" "$work/bin/" && "$work/bin/DUNAXSYS" </dev/null
      expect_eq "$(cat KEEP.DAT 2>/dev/null)" keep "a withdrawn request ($executor executor)"
    done
    ;;
  exit-status)
    # The command's exit status comes back beside "OK   ": printed, and dunaxreq's exit code.
    req EXECU 'exit 7'
    expect_eq "$rc/$verb/$note" "7/OK/exit status: 7" "exit code, verb and note of EXECU 'exit 7'"
    req --shell 'exit 0'
    expect_eq "$rc" 0 "exit code of a shell command that succeeded"
    ;;
  reasons)
    # Every verb's failures say why, in UTF-8, on the line after the three of the reply.
    mkdir -p FULL/x SRC DIRX
    for file in F OLD.DAT NEW.DAT tmp; do echo x > "$file"; done
    while IFS='|' read -r rverb rarg1 rarg2 expected; do
      req "$rverb" "$rarg1" "$rarg2"
      expect_eq "$rc/$verb/$note" "1/ERRO/ERRO: $expected" "exit code, verb and reason of $rverb $rarg1"
      rm -f tmp
    done <<'TABLE'
DIR|LIST.TXT||a file named tmp is in the way of the work folder tmp
MKDIR|||no folder is named
MKDIR|F\G||F is a file, not a folder
MKDIR|Z:\X||Z:\X: drive Z: has no mapping to an absolute folder in DUNAX_DRIVES
RMDIR|FULL||FULL: the folder is not empty
RMDIR|F||F is not a folder
COPY|SRC\X.DAT|Y.DAT|SRC\X.DAT was not found
COPY|Conversão.DAT|Y.DAT|Conversão.DAT was not found
COPY|SRC\*.DAT|DIRX|no non-empty file matches SRC\*.DAT
DEL|||no file is named
DEL|DIRX||DIRX is a folder, not a file
DEL|SRC\*.TMP||no non-empty file matches SRC\*.TMP
REN|OLD.DAT|NEW.DAT|NEW.DAT already exists
REN|MISSING.DAT|X.DAT|MISSING.DAT was not found
EXECU|true|NAOEXISTE|the folder NAOEXISTE cannot be entered: No such file or directory; nothing was run
DIR|NODIR\LIST.TXT||the listing file NODIR\LIST.TXT could not be written (file status 30)
TABLE
    # CDDIR in a folder whose name is longer than the argument; a command line with a byte
    # that has no character in Windows-1252 (an invalid UTF-8 byte is sent as it is).
    deep=$(printf 'd%.0s' {1..70})
    mkdir "$deep"
    (cd "$deep" && req CDDIR && expect_eq "$rc/$note" \
       "1/ERRO: the current folder's name is longer than 80 characters" "exit code and reason of CDDIR")
    req --shell "$(printf 'echo \x81')"
    expect_eq "$rc/$note" \
      "1/ERRO: the command holds a byte with no character in Windows-1252; nothing was run" \
      "exit code and reason of a command with a byte of no character"
    # A stamp in argument 1 is said to be one.
    req MKDIR 'NOVA\PASTA'
    expect_eq "$rc" 0 "MKDIR"
    grep -Eq '^stamp in argument 1: size 0 bytes, last written [0-9]{2}/[0-9]{2}/[0-9]{4} [0-9:]{8}$' \
      <<<"$out" || fail "the stamp of MKDIR is not labelled: $out"
    ;;
  readme-inventory)
    # The README's example tree, made as it is written there, gives the listing shown there.
    # block_after PATTERN: the lines of the first fenced block after the line matching PATTERN.
    block_after() {
      awk -v start="$1" '$0 ~ start {on = 1; next} on && /^```$/ {if (++fence == 2) exit; next}
                         on && fence == 1' "$(dirname "$0")/../../README.md"
    }
    tree=$(block_after '^An example tree' | awk '{print $1, $2}')
    [ -n "$tree" ] || fail "no example tree in the README"
    while read -r path size; do
      mkdir -p "$(dirname "$path")" && head -c "$size" /dev/zero > "$path"
    done <<<"$tree"
    req DIR 'tmp\inventario.txt'
    expect_eq "$rc" 0 "DIR of the README's tree"
    shown=$(block_after 'tmp/inventario.txt` holds')
    expect_eq "$(sed 's/ *$//' tmp/inventario.txt)" "$shown" "the listing against the README"
    expect_eq "$arg1" "$(block_after '^`dunaxreq DIR' | sed -n 2p | sed "s/^\(.\{16\}\).\{14\}/\1${arg1:16:14}/")" \
      "argument 1 against the README (the time of tmp aside)"
    ;;
  usage)
    "$work/bin/dunaxreq" --help | grep -q 'Exit codes: 0' || fail "--help text"
    "$work/bin/dunaxreq" >/dev/null 2>&1
    expect_eq "$?" 3 "no verb"
    "$work/bin/dunaxreq" MKDIR "$(printf 'x%.0s' {1..81})" >/dev/null 2>&1
    expect_eq "$?" 3 "an argument longer than 80 bytes"
    ;;
  *)
    echo "unknown scenario $scenario"
    exit 2
    ;;
esac

[ "$failures" -eq 0 ] || { echo "$failures failure(s) in $scenario"; exit 1; }
echo "$scenario: passed"
