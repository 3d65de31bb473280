#!/usr/bin/env bash
# build-and-test: installs what is needed, builds the engine, the game and the tests, and runs them.
# Usage: tools/build-and-test.sh [build-dir] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}; shift || true
./tools/install-deps.sh
cmake -S . -B "$build" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
