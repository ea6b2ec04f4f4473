#!/usr/bin/env bash
# What a user meets first: every program answers --help and --version; the Debian package holds
# the programs, modules, manual pages and README (and no test program), and its converter finds
# its modules in the package's lib/dunax; the uninstall script removes what was installed.
# Usage: package_test.sh BUILD_DIR SOURCE_DIR VERSION SCENARIO
set -uo pipefail
build=$1
source=$2
version=$3
scenario=$4

work=$(mktemp -d /tmp/dunax-package-XXXXXX)
trap 'rm -rf "$work"' EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_eq() { [ "$1" == "$2" ] || fail "$3: expected [$2], got [$1]"; }

case $scenario in
  options)
    # program, exit code of --help and --version, the stream both are written to
    table=("DUNAXMF 16 stderr" "DUNAXSYS 0 stderr" "dunaxconv 0 stdout" "dunaxreq 0 stdout"
           "dunaxgen 0 stdout")
    [ -x "$build/bin/dunaxrm" ] && table+=("dunaxrm 0 stdout")
    # No request may be fetched or answered: DUNAXSYS must not touch the message directory.
    export DUNAX_MESSAGE_DIR="$work/messages"
    for row in "${table[@]}"; do
      read -r program code stream <<<"$row"
      for option in --help --version; do
        "$build/bin/$program" "$option" >"$work/stdout" 2>"$work/stderr" </dev/null
        expect_eq "$?" "$code" "exit code of $program $option"
        [ "$stream" == stdout ] && other=stderr || other=stdout
        [ -s "$work/$other" ] && fail "$program $option wrote on $other"
        if [ "$option" == --version ]; then
          expect_eq "$(cat "$work/$stream")" "$program (dunax) $version" "$program --version"
        else
          grep -q "$program" "$work/$stream" || fail "$program --help does not name the program"
          [ "$(wc -l <"$work/$stream")" -ge 5 ] || fail "$program --help is shorter than 5 lines"
        fi
      done
    done
    [ -e "$DUNAX_MESSAGE_DIR" ] && fail "DUNAXSYS --help fetched a request"
    ;;
  deb)
    command -v cpack >/dev/null && command -v dpkg-deb >/dev/null ||
      { echo "cpack or dpkg-deb missing"; exit 77; }
    (cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) ||
      { cat "$work/cpack.log"; fail "cpack -G DEB"; }
    deb="$work/out/dunax_${version}_$(dpkg --print-architecture).deb"
    [ -f "$deb" ] || { ls "$work/out"; fail "no $deb"; exit 1; }
    dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|' >"$work/contents"
    programs=(DUNAXMF DUNAXSYS dunaxconv dunaxreq dunaxgen)
    modules=(SP2MF VRDMSG RECSEQ)
    if [ -x "$build/bin/dunaxrm" ]; then programs+=(dunaxrm); modules+=(RECIDX); fi
    expected=(/usr/share/doc/dunax/README.md /usr/lib/dunax/dunaxgen-runtime.a)
    for p in "${programs[@]}"; do expected+=("/usr/bin/$p" "/usr/share/man/man1/$p.1.gz"); done
    for m in "${modules[@]}"; do expected+=("/usr/lib/dunax/$m.so"); done
    for path in "${expected[@]}"; do
      grep -qx "$path" "$work/contents" || fail "$path is not in the package"
    done
    # Nothing of the tests: no test program, no double, no fuzz target.
    extra=$(grep -v -x -F -f <(printf '%s\n' "${expected[@]}") "$work/contents" | grep -v '/$')
    [ -z "$extra" ] || fail "files that do not belong in the package: $extra"
    depends=$(dpkg-deb -f "$deb" Depends)
    grep -q 'libstdc++6' <<<"$depends" || fail "no C++ run-time among the dependencies: $depends"
    if [ -x "$build/bin/dunaxrm" ]; then
      grep -q 'libcob' <<<"$depends" || fail "no libcob among the dependencies: $depends"
    fi
    grep -q 'gnucobol3' <<<"$depends" || fail "no GnuCOBOL (dunaxgen's cobc) among the dependencies: $depends"

    dpkg-deb -x "$deb" "$work/root"
    if command -v groff >/dev/null; then
      for page in "$work"/root/usr/share/man/man1/*.1.gz; do
        warnings=$(gzip -dc "$page" | LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z 2>&1)
        [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
      done
    fi
    # The packaged converter, started by the packaged manager, finds SP2MF and RECSEQ in the
    # package's lib/dunax, with no search path and no terminal.
    mkdir "$work/data"
    head -c 4000 /dev/urandom >"$work/data/tiny.dat"
    (cd "$work/data" && env -u COB_LIBRARY_PATH setsid "$work/root/usr/bin/dunaxconv" \
        --record-length 40 B RECSEQ tiny.dat </dev/null >"$work/conv.log" 2>&1)
    expect_eq "$?" 0 "exit code of the packaged dunaxconv"
    expect_eq "$(stat -c %s "$work/data/tiny.dat.bin" 2>/dev/null)" $((100 * 1024)) \
      "size of the transfer file"
    [ "$failures" -eq 0 ] || cat "$work/conv.log"
    ;;
  uninstall)
    # An installed tree beside a file of someone else's; the manifest names ours.
    prefix="$work/prefix"
    ours=(bin/DUNAXMF lib/dunax/SP2MF.so share/doc/dunax/README.md share/man/man1/DUNAXMF.1.gz)
    mkdir -p "$prefix"/{bin,lib/dunax,share/doc/dunax,share/man/man1}
    for f in "${ours[@]}"; do echo x >"$prefix/$f"; echo "$prefix/$f"; done >"$work/manifest"
    echo "$prefix/bin/gone-already" >>"$work/manifest"
    echo x >"$prefix/bin/other"
    cmake -DMANIFEST="$work/manifest" -P "$source/cmake/Uninstall.cmake" >"$work/log" 2>&1
    expect_eq "$?" 0 "exit code of the uninstall script"
    for f in "${ours[@]}"; do [ -e "$prefix/$f" ] && fail "$f is still there"; done
    [ -e "$prefix/bin/other" ] || fail "a file not in the manifest was removed"
    [ -d "$prefix/lib/dunax" ] && fail "the empty lib/dunax is still there"
    [ -d "$prefix/share/man/man1" ] || fail "share/man/man1 was removed"
    cmake -DMANIFEST="$work/none" -P "$source/cmake/Uninstall.cmake" >/dev/null 2>&1
    [ $? -ne 0 ] || fail "a missing manifest was not refused"
    ;;
  *)
    echo "unknown scenario $scenario"
    exit 2
    ;;
esac

[ "$failures" -eq 0 ] || { echo "$failures failure(s) in $scenario"; exit 1; }
echo "$scenario: passed"
