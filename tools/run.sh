#!/usr/bin/env bash
# Builds the program (optimised) and runs its main job with the given arguments.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/setup.sh"
build="$root/build/release"
# The build's own output is kept back; a first build takes minutes, so say what is going on.
echo "building tavorin (optimised, in ${build#"$root"/})…" >&2
"$root/tools/configure.sh" "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j "$(nproc)" --target tavorin >/dev/null
exec "$build/app/tavorin" "$@"
