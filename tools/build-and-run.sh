#!/usr/bin/env bash
# build-and-run: installs what is needed, builds the game in its own folder and starts it.
# Usage: tools/build-and-run.sh [program arguments...]   (QV_JOBS sets the build's parallel jobs)
# The folder (build-run/) is not the tests' (build/), so either command may come first.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-run
./tools/install-deps.sh
# Every option this command relies on is set here, whatever an earlier run left in the cache.
cmake -S . -B "$build" -DQV_TESTS=OFF -DQV_BENCH=OFF -DQV_FUZZ=OFF -DQV_SANITIZE=OFF -DQV_TSAN=OFF >/dev/null
cmake --build "$build" -j"${QV_JOBS:-$(nproc)}" --target quillmoor
exec "./$build/quillmoor" "$@"
