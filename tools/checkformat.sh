#!/usr/bin/env bash
# checkformat: fails when a C++ file the repository tracks is not laid out as .clang-format
# says, naming each such file; `clang-format -i FILE` lays one out.
set -uo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang-format >/dev/null; then
  echo "ERROR: clang-format is not installed (tools/install-deps.sh installs it)"
  exit 1
fi
status=0
while IFS= read -r -d '' file; do
  if ! clang-format --dry-run --Werror "$file" >/dev/null 2>&1; then
    echo "not laid out as .clang-format says: $file"
    status=1
  fi
done < <(git ls-files -z -- '*.cpp' '*.h')
[ "$status" -eq 0 ] && echo "every C++ file is laid out as .clang-format says"
exit $status
