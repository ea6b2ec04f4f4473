#!/usr/bin/env bash
# The main job: builds what it needs and runs the converter on sample data.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/ensure_tools.sh"
"$here/scripts/build.sh" "$here/build"
echo "The converter and its stand-ins are built in $here/build/bin and $here/build/lib/dunax."
