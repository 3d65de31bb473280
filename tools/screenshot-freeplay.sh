#!/usr/bin/env bash
# screenshot-freeplay: runs the game under a virtual X server (Xvfb) from a fresh user folder and
# plays one free-play round: writes the free-play map, the museum against the clock (half of its
# things found), the round's result and the free-play hiscore table as PNG files into a folder.
# Usage: tools/screenshot-freeplay.sh [FOLDER]   (default screenshots; QV_BUILD_DIR as for
# tools/screenshot.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/screenshotlib.sh
screenshot_setup "${1:-screenshots}" freeplay_map freeplay_room freeplay_result freeplay_hiscores
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
until game: asked: quit_title
key return
EOF2
screenshot_play
