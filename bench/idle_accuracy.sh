#!/usr/bin/env bash
# Compares the idle share Quillar shows for processor 1 with the host's real idle share of
# that processor (from /proc/stat, measured with the same load but without Quillar), for a
# test load pinned to the processor that takes 0 %, 50 % and 100 % of it.
# Usage: bench/idle_accuracy.sh  (after scripts/build; prints a table)
set -u
. "$(dirname "$0")/../tests/e2e/lib.sh"
SECONDS_PER_PHASE=${SECONDS_PER_PHASE:-6}
start_display
start_wine
trap 'kill_programs; stop_shell; stop_wine; kill $LOAD 2>/dev/null' EXIT

cpu0() { awk '$1 == "cpu0" {print $2+$3+$4+$5+$6+$7+$8+$9, $5+$6}' /proc/stat; }

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

host_idle() {
  local a b
  a=($(cpu0)); sleep "$SECONDS_PER_PHASE"; b=($(cpu0))
  echo $(( 100 * (b[1] - a[1]) / (b[0] - a[0]) ))
}

printf '%-6s %-22s %-22s %s\n' "load" "host idle % (no Quillar)" "shown idle % (CPU 1)" "difference"
for load in 0 50 100; do
  start_load "$load"
  sleep 1
  real=$(host_idle)
  quiet_start IdleDisplay=1 IdleInterval=10
  start_shell
  start_sim ""
  sleep 2
  : > "$WORK/mark"
  before=$(wc -l < "$SHELL_LOG")
  sleep "$SECONDS_PER_PHASE"
  shown=$(tail -n +"$((before + 1))" "$SHELL_LOG" | sed -n 's/.*CPU 1: \([0-9]*\)%.*/\1/p' |
          awk '{s += $1; n++} END {if (n) printf "%d", s / n; else print "?"}')
  stop_sim
  stop_shell
  [ -n "$LOAD" ] && kill "$LOAD" 2>/dev/null
  wait "$LOAD" 2>/dev/null
  diff=$([ "$shown" = "?" ] && echo "?" || echo $((shown - real)))
  printf '%-6s %-22s %-22s %s\n' "$load%" "$real" "$shown" "$diff"
done
