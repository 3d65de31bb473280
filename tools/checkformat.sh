#!/usr/bin/env bash
# checkformat: fails when a C++ file the repository tracks is not laid out as .clang-format
# says, naming each such file; `clang-format -i FILE` lays one out. Checks as many files at a
# time as there are cores.
set -uo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang-format >/dev/null; then
  echo "ERROR: clang-format is not installed (tools/install-deps.sh installs it)"
  exit 1
fi
unlaid=$(git ls-files -z -- '*.cpp' '*.h' | xargs -0 -r -P "$(nproc)" -n 8 sh -c '
  for file in "$@"; do
    clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || echo "not laid out as .clang-format says: $file"
  done' sh)
if [ -n "$unlaid" ]; then
  echo "$unlaid" | sort
  exit 1
fi
echo "every C++ file is laid out as .clang-format says"
