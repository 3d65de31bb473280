#!/usr/bin/env bash
# screenshot: runs the game under a virtual X server (Xvfb) from a fresh user folder, signs a
# detective in at the title and opens each window of the menu over it, and writes what the window shows as PNG
# files (newplayer, menu, options, players, hiscores, credits, timermode) into a folder.
# Usage: tools/screenshot.sh [FOLDER]   (default screenshots; QV_BUILD_DIR picks the build
# folder, default build-run, the one tools/build-and-run.sh builds: the tests' folder is never
# reconfigured)
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/screenshotlib.sh
screenshot_setup "${1:-screenshots}" newplayer menu options players hiscores credits timermode
cat > "$work/input.txt" <<EOF2
until game: main menu shown
wait 500
capture $out/newplayer.png
click 400 239
text Holmes
wait 300
key return
wait 500
move 640 560
wait 100
capture $out/menu.png
click 400 305
wait 500
capture $out/options.png
key escape
wait 300
click 400 361
wait 500
capture $out/players.png
key escape
wait 300
click 400 417
wait 500
capture $out/hiscores.png
key escape
wait 300
click 400 473
wait 2500
capture $out/credits.png
key escape
wait 300
click 400 193
wait 300
move 520 203
wait 300
capture $out/timermode.png
key escape
wait 300
close
until game: asked: quit_title
key return
EOF2
screenshot_play
