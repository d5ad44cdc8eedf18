#!/usr/bin/env bash
# Checks that every C++ source is laid out as .clang-format says and names the files that are not;
# `tools/check-format.sh --fix` lays them out in place.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
if ! command -v clang-format >/dev/null; then
  echo "clang-format is missing (tools/setup.sh installs it)" >&2
  exit 1
fi
if [ "${1:-}" = "--fix" ]; then
  git ls-files -z '*.cpp' '*.h' | xargs -0 -P "$(nproc)" -n 50 clang-format -i
  exit 0
fi
bad=$(git ls-files -z '*.cpp' '*.h' |
  { xargs -0 -P "$(nproc)" -n 50 clang-format --dry-run --Werror 2>&1 || true; } |
  sed -nE 's/^([^ :][^:]*):[0-9]+:[0-9]+: error: code should be clang-formatted.*/\1/p' | sort -u)
if [ -n "$bad" ]; then
  echo "Not laid out as .clang-format says (tools/check-format.sh --fix lays them out):"
  echo "$bad"
  exit 1
fi
