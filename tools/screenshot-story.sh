#!/usr/bin/env bash
# screenshot-story: runs the game under a virtual X server (Xvfb) from a fresh user folder and
# plays the story's first case, writing each screen of the way as a PNG file into a folder: the
# register, the title with its menu, the map, the case's intro, the journal, the search room
# (half of its things found), the timeline, the checklist, the solved stamp, the map after it.
# Usage: tools/screenshot-story.sh [FOLDER]   (default screenshots; QV_BUILD_DIR as for
# tools/screenshot.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/screenshotlib.sh
screenshot_setup "${1:-screenshots}" story_newplayer story_title story_map story_intro story_journal story_room \
  story_sequence story_checklist story_solved story_map_after
# The places clicked are those tests/e2e/storyroad_e2e_test.cpp clicks.
cat > "$work/input.txt" <<EOF2
until game: main menu shown
wait 500
capture $out/story_newplayer.png
click 400 239
text Holmes
key return
until game: detective created
wait 500
move 640 560
wait 100
capture $out/story_title.png
click 400 193
wait 800
click 520 203
until Screen faded in: TMapScreen
move 400 330
wait 300
capture $out/story_map.png
click 215 170
until Overlay show dialog: museum_intro
until Screen faded in: TOverlayScreen
capture $out/story_intro.png
click 396 412
until Tutorial: journal_search_tutorial
wait 300
capture $out/story_journal.png
click 600 450
wait 300
click 130 564
until Overlay show dialog: museum_search_intro
until Screen faded in: TOverlayScreen
until Journal closed
click 396 412
until PostEvent: evDialogClosed
click 692 386
until found glove
click 148 288
until found umbrella
click 537 302
until found spectacles
move 420 150
wait 1000
capture $out/story_room.png
click 526 472
until found key
click 318 470
until found ticket
click 196 466
until Overlay show dialog: museum_search_end
until Screen faded in: TOverlayScreen
click 396 412
until Tutorial: identify_the_suspect_tutorial
wait 300
click 440 440
wait 300
click 320 564
until Screen faded in: TSuspectPuzzleSequence
until Journal closed
move 400 520
wait 100
capture $out/story_sequence.png
click 494 336
wait 200
click 684 336
wait 200
click 114 336
wait 200
click 304 336
until Journal open
click 510 564
until Screen faded in: TSuspectPuzzleChecklist
until Journal closed
move 400 580
wait 100
capture $out/story_checklist.png
click 395 326
until the way back to the map shows
capture $out/story_solved.png
click 400 562
until Overlay show dialog: museum_end
until Screen faded in: TOverlayScreen
until Journal closed
click 396 412
until from stCaseEnd to stMap
move 400 330
wait 500
capture $out/story_map_after.png
close
until game: asked: quit_title
key return
EOF2
screenshot_play
