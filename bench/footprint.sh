#!/usr/bin/env bash
# The program's footprint under Wine, set against the smallest tray program we can write
# (tools/win32/mintray.cpp), both started the same way in the same run:
#   size    Quillar.exe and QuillarSim.exe as built (static, stripped)
#   start   from the moment the program is started to the first icon record the stand-in
#           shell receives; the two programs take turns, median of STARTS starts each
#           (QuillarSim.exe on the built-in machine, a quiet start: no splash, the
#           don't-show-again boxes ticked)
#   memory  resident private memory of the running process (Private_Clean + Private_Dirty
#           of its /proc/PID/smaps_rollup, 2 s after start-up), median over the same starts,
#           and the private bytes Wine reports to GetProcessMemoryInfo from outside
# Usage: bench/footprint.sh [STARTS]   (after scripts/build; default 10 starts each)
set -u
. "$(dirname "$0")/../tests/e2e/lib.sh"
echo "architecture: $QUILLAR_ARCH (programs and baseline from $BIN; QUILLAR_ARCH=i686 chooses the 32-bit build)"
STARTS=${1:-10}
start_display
start_wine
trap 'kill_programs; probe post MinTrayWindow 10 >/dev/null 2>&1; stop_shell; stop_wine' EXIT

now_ms() { local t=${EPOCHREALTIME/./}; echo $((t / 1000)); }

# Resident private kilobytes of a Linux process.
private_kb() { awk '/^Private_(Clean|Dirty):/ {s += $2} END {print s + 0}' "/proc/$1/smaps_rollup" 2>/dev/null; }

median() { sort -n | awk '{v[NR] = $1} END {if (NR % 2) print v[(NR + 1) / 2]; else print int((v[NR / 2] + v[NR / 2 + 1]) / 2)}'; }

# start_one EXE -> "ms private-kB wine-private-bytes": starts EXE, waits for its first icon
# record, lets it come to rest, measures, ends it.
start_one() {
  local exe=$1 before t0 t1 pid line
  before=$(wc -l < "$SHELL_LOG")
  t0=$(now_ms)
  (cd "$BIN" && exec wine "$exe") >/dev/null 2>&1 &
  pid=$!
  line=
  for _ in $(seq 400); do
    line=$(tail -n +"$((before + 1))" "$SHELL_LOG" | grep -m1 ' add ') && break
    sleep 0.05
  done
  t1=${line%% *}
  # Start-up runs on after the icon is added: wait until the program is up before measuring.
  if [ "$exe" = QuillarSim.exe ]; then probe wait-threads QuillarSim.exe 20000 >/dev/null; fi
  sleep 2
  local kb wine
  kb=$(private_kb "$pid")
  wine=$(probe memory "$exe" | awk '{print $1}')
  if [ "$exe" = QuillarSim.exe ]; then
    qctl quit >/dev/null 2>&1
  else
    probe post MinTrayWindow 10 >/dev/null 2>&1
  fi
  probe wait-exit "$exe" 15000 || kill_programs
  wait "$pid" 2>/dev/null
  echo "$((${t1:-0} - t0)) ${kb:-0} ${wine:-0}"
}

size() { stat -c %s "$BIN/$1" 2>/dev/null || echo 0; }
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
printf 'size: Quillar.exe %d bytes, QuillarSim.exe %d bytes, mintray.exe %d bytes\n' \
  "$(size Quillar.exe)" "$(size QuillarSim.exe)" "$(size mintray.exe)"

reset_settings
quiet_start
rm -f "$WORK/footprint.txt"
start_shell --epoch
# One start of each first, not counted: the first start of a program in a prefix pays
# for loading its libraries from disk.
start_one mintray.exe >/dev/null
start_one QuillarSim.exe >/dev/null
for i in $(seq "$STARTS"); do
  echo "mintray $(start_one mintray.exe)" >> "$WORK/footprint.txt"
  echo "quillar $(start_one QuillarSim.exe)" >> "$WORK/footprint.txt"
done
stop_shell

field() { awk -v p="$1" -v f="$2" '$1 == p {print $f}' "$WORK/footprint.txt"; }
min_start=$(field mintray 2 | median); q_start=$(field quillar 2 | median)
min_kb=$(field mintray 3 | median); q_kb=$(field quillar 3 | median)
min_wine=$(field mintray 4 | median); q_wine=$(field quillar 4 | median)
echo "start to first icon record, median of $STARTS (ms):"
echo "  mintray.exe    $(field mintray 2 | tr '\n' ' ')-> $min_start"
echo "  QuillarSim.exe $(field quillar 2 | tr '\n' ' ')-> $q_start"
awk -v a="$q_start" -v b="$min_start" 'BEGIN {printf "  ratio %.2f\n", b ? a / b : 0}'
echo "resident private memory, median (kB): mintray.exe $min_kb, QuillarSim.exe $q_kb, extra $((q_kb - min_kb))"
echo "private bytes reported to GetProcessMemoryInfo, median: mintray.exe $min_wine, QuillarSim.exe $q_wine, extra $((q_wine - min_wine))"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
