#!/usr/bin/env bash
# fuzz: builds the libFuzzer targets with clang and runs each for a while (default 30 s);
# QV_JOBS sets the build's parallel jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DQV_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"${QV_JOBS:-$(nproc)}"
for target in build-fuzz/fuzz/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="build-fuzz/corpus/$name"
  mkdir -p "$corpus"
  seeds="fuzz/seeds/${name%_fuzz}"
  [ -d "$seeds" ] || seeds=""
  echo "== fuzzing $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 -close_fd_mask=3 -artifact_prefix="build-fuzz/$name-" "$corpus" $seeds
done
