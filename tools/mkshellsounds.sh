#!/usr/bin/env bash
# mkshellsounds: makes the menu music, the slider's hover sound and the four typing sounds
# as generated tones with sox and oggenc, into data/assets/audio/ (or the folder given).
set -euo pipefail
out="${1:-data/assets/audio}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$out/music" "$out/sfx"

tone() {  # name seconds synth-arguments... : a mono tone, made at 44.1 kHz and kept at 22.05 kHz
  local name="$1" seconds="$2"
  shift 2
  sox -D -r 44100 -c 1 -n -b 16 "$work/$name.wav" synth "$seconds" "$@" rate 22050
}

# The menu music: a slow minor tune in plucked notes over a low drone, eight seconds that loop.
notes=(A3 C4 E4 A4 G4 E4 D4 E4 F3 A3 C4 F4 E4 C4 B3 G3)
parts=()
for i in "${!notes[@]}"; do
  tone "n$i" 0.5 pluck "${notes[$i]}" fade 0 0.5 0.35 vol 0.5
  parts+=("$work/n$i.wav")
done
sox "${parts[@]}" "$work/melody.wav"
tone drone 8 sine A2 sine E3 remix - vol 0.12 fade 0.5 8 0.5
sox -m "$work/melody.wav" "$work/drone.wav" "$work/music.wav" reverb 30 norm -3
oggenc -Q -q 1 -o "$out/music/mainmenumusic.ogg" "$work/music.wav"

# The hover sound: a soft shimmer that loops while a slider is dragged.
tone hover 0.4 sine 880 sine 1320 remix - tremolo 12 40 vol 0.3 fade 0.02 0.4 0.02
oggenc -Q -q 1 -o "$out/sfx/hover.ogg" "$work/hover.wav"

# Four typewriter clicks of slightly different pitch.
pitch=(1800 2100 2400 2700)
for i in 1 2 3 4; do
  tone "type$i" 0.06 square "${pitch[$((i - 1))]}" vol 0.4 fade 0 0.06 0.05
  oggenc -Q -q 1 -o "$out/sfx/sfx_typing_0$i.ogg" "$work/type$i.wav"
done
