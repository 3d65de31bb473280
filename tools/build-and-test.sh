#!/usr/bin/env bash
# build-and-test: installs what is needed, builds the engine, the game and the tests, and runs them.
# Usage: tools/build-and-test.sh [build-dir] [extra cmake arguments...]
# (QV_JOBS sets the parallel jobs of the build and the test run)
# The default folder (build/) is not the game's (build-run/), so either command may come first;
# a run in which no test ran is a failure.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}; shift || true
./tools/install-deps.sh
# The tests are switched on here, whatever an earlier run left in the folder's cache.
cmake -S . -B "$build" -DQV_TESTS=ON -DQV_FUZZ=OFF "$@" >/dev/null
jobs=${QV_JOBS:-$(nproc)}
cmake --build "$build" -j"$jobs"
ctest --test-dir "$build" --output-on-failure --no-tests=error -j"$jobs"
