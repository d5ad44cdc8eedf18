#!/usr/bin/env bash
# Checks that every C++ source is laid out as .clang-format says and names the files that are not;
# `tools/check-format.sh --fix` lays them out in place. A .clang-format that clang-format cannot
# read fails the check, whatever the sources look like.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd -P)"
cd "$root"
if ! command -v clang-format >/dev/null; then
  echo "clang-format is missing (tools/setup.sh installs it)" >&2
  exit 1
fi

# The files whose names match the patterns, NUL-separated: those git tracks in a clone; without
# git or a clone (an unpacked tarball), all of them but those in hidden and build folders.
files() {
  if command -v git >/dev/null && [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$root" ]; then
    local specs=()
    for pattern; do specs+=(":(glob)**/$pattern"); done
    git ls-files -z -- "${specs[@]}"
  else
    local names=()
    for pattern; do names+=(-o -name "$pattern"); done
    find . -type d \( -name '.?*' -o -name build -o -name 'build[-_]*' \) -prune -o \
      -type f \( "${names[@]:1}" \) -print0 | sed -z 's|^\./||'
  fi
}

# clang-format reports an unreadable configuration only for the files it was about to lay out,
# among whatever else it says, so each configuration is read on its own first.
while IFS= read -r -d '' config; do
  if ! error=$(clang-format --dump-config --assume-filename="$(dirname "$config")/any.cpp" 2>&1 >/dev/null); then
    echo "$config cannot be read, so no source can be checked against it:" >&2
    echo "$error" >&2
    exit 1
  fi
done < <(files .clang-format)

if [ "${1:-}" = "--fix" ]; then
  files '*.cpp' '*.h' | xargs -0 -r -P "$(nproc)" -n 50 clang-format -i
  exit 0
fi
output=$(files '*.cpp' '*.h' | xargs -0 -r -P "$(nproc)" -n 50 clang-format --dry-run --Werror 2>&1) &&
  status=0 || status=$?
bad=$(printf '%s\n' "$output" |
  sed -nE 's/^([^ :][^:]*):[0-9]+:[0-9]+: error: code should be clang-formatted.*/\1/p' | sort -u)
if [ -n "$bad" ]; then
  echo "Not laid out as .clang-format says (tools/check-format.sh --fix lays them out):"
  echo "$bad"
  exit 1
fi
# A failure that names no file is clang-format's own: say what it said.
if [ "$status" != 0 ]; then
  echo "clang-format failed (status $status):" >&2
  echo "$output" >&2
  exit 1
fi
