#!/usr/bin/env bash
# Static analysis: the include rules (scripts/check_includes.sh), then clang-tidy (checks in
# .clang-tidy) over the sources of the programs, the platform layer and the stand-ins, and
# cppcheck (suppressions in .cppcheck-suppressions) over those and the fuzz targets, using the
# compile commands of a normal build.
# Fails on any finding. Installs clang-tidy and cppcheck first when missing (as root).
# Usage: scripts/analyse.sh [BUILD_DIR]   (default: build; built first when needed)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
# The include rules first: quick, and a breach fails the analysis whatever follows.
"$here/scripts/check_includes.sh" "$here"
"$here/scripts/ensure_tools.sh" clang-tidy cppcheck python3

build=${1:-build}
case "$build" in /*) ;; *) build="$here/$build" ;; esac
if [ ! -f "$build/compile_commands.json" ]; then
  "$here/scripts/build.sh" "$build"
fi
# Generated sources (none today) and headers must exist before the analysis reads them.
cmake --build "$build" -j 2 >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The compile commands of our own sources, each file once (a file built into two targets is
# analysed once). Unit tests and test doubles are left out: GoogleTest's macros and the doubles'
# scripted answers read from the environment the test sets are not what these checks are for.
# cppcheck also reads the fuzz targets and their in-memory host; clang-tidy, whose static
# analyzer takes seconds a file, reads the programs' code alone (the fuzz targets run under
# AddressSanitizer and UndefinedBehaviorSanitizer in every test run).
python3 - "$build/compile_commands.json" "$here" "$work" <<'PY'
import json, os, re, sys
commands, root, work = sys.argv[1], sys.argv[2], sys.argv[3]
ours = re.compile(re.escape(root) + r'/(platform|layouts|converter|dialogs|executor|suite|manager|client|generator|tests/fuzz)/')
harness = re.compile(re.escape(root) + r'/tests/fuzz/')
seen, kept = set(), []
for entry in json.load(open(commands)):
    path = entry['file']
    if ours.match(path) and path not in seen:
        seen.add(path)
        kept.append(entry)
json.dump(kept, open(os.path.join(work, 'compile_commands.json'), 'w'), indent=1)
programs = [e['file'] for e in kept if not harness.match(e['file'])]
open(os.path.join(work, 'tidy-files'), 'w').write(''.join(f + '\n' for f in programs))
PY
mapfile -t files < "$work/tidy-files"
all=$(python3 -c 'import json,sys; print(len(json.load(open(sys.argv[1]))))' "$work/compile_commands.json")
echo "== static analysis of $all source files (clang-tidy: the ${#files[@]} of the programs)"

status=0
echo "== clang-tidy"
SECONDS=0
if ! run-clang-tidy -p "$work" -j 2 -quiet "${files[@]}" >"$work/tidy.log" 2>&1; then
  status=1
fi
# run-clang-tidy prints the findings; keep only what matters on failure.
if grep -qE '(warning|error):' "$work/tidy.log"; then
  grep -E '(warning|error):' "$work/tidy.log" | sed 's/\x1b\[[0-9;]*m//g' | sort -u
  status=1
fi

echo "== clang-tidy took ${SECONDS} s"
echo "== cppcheck"
SECONDS=0
if ! cppcheck --project="$work/compile_commands.json" --std=c++20 --language=c++ \
    --enable=warning,style,performance,portability --inline-suppr \
    --suppressions-list="$here/.cppcheck-suppressions" --error-exitcode=1 \
    --cppcheck-build-dir="$work" -j 2 --quiet \
    --template='{file}:{line}: {severity}: {message} [{id}]'; then
  status=1
fi

echo "== cppcheck took ${SECONDS} s"
if [ "$status" -ne 0 ]; then
  echo "== static analysis found something (above)"
  exit 1
fi
echo "== static analysis: no findings"
