#!/usr/bin/env bash
# build-and-run: installs what is needed, builds the game and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/install-deps.sh
cmake -S . -B build -DQV_TESTS=OFF -DQV_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)" --target quillmoor
exec ./build/quillmoor "$@"
