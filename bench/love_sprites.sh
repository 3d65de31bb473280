#!/usr/bin/env bash
# love_sprites: a frame of 1,000 and 10,000 64 x 64 sprites (drawn, presented, finished) by the
# engine against the same frame by the Lua 2D engine Debian packages as "love", both headless
# in one run, with the ratios. Not needed by CI; needs the love package.
# Usage: bench/love_sprites.sh [build folder]   (default: build)
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
bench="$build/bench/graphics_bench"
sprite="$build/tests/gfx-images/sprite64.png"
command -v love >/dev/null || { echo "ERROR: love is not installed (apt-get install love)" >&2; exit 1; }
[ -x "$bench" ] || { echo "ERROR: no $bench (build the benchmarks first)" >&2; exit 1; }
[ -f "$sprite" ] || { echo "ERROR: no $sprite (build the gfx_images target)" >&2; exit 1; }
export SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-offscreen}
rounds=${ROUNDS:-3}
out=$(mktemp /tmp/love_sprites-XXXXXX)
trap 'rm -f "$out" "$out.csv"' EXIT

# The two take turns, so a busy machine's changing load falls on both alike; the medians of
# the rounds are compared.
for _ in $(seq 1 "$rounds"); do
  "$bench" --benchmark_filter='BM_DrawSpriteAndPresent/' --benchmark_min_time=1 \
    --benchmark_out="$out.csv" --benchmark_out_format=csv >/dev/null 2>&1
  grep '^"BM_DrawSpriteAndPresent' "$out.csv" >>"$out" || true
  love "$here/love" "$(readlink -f "$sprite")" 1000 10000 >>"$out" 2>/dev/null || true
done

# Engine rows are CSV (name, iterations, real_time, cpu_time, unit ms); love rows are words.
awk -F'[ ,]' '
  function median(values, count,    i, j, t) {
    for (i = 2; i <= count; i++)
      for (j = i; j > 1 && values[j - 1] > values[j]; j--) { t = values[j]; values[j] = values[j - 1]; values[j - 1] = t }
    return count % 2 ? values[(count + 1) / 2] : (values[count / 2] + values[count / 2 + 1]) / 2
  }
  function take(kind, n, wall, cpu,    key) {
    key = kind SUBSEP n
    count[key]++
    walls[key, count[key]] = wall
    cpus[key, count[key]] = cpu
  }
  function med(kind, n, which,    key, i, values) {
    key = kind SUBSEP n
    for (i = 1; i <= count[key]; i++) values[i] = which == "wall" ? walls[key, i] : cpus[key, i]
    return median(values, count[key])
  }
  /^"BM_DrawSpriteAndPresent\// { split($1, p, "/"); take("engine", p[2] + 0, $3, $4) }
  /^love_sprites\// { split($1, p, "/"); take("love", p[2] + 0, $3, $5) }
  END {
    for (n = 1000; n <= 10000; n *= 10) {
      if (!count["engine" SUBSEP n] || !count["love" SUBSEP n]) { printf "%d sprites: not measured\n", n; continue }
      ew = med("engine", n, "wall"); lw = med("love", n, "wall")
      ec = med("engine", n, "cpu"); lc = med("love", n, "cpu")
      printf "%5d sprites, frame vs love: wall %5.2fx (%8.3f vs %8.3f ms)  cpu %5.2fx (%8.3f vs %8.3f ms)  goal wall <= 1.00x %s\n",
             n, ew / lw, ew, lw, ec / lc, ec, lc, ew / lw <= 1.0 ? "met" : "MISSED"
    }
    printf "(medians of %d rounds each)\n", count["engine" SUBSEP 1000]
  }' "$out"
