#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/setup.sh"
"$root/tools/check-format.sh"
build="$root/build/asan"
"$root/tools/configure.sh" "$build" -DCMAKE_BUILD_TYPE=Debug -DTAVORIN_SANITIZE=ON
cmake --build "$build" -j "$(nproc)"
# The leak checker's record of dynamically loaded thread-local storage can be left corrupt by
# the GL driver's libraries, which makes the checker itself crash at exit; it is not needed
# to find leaks in our code.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:intercept_tls_get_addr=0"
# A leak's stack stops inside a library built without frame pointers (cairo, glib, ...); run
# the one test again with fast_unwind_on_malloc=0 added to ASAN_OPTIONS to see our callers
# (many times slower, so not for the whole suite).
export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# Each of glib's small blocks (objects, list cells) an allocation of its own: in glib's own
# slabs a leaked object sits unseen inside a block glib still holds.
export G_SLICE=always-malloc
cd "$build" && ctest --output-on-failure --timeout 600 -j "$(nproc)" "$@"
