#!/usr/bin/env bash
# screenshot-freeplay: runs the game under a virtual X server (Xvfb) from a fresh user folder and
# plays one free-play round: writes the free-play map, the museum against the clock (half of its
# things found), the round's result and the free-play hiscore table as PNG files into a folder.
# Usage: tools/screenshot-freeplay.sh [FOLDER]   (default screenshots; QV_BUILD_DIR as for
# tools/screenshot.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-screenshots}")"
build="${QV_BUILD_DIR:-build-run}"
if [ ! -x "$build/quillmoor" ]; then
  cmake -S . -B "$build" -DQV_TESTS=OFF -DQV_BENCH=OFF -DQV_FUZZ=OFF -DQV_SANITIZE=OFF -DQV_TSAN=OFF >/dev/null
  cmake --build "$build" -j"$(nproc)" --target quillmoor
fi
names="freeplay_map freeplay_room freeplay_result freeplay_hiscores"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
for name in $names; do rm -f "$out/$name.png"; done
# The museum's things where the room draws them (as tests/e2e/freeplay_e2e_test.cpp clicks them).
cat > "$work/input.txt" <<EOF2
until game: main menu shown
wait 300
click 400 239
text Holmes
key return
until game: detective created
wait 300
click 400 249
until to stFreePlayMap
until Screen faded in
move 300 300
wait 100
capture $out/freeplay_map.png
click 235 180
until to stFreePlaySearch
until Screen faded in
click 730 284
wait 100
click 692 386
wait 100
click 616 404
wait 100
click 148 273
wait 600
move 420 150
wait 100
capture $out/freeplay_room.png
click 84 256
wait 100
click 526 472
wait 100
click 537 300
wait 100
click 205 465
until to stFreePlayScore
wait 600
capture $out/freeplay_result.png
key return
until from stFreePlayScore to stFreePlayMap
wait 500
click 95 562
until game: main menu shown
wait 300
click 400 417
until game: hiscores shown
wait 500
capture $out/freeplay_hiscores.png
key escape
wait 300
close
EOF2
QV_HOME="$work/home" QV_INPUT_SCRIPT="$work/input.txt" QV_WINDOWED=1 ALSOFT_DRIVERS=null \
  LIBGL_ALWAYS_SOFTWARE=1 SDL_VIDEODRIVER=x11 \
  xvfb-run -a -s "-screen 0 1024x768x24" "$build/quillmoor" 2>"$work/log.txt" || {
  cat "$work/log.txt" >&2
  exit 1
}
for name in $names; do
  if [ ! -s "$out/$name.png" ]; then
    cat "$work/log.txt" >&2
    echo "No screenshot of $name was taken" >&2
    exit 1
  fi
done
echo "Screenshots: $out"
