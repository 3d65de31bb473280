# screenshotlib: what the screenshot scripts share: the program they run, a fresh work folder
# for its user data and input script, and a run under a virtual X server (Xvfb) that must leave
# every picture it was asked for. Sourced by tools/screenshot*.sh from the checkout's top.

# screenshot_setup FOLDER NAMES...: sets out (FOLDER made absolute), build (QV_BUILD_DIR, default
# build-run, the one tools/build-and-run.sh builds: the tests' folder is never reconfigured; the
# program is built there when missing), work (removed at exit) and names; removes old pictures.
screenshot_setup() {
  out="$(realpath -m "$1")"
  shift
  names="$*"
  build="${QV_BUILD_DIR:-build-run}"
  if [ ! -x "$build/quillmoor" ]; then
    cmake -S . -B "$build" -DQV_TESTS=OFF -DQV_BENCH=OFF -DQV_FUZZ=OFF -DQV_SANITIZE=OFF -DQV_TSAN=OFF >/dev/null
    cmake --build "$build" -j"$(nproc)" --target quillmoor
  fi
  work="$(mktemp -d)"
  trap 'rm -rf "$work"' EXIT
  mkdir -p "$out"
  for name in $names; do rm -f "$out/$name.png"; done
}

# screenshot_play: runs the game on "$work/input.txt" from a fresh user folder in a 800 x 600
# window; fails with the game's log when it fails or when one of the pictures is missing, and
# with the log's errors when it logged any: pictures of a broken road are no pictures of the game.
screenshot_play() {
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
  if grep -q "^ERROR: " "$work/log.txt"; then
    grep "^ERROR: " "$work/log.txt" >&2
    exit 1
  fi
  echo "Screenshots: $out"
}
