#!/usr/bin/env bash
# Builds the program (optimised) and runs its main job with the given arguments.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/setup.sh"
build="$root/build/release"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)" --target tavorin >/dev/null
exec "$build/app/tavorin" "$@"
