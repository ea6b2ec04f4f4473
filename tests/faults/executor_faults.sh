#!/usr/bin/env bash
# Faults around the executor, end to end through its client dunaxreq and a copy of DUNAXSYS
# beside it (screen library: the test double SP2): message directories that are not private,
# two clients at once, and verbs given names that are too long, climb with "..", lead through
# symbolic links or name directories where files are expected. Every run must end with a
# defined reply (or "no reply" from the client) and touch nothing it was not asked to.
# Usage: executor_faults.sh BUILD_DIR SCENARIO   (exit 77: skipped on this machine)
set -uo pipefail
build=$1
scenario=$2

work=$(mktemp -d /tmp/dunax-faults-XXXXXX)
trap 'chmod -R u+rwx "$work" 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/data" "$work/outside"
cp "$build/bin/DUNAXSYS" "$build/bin/dunaxreq" "$work/bin/"
export COB_LIBRARY_PATH="$build/tests/doubles"
export DUNAX_MESSAGE_DIR="$work/messages"
cd "$work/data"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_eq() { [ "$1" == "$2" ] || fail "$3: expected [$2], got [$1]"; }

# Runs dunaxreq; its output lands in $out (three lines), its exit code in $rc.
req() {
  out=$("$work/bin/dunaxreq" --timeout 5 "$@" 2>"$work/stderr")
  rc=$?
  verb=$(sed -n 1p <<<"$out")
  arg1=$(sed -n 2p <<<"$out")
  arg2=$(sed -n 3p <<<"$out")
}

# Everything under $work except the message directory: name, kind, size and contents' sum.
snapshot() {
  (cd "$work" && find data outside -printf '%p %y %s %l\n' | sort &&
     find data outside -type f -exec md5sum {} + | sort)
}

# A message directory the client and the executor must refuse: no request is posted, nothing
# is run, nothing is written into the directory, and DUNAXSYS started on its own ends too.
expect_refused_directory() {
  local inside=$1
  local before
  before=$(ls -A "$inside")
  req MKDIR NEW
  expect_eq "$rc" 2 "dunaxreq's exit code with a refused message directory"
  [ -e NEW ] && fail "the command was run although nothing could be posted"
  expect_eq "$(ls -A "$inside")" "$before" "contents of the refused directory after dunaxreq"
  "$work/bin/DUNAXSYS" </dev/null >/dev/null 2>&1
  expect_eq "$(ls -A "$inside")" "$before" "contents of the refused directory after DUNAXSYS"
  [ -e NEW ] && fail "DUNAXSYS ran a command from a refused directory"
}

