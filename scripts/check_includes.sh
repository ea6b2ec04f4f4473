#!/usr/bin/env bash
# Checks the include rules of the source tree and fails on a breach:
#  - platform/ is the only place that includes an operating-system header: outside platform/,
#    an angle-bracket include names a standard C++ header (no ".h", no "/"); tests/ and bench/
#    are exempt (they set up real failures: fork, chmod, signals, a module loaded by hand);
#  - layouts/ includes nothing of ours but layouts/; platform/ nothing but platform/;
#  - suite/ (the stand-ins) never includes the programs' folders nor the products';
#  - the products manager/, client/ and generator/ include platform/, layouts/ and their own
#    folder only, and the one piece of a stand-in each shares: the client the screen library's
#    message store (suite/sp2/message_store.h), the generator the record-access programs'
#    publishing helpers (suite/records/);
#  - converter/ and executor/ never include each other; dialogs/ serves the converter alone;
#  - the tools may include <nlohmann/json.hpp>; platform/digest.h and platform/line_file.h
#    (libcrypto, BCrypt) are included by manager/ alone.
# Usage: scripts/check_includes.sh [SOURCE_DIR]   (default: the tree this script is in)
set -uo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root" || exit 2

breaches=0
# Lists the #include lines of the sources under $1 as "file:line:text".
includes() {
  find "$1" -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' -o -name '*.cc' -o -name '*.inc' \) \
    -print0 2>/dev/null | xargs -0 -r grep -Hn -E '^[[:space:]]*#[[:space:]]*include' || true
}
# Reports every line of stdin as a breach of the rule $1.
report() {
  local line
  while IFS= read -r line; do
    [ -n "$line" ] || continue
    echo "include rule broken ($1): $line"
    breaches=$((breaches + 1))
  done
}

for dir in converter dialogs executor suite manager client generator layouts; do
  [ -d "$dir" ] || continue
  # The tools (manager/, client/, generator/) may use nlohmann-json's header, nothing more.
  tool_library='^$'
  case "$dir" in manager|client|generator) tool_library='<nlohmann/json\.hpp>' ;; esac
  report "an operating-system header outside platform/" < <(
    includes "$dir" | grep -E '#[[:space:]]*include[[:space:]]*<[^>]*(\.h|/)[^>]*>' |
      grep -vE "$tool_library")
done
# The digest and the report file (the dunax_digest library) are the manager's alone: the
# programs and the stand-ins stay on the standard library.
report "platform/digest.h and platform/line_file.h only in manager/" < <(
  for dir in converter dialogs executor suite layouts client generator; do
    [ -d "$dir" ] && includes "$dir"
  done | grep -E '"platform/(digest|line_file)\.h"')
[ -d layouts ] && report "layouts/ includes only layouts/" < <(
  includes layouts | grep -E '#[[:space:]]*include[[:space:]]*"' | grep -vE '"layouts/')
[ -d platform ] && report "platform/ includes nothing of ours but platform/" < <(
  includes platform | grep -E '#[[:space:]]*include[[:space:]]*"' | grep -vE '"platform/')
[ -d suite ] && report "suite/ never includes the programs' or the products' folders" < <(
  includes suite | grep -E '"(converter|dialogs|executor|manager|client|generator)/')
# Reports the includes of ours in the product folder $1 outside platform/, layouts/, $1/ and the
# extra prefix $2.
product_rule() {
  [ -d "$1" ] || return 0
  report "$1/ includes platform/, layouts/, $1/${2:+ and $2} only" < <(
    includes "$1" | grep -E '#[[:space:]]*include[[:space:]]*"' |
      grep -vE "\"(platform|layouts|$1)/${2:+|\"$2}")
}
product_rule manager
product_rule client suite/sp2/message_store.h
product_rule generator suite/records/
[ -d converter ] && report "converter/ never includes executor/" < <(
  includes converter | grep -E '"executor/')
[ -d executor ] && report "executor/ never includes converter/ or dialogs/" < <(
  includes executor | grep -E '"(converter|dialogs)/')
[ -d dialogs ] && report "dialogs/ never includes converter/ or executor/" < <(
  includes dialogs | grep -E '"(converter|executor)/')

if [ "$breaches" -ne 0 ]; then
  echo "== include rules: $breaches breach(es)"
  exit 1
fi
echo "== include rules: kept"
