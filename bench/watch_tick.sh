#!/usr/bin/env bash
# One real window-watch tick under Wine: QuillarSim.exe runs with a listed name that no
# window carries and the fastest interval (0.1 s), while a helper process holds 200 extra
# top-level windows, so every tick enumerates all windows and reads every title. The
# program's processor time outside its idle threads is read from outside over a while,
# once with the watch and once without (empty list); the difference per tick is one
# tick's cost.
#   bench/watch_tick.sh [seconds per phase, default 20] [extra windows, default 200]
set -u
. "$(dirname "$0")/../tests/e2e/lib.sh"
echo "architecture: $QUILLAR_ARCH (programs and baseline from $BIN; QUILLAR_ARCH=i686 chooses the 32-bit build)"
seconds=${1:-20}
extra=${2:-200}

start_display
start_wine
trap 'close_test_windows >/dev/null 2>&1; kill_programs; stop_wine' EXIT
register_privileged_object

# Processor milliseconds of the program's threads other than the idle threads.
busy_ms() { probe threads QuillarSim.exe | awk '$2 != -15 { s += $3 + $4 } END { print s + 0 }'; }

phase() {  # phase LIST -> prints the busy milliseconds over $seconds
  quiet_start WindowListInterval=1
  set_setting -s WindowList "$1"
  start_sim ""
  sleep 1
  local a b
  a=$(busy_ms)
  sleep "$seconds"
  b=$(busy_ms)
  stop_sim >/dev/null
  echo $((b - a))
}

open_test_windows "Filler window" "$extra" || { echo "helper windows could not be created"; exit 1; }
with=$(phase '"Media Player"')
without=$(phase "")
close_test_windows >/dev/null
echo "extra top-level windows: $extra; ${seconds} s per phase"
echo "busy time with the watch:    ${with} ms"
echo "busy time without the watch: ${without} ms"
# The interval counts from the end of a tick: ticks = time / (100 ms + one tick).
awk -v w="$with" -v o="$without" -v s="$seconds" 'BEGIN {
  d = w - o; c = 100 * d / (s * 1000 - d)
  printf "about %d ticks; one tick: %.2f ms\n", s * 1000 / (100 + c), c }'
