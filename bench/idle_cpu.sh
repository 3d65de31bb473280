#!/usr/bin/env bash
# idle_cpu: the game idling at its title with the main menu under Xvfb: the share of a core it uses
# and the wake-ups of its threads per second, from /proc, over a measured stretch.
# Usage: bench/idle_cpu.sh [program] [seconds]   (default: build/quillmoor, 10 s)
# QV_IDLE_FIRST_START=1 measures the first start, the register's name field blinking over the
# menu; otherwise a detective signs the register in an earlier run and the menu idles alone.
set -uo pipefail
program=${1:-build/quillmoor}
seconds=${2:-10}
settle=3
[ -x "$program" ] || { echo "ERROR: no program at $program (build it first)" >&2; exit 1; }
home=$(mktemp -d /tmp/qvidle-XXXXXX)
log="$home/log.txt"
pid=""
finish() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$home"
}
trap finish EXIT

if [ -z "${QV_IDLE_FIRST_START:-}" ]; then
  printf 'until game: main menu shown\nwait 300\ntext Idle\nkey return\nuntil detective created\nclose\nuntil game: asked: quit_title\nkey return\n' \
    >"$home/register.txt"
  QV_HOME="$home" QV_INPUT_SCRIPT="$home/register.txt" ALSOFT_DRIVERS=${ALSOFT_DRIVERS:-null} \
    timeout 60 xvfb-run -a -s "-screen 0 1024x768x24" "$program" 2>"$home/register.log" ||
    { echo "ERROR: the register run failed" >&2; tail "$home/register.log" >&2; exit 1; }
  grep -q "detective created" "$home/register.log" ||
    { echo "ERROR: no detective was created" >&2; tail "$home/register.log" >&2; exit 1; }
fi
QV_HOME="$home" ALSOFT_DRIVERS=${ALSOFT_DRIVERS:-null} \
  xvfb-run -a -s "-screen 0 1024x768x24" "$program" 2>"$log" &
wrapper=$!
# The game is a descendant of the wrapper: find it, then wait for its first frame.
descendant() {
  local child found
  for child in $(pgrep -P "$1" || true); do
    if [ "$(cat /proc/"$child"/comm 2>/dev/null)" = "$(basename "$program" | cut -c1-15)" ]; then
      echo "$child"
      return
    fi
    found=$(descendant "$child")
    if [ -n "$found" ]; then
      echo "$found"
      return
    fi
  done
  return 0
}
# The menu is built once the title has faded in: what is measured is the idle menu, not the
# loading or the fade.
shown="game: main menu shown"
for _ in $(seq 1 600); do
  [ -z "$pid" ] && pid=$(descendant "$wrapper")
  if [ -n "$pid" ] && grep -q "$shown" "$log" 2>/dev/null; then break; fi
  sleep 0.1
done
[ -n "$pid" ] || { echo "ERROR: the program did not start" >&2; cat "$log" >&2; exit 1; }
grep -q "$shown" "$log" || { echo "ERROR: the main menu was not shown" >&2; tail "$log" >&2; exit 1; }
sleep "$settle"

ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
switches() {
  local total=0
  for status in /proc/"$pid"/task/*/status; do
    local v n
    v=$(awk '/^voluntary_ctxt_switches/ {print $2}' "$status" 2>/dev/null || echo 0)
    n=$(awk '/^nonvoluntary_ctxt_switches/ {print $2}' "$status" 2>/dev/null || echo 0)
    total=$((total + v + n))
  done
  echo "$total"
}
perthread() {
  for status in /proc/"$pid"/task/*/status; do
    awk '/^Name/ {name=$2} /^Pid/ {tid=$2} /^voluntary_ctxt_switches/ {v=$2} /^nonvoluntary_ctxt_switches/ {n=$2}
         END {print tid, name, v + n}' "$status"
  done | sort -k1,1
}
hz=$(getconf CLK_TCK)
t0=$(ticks); s0=$(switches); perthread >"$home/before"
start=$(date +%s.%N)
sleep "$seconds"
t1=$(ticks); s1=$(switches); perthread >"$home/after"
end=$(date +%s.%N)
elapsed=$(echo "$end - $start" | bc -l)
echo "idle at the main menu for ${elapsed%.*} s (pid $pid)"
printf "cpu: %.2f%% of a core (goal: under 3%%)\n" "$(echo "($t1 - $t0) * 100 / $hz / $elapsed" | bc -l)"
printf "wake-ups: %.0f per second, all threads\n" "$(echo "($s1 - $s0) / $elapsed" | bc -l)"
join "$home/before" "$home/after" |
  awk -v e="$elapsed" '{rate = ($5 - $3) / e; if (rate >= 1) printf "  %-16s %6.0f per second\n", $2, rate}'
