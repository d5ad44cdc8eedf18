#!/usr/bin/env bash
# Configures a build folder with the given CMake options unless it already is, with the same
# options, since the package list last changed: configuring took seconds on every call. A
# changed CMakeLists.txt needs nothing here: the build notices it and configures itself again.
# Usage: tools/configure.sh BUILD OPTION...
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$1"
shift
stamp="$build/.configured-with"
if [ -f "$build/CMakeCache.txt" ] && [ -f "$stamp" ] && [ "$stamp" -nt "$root/tools/setup.sh" ] &&
  [ "$(cat "$stamp")" = "$(printf '%s\n' "$@")" ]; then
  exit 0
fi
rm -f "$stamp"
cmake -S "$root" -B "$build" "$@" >/dev/null
printf '%s\n' "$@" >"$stamp"