case $scenario in
  message-dir-link)
    mkdir -m 700 "$work/real"
    ln -s "$work/real" "$work/messages"
    expect_refused_directory "$work/real"
    [ -L "$work/messages" ] || fail "the symbolic link was replaced"
    ;;
  message-dir-mode)
    mkdir -m 755 "$work/messages"
    chmod 755 "$work/messages"
    expect_refused_directory "$work/messages"
    expect_eq "$(stat -c %a "$work/messages")" 755 "mode of the refused directory"
    ;;
  message-dir-owner)
    if [ "$(id -u)" -ne 0 ]; then echo "SKIP: giving a directory to another user needs root"; exit 77; fi
    mkdir -m 700 "$work/messages"
    chown nobody "$work/messages"
    expect_refused_directory "$work/messages"
    ;;
  two-clients)
    # Two clients at once, again and again: each gets its own reply or says none came, and a
    # command is never carried out twice or for the other client.
    for i in $(seq 1 15); do
      echo a > "A$i"
      echo b > "B$i"
      ("$work/bin/dunaxreq" --timeout 10 'REN  ' "A$i" "AA$i" >"$work/a.out" 2>&1; echo "rc=$?" >>"$work/a.out") &
      ("$work/bin/dunaxreq" --timeout 10 'REN  ' "B$i" "BB$i" >"$work/b.out" 2>&1; echo "rc=$?" >>"$work/b.out") &
      wait
      for side in a b; do
        upper=${side^^}
        result=$(tail -1 "$work/$side.out")
        case $result in
          rc=0)
            expect_eq "$(sed -n 2p "$work/$side.out")" "$upper$i" "argument 1 of client $side's reply ($i)"
            expect_eq "$(sed -n 3p "$work/$side.out")" "$upper$upper$i" "argument 2 of client $side's reply ($i)"
            [ -f "$upper$upper$i" ] || fail "client $side's OK reply without its rename ($i)"
            ;;
          rc=2) [ -f "$upper$i" ] || fail "client $side had no reply but its rename was done ($i)" ;;
          *) fail "client $side ($i): $(cat "$work/$side.out")" ;;
        esac
      done
    done
    ;;
  long-names)
    mkdir D E
    echo data > D/F.DAT
    long=$(printf 'L%.0s' $(seq 1 77))
    echo data > "D/$long"                       # D\ + 77 = 80 characters: fits the argument
    dir78=$(printf 'E%.0s' $(seq 1 78))
    mkdir "$dir78"
    before=$(snapshot)
    # The copy's target "<78 characters>\F.DAT" does not fit 80 characters: refused, nothing
    # copied under a cut name.
    req COPY 'D\F.DAT' "$dir78"
    expect_eq "$verb" ERRO "copy into a directory whose target name is too long"
    # A pattern copy whose source name is full: the entry with the 77-character name goes to
    # E\<77> (79 characters); the reply stays defined either way.
    req COPY 'D\*' 'E'
    expect_eq "$rc" 0 "pattern copy of names that fit"
    [ -f "E/$long" ] || fail "the 77-character name was not copied whole"
    [ -f E/F.DAT ] || fail "E/F.DAT was not copied"
    rm -f "E/$long" E/F.DAT
    # Names that fill all 80 characters of an argument, for every file verb.
    full=$(printf 'N%.0s' $(seq 1 80))
    for verb_name in 'DEL  ' 'RMDIR' 'COPY ' 'REN  '; do
      req "$verb_name" "$full" "$full"
      case $rc in 0|1) ;; *) fail "$verb_name with 80-character names: exit $rc" ;; esac
    done
    req MKDIR "D\\$long"
    expect_eq "$rc" 1 "MKDIR where a file of the full name is in the way"
    expect_eq "$(snapshot)" "$before" "tree after the long names"
    ;;
  dot-dot)
    echo keep > ../outside/keep.DAT
    echo gone > ../outside/gone.TXT
    echo stay > ../outside/stay.TXT.OLD
    mkdir -p ../outside/sub
    req MKDIR 'A\..\B'
    expect_eq "$rc" 0 "MKDIR A\\..\\B"
    [ -d A ] && [ -d B ] || fail "A and B were not both created"
    req DEL '..\outside\*.TXT'
    expect_eq "$rc" 0 "pattern delete through .."
    [ -e ../outside/gone.TXT ] && fail "the matching file was not deleted"
    expect_eq "$(cat ../outside/keep.DAT)" keep "a file that does not match"
    expect_eq "$(cat ../outside/stay.TXT.OLD)" stay "a file whose name only begins like the pattern"
    [ -d ../outside/sub ] || fail "a directory was touched by a file verb"
    req RMDIR '..'
    expect_eq "$verb" ERRO "RMDIR of the parent"
    [ -d ../outside ] || fail "the parent's contents were touched"
    req RMDIR '..\outside'
    expect_eq "$verb" ERRO "RMDIR of a directory that is not empty"
    req COPY '..\outside\keep.DAT'
    expect_eq "$rc" 0 "COPY from .. into the current directory"
    expect_eq "$(cat keep.DAT)" keep "the copy"
    expect_eq "$(cat ../outside/keep.DAT)" keep "the source after the copy"
    ;;
  symbolic-links)
    echo victim > ../outside/victim.TXT
    mkdir -p ../outside/dir D
    echo inner > ../outside/dir/inner.TXT
    ln -s ../outside/victim.TXT LINK
    ln -s ../outside/dir DL
    ln -s ../../outside/victim.TXT D/VLINK
    ln -s ../../outside/dir D/DLINK
    echo own > D/OWN.TXT
    ln -s nowhere DANGLING
    req DEL LINK
    expect_eq "$rc" 0 "DEL of a symbolic link"
    [ -L LINK ] && fail "the link is still there"
    expect_eq "$(cat ../outside/victim.TXT)" victim "the file the deleted link pointed to"
    req RMDIR DL
    expect_eq "$verb" ERRO "RMDIR of a link to a directory"
    [ -L DL ] || fail "the link to the directory was removed"
    expect_eq "$(cat ../outside/dir/inner.TXT)" inner "the directory behind the link"
    req DEL 'D\*'
    expect_eq "$rc" 0 "pattern delete in a directory holding links"
    [ -e D/OWN.TXT ] && fail "D/OWN.TXT was not deleted"
    [ -L D/VLINK ] && fail "the link to a file was not deleted (it matched, with a size)"
    expect_eq "$(cat ../outside/victim.TXT)" victim "the file behind the deleted link"
    [ -L D/DLINK ] || fail "a link to a directory was deleted by a file verb"
    [ -f ../outside/dir/inner.TXT ] || fail "the directory behind a link was touched"
    req DEL DANGLING
    case $rc in 0|1) ;; *) fail "DEL of a dangling link: exit $rc" ;; esac
    req COPY DANGLING NEWCOPY
    expect_eq "$verb" ERRO "COPY from a dangling link"
    [ -e NEWCOPY ] && fail "a copy of nothing was made"
    ;;
  directories)
    mkdir -p DIRX/SUB
    echo inside > DIRX/IN.DAT
    echo file > F.DAT
    req DEL DIRX
    expect_eq "$verb" ERRO "DEL of a directory"
    [ -f DIRX/IN.DAT ] || fail "the directory's file is gone"
    req COPY DIRX NEWX
    expect_eq "$verb" ERRO "COPY of a directory"
    [ -e NEWX ] && fail "COPY of a directory made something"
    req COPY F.DAT F.DAT
    expect_eq "$(cat F.DAT)" file "a file copied onto itself"
    req REN F.DAT DIRX
    expect_eq "$verb" ERRO "REN onto an existing directory"
    expect_eq "$(cat F.DAT)" file "the file after REN onto a directory"
    [ -f DIRX/IN.DAT ] || fail "the directory after REN onto it"
    req DIR DIRX
    case $rc in 0|1) ;; *) fail "DIR with a directory as the listing file: exit $rc" ;; esac
    [ -f DIRX/IN.DAT ] && [ -d DIRX/SUB ] || fail "the directory named as the listing file"
    req DEL 'DIRX\*'
    expect_eq "$rc" 0 "pattern delete in a directory with a subdirectory"
    [ -d DIRX/SUB ] || fail "a subdirectory was deleted by a file verb"
    req RMDIR 'F.DAT'
    expect_eq "$verb" ERRO "RMDIR of a file"
    expect_eq "$(cat F.DAT)" file "the file after RMDIR"
    ;;
  *)
    echo "unknown scenario $scenario"
    exit 2
    ;;
esac

if [ "$failures" -ne 0 ]; then
  echo "$scenario: $failures failure(s)"
  exit 1
fi
echo "$scenario: passed"
