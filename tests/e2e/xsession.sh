#!/bin/sh
# xsession: runs the program on the X display it is given (under xvfb-run), under a window manager
# when asked, and beside it a file of shell steps that act as a player at the X server (xdotool)
# and read the window tree (xwininfo). The steps wait for the program's log lines with until_log.
# Usage: xsession.sh [--wm COMMAND] STEPS LOG PROGRAM [ARGUMENTS...]; ends with the program's status.
wm=
if [ "$1" = "--wm" ]; then
  wm=$2
  shift 2
fi
steps=$1
log=$2
shift 2

# until_log TEXT: waits (at most 60 s) until the program's log holds TEXT.
until_log() {
  tries=0
  until grep -qF -- "$1" "$log"; do
    tries=$((tries + 1))
    if [ "$tries" -gt 600 ]; then
      echo "xsession: the log never showed: $1"
      return 1
    fi
    sleep 0.1
  done
}

# tree: one line "window: WIDTHxHEIGHT+X+Y" per window of the program, as the X server has it.
tree() {
  xwininfo -root -tree | grep -F '("quillmoor"' | sed -n 's/.*) *\([0-9]*x[0-9]*\)[^+]*\(+[-0-9]*+[-0-9]*\) *\(+[-0-9]*+[-0-9]*\).*/window: \1\3/p'
}

wmpid=
if [ -n "$wm" ]; then
  $wm > /dev/null 2>&1 &
  wmpid=$!
  # The manager has taken the display once it names its check window on the root.
  tries=0
  until xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q "window id"; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ]; then
      echo "xsession: the window manager $wm did not start"
      kill "$wmpid" 2> /dev/null
      exit 1
    fi
    sleep 0.1
  done
fi

"$@" &
program=$!
. "$steps"
wait "$program"
status=$?
[ -n "$wmpid" ] && kill "$wmpid" 2> /dev/null
exit "$status"
