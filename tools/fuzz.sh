#!/usr/bin/env bash
# fuzz: builds the libFuzzer targets with clang and runs each for a while (default 30 s), as
# many at a time as there are cores; QV_JOBS sets the build's and the runs' parallel jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
jobs=${QV_JOBS:-$(nproc)}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DQV_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$jobs"
logs=build-fuzz/logs
mkdir -p "$logs"

# fuzz_one NAME: one target's run; its output goes to its log, printed when it ends.
fuzz_one() {
  local name=$1
  local target="build-fuzz/fuzz/$name"
  local corpus="build-fuzz/corpus/$name"
  mkdir -p "$corpus"
  local seeds="fuzz/seeds/${name%_fuzz}"
  [ -d "$seeds" ] || seeds=""
  local result=0
  "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 -close_fd_mask=3 \
    -artifact_prefix="build-fuzz/$name-" "$corpus" $seeds >"$logs/$name.log" 2>&1 || result=$?
  echo "== fuzzing $name for ${seconds}s"
  cat "$logs/$name.log"
  [ "$result" -eq 0 ] || echo "fuzz: $name failed (exit status $result)"
  return "$result"
}

status=0
running=0
for target in build-fuzz/fuzz/*_fuzz; do
  [ -x "$target" ] || continue
  if [ "$running" -ge "$jobs" ]; then
    wait -n || status=1
    running=$((running - 1))
  fi
  fuzz_one "$(basename "$target")" &
  running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
  wait -n || status=1
  running=$((running - 1))
done
exit $status
