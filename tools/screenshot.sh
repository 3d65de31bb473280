#!/usr/bin/env bash
# screenshot: runs the game under a virtual X server (Xvfb), signs a name into the front
# desk and greets it, and writes what the window shows as a PNG (default screenshot.png).
# Usage: tools/screenshot.sh [OUT.png]   (QV_BUILD_DIR picks the build folder, default build)
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-screenshot.png}")"
build="${QV_BUILD_DIR:-build}"
if [ ! -x "$build/quillmoor" ]; then
  cmake -S . -B "$build" -DQV_TESTS=OFF -DQV_BENCH=OFF >/dev/null
  cmake --build "$build" -j"$(nproc)" --target quillmoor
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
rm -f "$out"
cat > "$work/input.txt" <<EOF
wait 500
move 300 330
click 400 208
text Holmes
wait 200
click 290 441
wait 300
capture $out
close
EOF
QV_HOME="$work/home" QV_INPUT_SCRIPT="$work/input.txt" ALSOFT_DRIVERS=null \
  LIBGL_ALWAYS_SOFTWARE=1 SDL_VIDEODRIVER=x11 \
  xvfb-run -a -s "-screen 0 1024x768x24" "$build/quillmoor" 2>"$work/log.txt" || {
  cat "$work/log.txt" >&2
  exit 1
}
if [ ! -s "$out" ]; then
  cat "$work/log.txt" >&2
  echo "No screenshot was taken" >&2
  exit 1
fi
echo "Screenshot: $out"
