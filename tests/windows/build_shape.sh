#!/usr/bin/env bash
# Checks what a Windows build tree holds, from the host (objdump of the MinGW-w64 binutils):
#  - no program or module needs a compiler DLL (libstdc++, libgcc, winpthread): the run-time is
#    linked in, so a copy of bin/ and lib/dunax/ runs on a bare Windows;
#  - every module NAME.dll exports its entry point NAME and no C++ symbol of ours;
#  - DUNAXSYS.exe is a GUI-subsystem program (no console window), every other program a console
#    one.
# Usage: build_shape.sh OBJDUMP BUILD_DIR
set -uo pipefail
objdump=$1
build=$2
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

mapfile -t programs < <(find "$build/bin" "$build/tests" -maxdepth 1 -name '*.exe' 2>/dev/null | sort)
# RECW32.dll is of the other bitness on purpose (the loader's refusal of it is a test).
mapfile -t modules < <(find "$build/lib/dunax" "$build/tests" -name '*.dll' -not -path '*/wineprefix/*' \
                         -not -name RECW32.dll 2>/dev/null | sort)
if [ ${#programs[@]} -eq 0 ] || [ ${#modules[@]} -eq 0 ]; then
  fail "no programs or no modules under $build"
fi

for file in "${programs[@]}" "${modules[@]}"; do
  headers=$("$objdump" -p "$file") || { fail "$file: not a PE file"; continue; }
  needed=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | grep -iE '^(libstdc\+\+|libgcc|libwinpthread)')
  [ -z "$needed" ] || fail "$file needs a compiler DLL: ${needed//$'\n'/, }"
done

for module in "${modules[@]}"; do
  name=$(basename "$module" .dll)
  exports=$("$objdump" -p "$module" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
            sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p')
  grep -qx -- "$name" <<<"$exports" || fail "$module does not export its entry point $name"
  ! grep -q '^_Z' <<<"$exports" || fail "$module exports C++ symbols: $(grep '^_Z' <<<"$exports" | head -3)"
done

for program in "${programs[@]}"; do
  subsystem=$("$objdump" -p "$program" | sed -n 's/^Subsystem[[:space:]]*[0-9a-f]*[[:space:]]*//p')
  expected="(Windows CUI)"
  [ "$(basename "$program")" = DUNAXSYS.exe ] && expected="(Windows GUI)"
  [ "$subsystem" = "$expected" ] || fail "$program: subsystem $subsystem, expected $expected"
done

echo "${#programs[@]} programs, ${#modules[@]} modules checked, $failures failure(s)"
[ "$failures" -eq 0 ]
