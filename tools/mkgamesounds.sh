#!/usr/bin/env bash
# mkgamesounds: makes the game's music (title theme, the map's and journal's five tunes, the
# cinematic's, the puzzles' two, the search rooms' three, the places' stings) and its sound
# effects (found, miss, clue, dialog, stamp, page, the rooms' ambience) as generated tones
# with sox and oggenc, under FOLDER/audio/. The build runs it into its generated data (never into the checkout).
# Usage: tools/mkgamesounds.sh FOLDER
set -euo pipefail
out="${1:?usage: mkgamesounds.sh FOLDER}/audio"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$out/music" "$out/sfx"

tone() {  # name seconds synth-arguments... : a mono tone, made at 44.1 kHz and kept at 22.05 kHz
  local name="$1" seconds="$2"
  shift 2
  sox -D -r 44100 -c 1 -n -b 16 "$work/$name.wav" synth "$seconds" "$@" rate 22050
}

encode() {  # wav-name ogg-path
  oggenc -Q -q 1 -o "$2.tmp" "$work/$1.wav"
  mv "$2.tmp" "$2"
}

# tune NAME BEAT DRONE NOTES...: a plucked melody over a soft drone of two notes, looped
# seamlessly (the drone fades in and out over the whole length).
tune() {
  local name="$1" beat="$2" drone="$3"
  shift 3
  local parts=() i=0
  for note in "$@"; do
    tone "$name-$i" "$beat" pluck "$note" fade 0 "$beat" "$(awk -v b="$beat" 'BEGIN { print b * 0.7 }')" vol 0.5
    parts+=("$work/$name-$i.wav")
    i=$((i + 1))
  done
  sox "${parts[@]}" "$work/$name-melody.wav"
  local length
  length=$(soxi -D "$work/$name-melody.wav")
  tone "$name-drone" "$length" sine "$drone" sine "$(echo "$drone" | sed 's/[0-9]$/4/')" remix - vol 0.10 \
    fade 0.4 "$length" 0.4
  sox -m "$work/$name-melody.wav" "$work/$name-drone.wav" "$work/$name.wav" reverb 30 norm -3
}

tune theme 0.45 A2 A3 C4 E4 A4 G4 E4 C4 E4 F3 A3 C4 F4 G4 E4 D4 B3
encode theme "$out/music/qsb_theme.ogg"
tune ss1 0.5 D3 D4 F4 A4 F4 G4 E4 C4 E4 D4 A3 D4 F4 E4 C4 D4 D4
encode ss1 "$out/music/ss_01.ogg"
tune ss2 0.5 G2 G3 B3 D4 G4 F4 D4 B3 D4 C4 E4 G4 E4 D4 B3 A3 G3
encode ss2 "$out/music/ss_02.ogg"
tune ss3 0.55 E3 E4 G4 B4 G4 A4 F4 D4 F4 E4 C4 E4 G4 F4 D4 B3 E4
encode ss3 "$out/music/ss_03.ogg"
tune ss4 0.5 C3 C4 E4 G4 C5 B4 G4 E4 G4 A4 F4 D4 F4 E4 D4 B3 C4
encode ss4 "$out/music/ss_04.ogg"
tune ss5 0.5 F2 F3 A3 C4 F4 E4 C4 A3 C4 D4 B3 G3 B3 C4 A3 G3 F3
encode ss5 "$out/music/ss_05.ogg"
tune comic 0.3 C3 C4 E4 G4 E4 C4 E4 G4 C5 A4 F4 A4 C5 G4 E4 D4 C4
encode comic "$out/music/comic.ogg"
tune mini1 0.35 A2 A3 B3 C4 E4 A4 E4 C4 B3 A3 C4 E4 A4 G4 E4 C4 B3
encode mini1 "$out/music/QS_MiniGame1_16.ogg"
tune mini2 0.35 E2 E3 G3 B3 E4 D4 B3 G3 B3 C4 A3 F3 A3 B3 G3 E3 E3
encode mini2 "$out/music/QS_MiniGame2_16.ogg"
tune room1 0.6 D2 D3 F3 A3 D4 C4 A3 F3 G3 A3 E3 C3 E3 F3 D3 E3 D3
encode room1 "$out/music/room_01.ogg"
tune room2 0.6 B2 B2 D3 F#3 B3 A3 F#3 D3 E3 G3 E3 C#3 D3 F#3 E3 C#3 B2
encode room2 "$out/music/room_02.ogg"
tune room3 0.55 G2 G3 A#3 D4 G4 F4 D4 A#3 C4 D4 A3 F3 A3 A#3 G3 F3 G3
encode room3 "$out/music/room_03.ogg"
# A sting outlasts the two seconds in which a room cross-fades it in over the music before.
tune sting_museum 0.6 A2 A3 C4 E4 G4 A4
encode sting_museum "$out/music/sting_museum.ogg"
tune sting_library 0.6 D3 D4 F4 A4 C5 D5
encode sting_library "$out/music/sting_library.ogg"

# Effects.
tone found 0.35 sine 880 sine 1320 remix - fade 0 0.35 0.3 vol 0.5
tone found2 0.3 sine 1320 sine 1760 remix - fade 0 0.3 0.25 vol 0.4 pad 0.08
sox -m "$work/found.wav" "$work/found2.wav" "$work/found-mix.wav" norm -4
encode found-mix "$out/sfx/found.ogg"
tone miss 0.18 sine 140 fade 0 0.18 0.15 vol 0.8
encode miss "$out/sfx/miss.ogg"
tone clue 0.6 pluck E5 pluck B5 remix - fade 0 0.6 0.5 vol 0.6
encode clue "$out/sfx/clue.ogg"
tone dialog 0.4 pluck A4 pluck E5 remix - fade 0 0.4 0.3 vol 0.5
encode dialog "$out/sfx/dialog.ogg"
tone stamp 0.25 brownnoise lowpass 400 fade 0 0.25 0.2 vol 0.9
encode stamp "$out/sfx/stamp.ogg"
tone page 0.3 pinknoise highpass 1500 fade 0.05 0.3 0.2 vol 0.4
encode page "$out/sfx/page.ogg"
tone ambient_museum 6 brownnoise lowpass 300 tremolo 0.2 30 fade 0.5 6 0.5 vol 0.15
encode ambient_museum "$out/sfx/ambient_museum.ogg"
tone ambient_library 6 pinknoise lowpass 500 tremolo 0.15 40 fade 0.5 6 0.5 vol 0.12
encode ambient_library "$out/sfx/ambient_library.ogg"
# The build's witness that every sound was written.
touch "$out/gamesounds.stamp"
