#!/usr/bin/env bash
# Makes sure the tools the build and the tests need are on this machine. As root it installs
# what is missing with apt-get; otherwise it prints the exact command and fails.
# Usage: scripts/ensure_tools.sh [extra-debian-package | windows ...]
#   windows: the Windows cross-build and its tests (MinGW-w64 for x64 and x86, Wine)
set -euo pipefail

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

have_cmd cmake || need+=(cmake)
have_cmd ninja || need+=(ninja-build)
have_cmd g++ || need+=(g++)
have_pkg libgtest-dev || need+=(libgtest-dev)
have_cmd cobc || need+=(gnucobol3)
# The manager's report: JSON (nlohmann-json) and SHA-256 (OpenSSL's libcrypto).
have_pkg nlohmann-json3-dev || need+=(nlohmann-json3-dev)
have_pkg libssl-dev || need+=(libssl-dev)
for extra in "$@"; do
  if [ "$extra" = windows ]; then
    for package in g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine wine64; do
      have_pkg "$package" || need+=("$package")
    done
  else
    have_pkg "$extra" || need+=("$extra")
  fi
done

if [ ${#need[@]} -eq 0 ]; then
  exit 0
fi
if [ "$(id -u)" -eq 0 ]; then
  echo "Installing: ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${need[@]}" >/dev/null
else
  echo "Missing tools. Install them with:" >&2
  echo "  sudo apt-get install -y ${need[*]}" >&2
  exit 1
fi
