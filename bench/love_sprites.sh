#!/usr/bin/env bash
# love_sprites: a frame of 1,000 and 10,000 64 x 64 sprites (cleared, drawn, presented,
# finished) by the engine against the same frame by the Lua 2D engine Debian packages as
# "love", both in windows of one display server (Xvfb, or the offscreen driver without one),
# taking turns; prints each ratio with its spread over the rounds, CPU counted over all the
# threads of each program. Not needed by CI; needs the love package.
# Usage: bench/love_sprites.sh [build folder]   (default: build; ROUNDS=5 by default)
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
bench="$build/bench/graphics_bench"
sprite="$build/tests/gfx-images/sprite64.png"
command -v love >/dev/null || { echo "ERROR: love is not installed (apt-get install love)" >&2; exit 1; }
[ -x "$bench" ] || { echo "ERROR: no $bench (build the benchmarks first)" >&2; exit 1; }
[ -f "$sprite" ] || { echo "ERROR: no $sprite (build the gfx_images target)" >&2; exit 1; }
rounds=${ROUNDS:-5}
out=$(mktemp /tmp/love_sprites-XXXXXX)
trap 'rm -f "$out" "$out.csv"' EXIT

# The rounds, in one display server so that both programs get windows alike: an X server's
# windows have a back buffer, which the engine draws its frame into as the other engine does.
run_rounds() {
  for _ in $(seq 1 "$rounds"); do
    "$bench" --benchmark_filter='BM_DrawSpriteAndPresent/' --benchmark_min_time=1 --benchmark_repetitions=1 \
      --benchmark_out="$out.csv" --benchmark_out_format=csv >/dev/null 2>&1
    grep '^"BM_DrawSpriteAndPresent' "$out.csv" >>"$out" || true
    love "$here/love" "$(readlink -f "$sprite")" 1000 10000 >>"$out" 2>/dev/null || true
  done
}
if [ -z "${QV_LOVE_INSIDE:-}" ] && [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  QV_LOVE_INSIDE=1 ROUNDS="$rounds" exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
if [ -n "${DISPLAY:-}" ]; then
  export SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-x11}
else
  export SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-offscreen}
fi
run_rounds

# Engine rows are CSV (name, iterations, real_time, cpu_time, unit ms); love rows are words.
# Round i of the engine is set against round i of love; the median ratio and the least and
# greatest come out.
awk -F'[ ,]' '
  function sort(values, count,    i, j, t) {
    for (i = 2; i <= count; i++)
      for (j = i; j > 1 && values[j - 1] > values[j]; j--) { t = values[j]; values[j] = values[j - 1]; values[j - 1] = t }
  }
  function median(values, count) {
    sort(values, count)
    return count % 2 ? values[(count + 1) / 2] : (values[count / 2] + values[count / 2 + 1]) / 2
  }
  function take(kind, n, wall, cpu,    key) {
    key = kind SUBSEP n
    count[key]++
    walls[key, count[key]] = wall
    cpus[key, count[key]] = cpu
  }
  function ratios(n, which, out,    i, e, l) {
    e = "engine" SUBSEP n; l = "love" SUBSEP n
    for (i = 1; i <= count[e] && i <= count[l]; i++)
      out[i] = which == "wall" ? walls[e, i] / walls[l, i] : cpus[e, i] / cpus[l, i]
    return i - 1
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
      k = ratios(n, "wall", w); wm = median(w, k)
      k = ratios(n, "cpu", c); cm = median(c, k)
      printf "%5d sprites, frame vs love: wall %5.2fx [%4.2f-%4.2f] (%8.3f vs %8.3f ms)  cpu %5.2fx [%4.2f-%4.2f] (%8.3f vs %8.3f ms)  goal wall <= 1.00x %s  (%d rounds)\n",
             n, wm, w[1], w[k], med("engine", n, "wall"), med("love", n, "wall"), cm, c[1], c[k],
             med("engine", n, "cpu"), med("love", n, "cpu"), wm <= 1.0 ? "met" : "MISSED", k
    }
  }' "$out"
