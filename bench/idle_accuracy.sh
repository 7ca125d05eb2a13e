#!/usr/bin/env bash
# Compares the idle share Quillar shows for processor 1 with the host's real idle share of
# that processor (from /proc/stat, measured with the same load but without Quillar), for a
# test load pinned to the processor that takes 0 %, 50 % and 100 % of it; and counts the
# halt requests per second that reached the simulated driver.
# Usage: bench/idle_accuracy.sh [--busy]  (after scripts/build; prints a table)
#   --busy  keeps every host processor busy with other work as well, started in a session
#           of its own as a program from another terminal would be: the shown share must
#           then fall to 0 like the host's.
set -u
. "$(dirname "$0")/../tests/e2e/lib.sh"
echo "architecture: $QUILLAR_ARCH (programs and baseline from $BIN; QUILLAR_ARCH=i686 chooses the 32-bit build)"
SECONDS_PER_PHASE=${SECONDS_PER_PHASE:-10}
BUSY=
[ "${1:-}" = --busy ] && BUSY=1
LOAD=
OTHER=()
start_display
start_wine
trap 'kill_programs; stop_shell; stop_wine; kill $LOAD "${OTHER[@]}" 2>/dev/null' EXIT

cpu0() { awk '$1 == "cpu0" {print $2+$3+$4+$5+$6+$7+$8+$9, $5+$6}' /proc/stat; }
now() { date +%s.%N; }

# A load on processor 0 that is busy for `percent` of every 20 ms.
start_load() {
  local percent=$1
  LOAD=
  [ "$percent" -eq 0 ] && return
  taskset -c 0 python3 -c "
import time
busy = $percent / 100.0 * 0.02
while True:
    t = time.perf_counter()
    while time.perf_counter() - t < busy: pass
    rest = 0.02 - busy
    if rest > 0: time.sleep(rest)
" &
  LOAD=$!
}

# Other work: one endless loop per host processor, each in a session of its own.
if [ -n "$BUSY" ]; then
  for ((cpu = 0; cpu < $(nproc); cpu++)); do
    taskset -c "$cpu" python3 -c "
import os
os.setsid()
while True: pass
" &
    OTHER+=($!)
  done
fi

host_idle() {
  local a b
  a=($(cpu0)); sleep "$SECONDS_PER_PHASE"; b=($(cpu0))
  echo $(( 100 * (b[1] - a[1]) / (b[0] - a[0]) ))
}

state=$WORK/idle_accuracy_state.ini
profile=$(profile_with idle_accuracy "StateFile=$(winepath -w "$state")")

[ -n "$BUSY" ] && echo "every host processor busy with other work"
printf '%-6s %-26s %-22s %-12s %s\n' "load" "host idle % (no Quillar)" "shown idle % (CPU 1)" "difference" "halts/s"
for load in 0 50 100; do
  start_load "$load"
  sleep 1
  real=$(host_idle)
  quiet_start IdleDisplay=1 IdleInterval=10
  start_shell
  rm -f "$state"
  began=$(now)
  start_sim "$profile"
  sleep 2
  before=$(wc -l < "$SHELL_LOG")
  sleep "$SECONDS_PER_PHASE"
  shown=$(tail -n +"$((before + 1))" "$SHELL_LOG" | sed -n 's/.*CPU 1: \([0-9]*\)%.*/\1/p' |
          awk '{s += $1; n++} END {if (n) printf "%d", s / n; else print "?"}')
  stop_sim
  ended=$(now)
  stop_shell
  [ -n "$LOAD" ] && kill "$LOAD" 2>/dev/null
  wait "$LOAD" 2>/dev/null
  halts=$(sed -n 's/^70=//p' "$state" 2>/dev/null | tr -d '\r')
  rate=$(awk -v n="${halts:-0}" -v a="$began" -v b="$ended" 'BEGIN {printf "%d", n / (b - a)}')
  diff=$([ "$shown" = "?" ] && echo "?" || echo $((shown - real)))
  printf '%-6s %-26s %-22s %-12s %s\n' "$load%" "$real" "$shown" "$diff" "$rate"
done
