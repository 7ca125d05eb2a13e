# The temperature sources and the watch: the stand-in publishers serve temperatures in their
# named shared memory, the program reads them into its tooltip and its "Temp &Monitor" page,
# and acts on a hot reading.

# Waits up to SECONDS for a command to succeed.
wait_until() {
  local deadline=$(( $(date +%s%N) / 1000000 + $1 * 1000 )); shift
  until "$@"; do
    [ $(( $(date +%s%N) / 1000000 )) -ge $deadline ] && return 1
    sleep 0.1
  done
}

# start_publisher NAME EXE ARGS...: a stand-in publisher from the build folder. The first line
# of $WORK/NAME.ctl replaces its schedule (set_temp NAME STEP), "exit" ends it.
start_publisher() {
  local name=$1 exe=$2; shift 2
  local ctl=$WORK/$name.ctl ready=$WORK/$name.ready
  : > "$ctl"
  rm -f "$ready"
  (cd "$BIN" && exec wine "$exe" --control "$(winepath -w "$ctl")" --ready "$(winepath -w "$ready")" "$@") \
    >/dev/null 2>&1 &
  wait_until 15 test -s "$ready"
}
set_temp() { echo "$2" > "$WORK/$1.ctl"; }
stop_publisher() {
  echo exit > "$WORK/$1.ctl"
  probe wait-exit "$2" 5000 >/dev/null || wine taskkill /f /im "$2" >/dev/null 2>&1 || true
}

last_tip_has() { shell_tips | tail -n 1 | grep -qF -- "$1"; }
# The tools print Windows line ends.
tabs() { probe tabs TQuillarForm | tr -d '\r'; }
running() { probe pid "$1" >/dev/null; }
# The options window's child windows: class, visible style, text (see qprobe children).
child_is() { probe children TQuillarForm | LC_ALL=C grep -qF -- "$1"; }
has_monitor_tab() { tabs | grep -qxF 'Temp &Monitor'; }

scenario_30_temp_speedfan_tooltip_and_stepwise_priority() {
  quiet_start IdleDisplay=2 IdleInterval=5 Temp=60 "Emergency Action=1"
  start_shell
  check "SpeedFan stand-in publishes" start_publisher sf sfpublish.exe 45
  start_sim ""
  check "the tooltip gets its temperature line" wait_until 5 last_tip_has 'Temp: 45\xB0'
  echo "     last tip: $(shell_tips | tail -n 1)"

  # With the options window open the sensor is read on every tick (0.5 s).
  show_options
  check "the page's tab is there" has_monitor_tab
  local trace=$WORK/priorities.txt
  probe priorities QuillarSim.exe 12000 > "$trace" &
  local watcher=$!
  sleep 0.5
  set_temp sf 65
  local cpus
  cpus=$(nproc)
  # All idle threads at THREAD_PRIORITY_HIGHEST (2).
  at_highest() { tr -d '\r' < "$trace" | tail -n 1 | grep -qE "^[0-9]+( 2){$cpus}\$"; }
  check "a hot reading at a time raises the threads to the highest level" wait_until 8 at_highest
  click_tab 4
  mkdir -p "$E2E_ROOT/build/e2e/shots"
  import -window root "$E2E_ROOT/build/e2e/shots/temp-monitor-speedfan.png"
  check "the label follows the reading" child_is $'(Sensor 1), current temperature: 65\xB0.'
  set_temp sf 59
  at_idle() { tr -d '\r' < "$trace" | tail -n 1 | grep -qE "^[0-9]+( -15){$cpus}\$"; }
  check "a cool reading drops them to idle" wait_until 5 at_idle
  kill "$watcher" 2>/dev/null
  wait "$watcher" 2>/dev/null
  # The levels every thread shared, in order, each once.
  local levels
  levels=$(tr -d '\r' < "$trace" | awk '{ same = 1; for (i = 3; i <= NF; i++) if ($i != $2) same = 0; if (same) print $2 }' | uniq | tr '\n' ' ')
  echo "     levels seen: $levels"
  check "one level per reading, then straight back to idle" test "$levels" = "-15 -2 -1 0 1 2 -15 "
  xdotool key Escape
  stop_sim
  stop_publisher sf sfpublish.exe
  stop_shell
}

scenario_31_temp_both_sources_speedfan_wins() {
  quiet_start IdleInterval=5
  start_shell
  start_publisher sf sfpublish.exe 45
  start_publisher mbm mbmpublish.exe --names CPU 55
  start_sim ""
  check "SpeedFan's reading reaches the tooltip" wait_until 5 last_tip_has 'Temp: 45\xB0'
  show_options
  check "SpeedFan's sensor on the page" child_is $'(Sensor 1), current temperature: 45\xB0.'
  check "the Monitor button is hidden" child_is $'Button\t0\tMo&nitor'
  close_options
  stop_sim
  stop_publisher mbm mbmpublish.exe
  stop_publisher sf sfpublish.exe
  stop_shell
}

scenario_32_temp_motherboard_monitor_button() {
  quiet_start IdleInterval=5
  local record=$WORK/tmbm.txt
  rm -f "$record"
  start_shell
  start_publisher mbm mbmpublish.exe --names "CPU Diode" --record "$(winepath -w "$record")" 55.5
  start_sim ""
  check "its reading reaches the tooltip (55.5 to the even 56)" wait_until 5 last_tip_has 'Temp: 56\xB0'
  show_options
  check "its sensor's name on the page" child_is $'(CPU Diode), current temperature: 56\xB0.'
  check "the Monitor button is shown" child_is $'Button\t1\tMo&nitor'
  click_tab 4
  mkdir -p "$E2E_ROOT/build/e2e/shots"
  import -window root "$E2E_ROOT/build/e2e/shots/temp-monitor-mbm.png"
  probe click TQuillarForm "Mo&nitor"
  check "the button's message reaches the monitor's window" wait_until 5 grep -q '^1432 0 0' "$record"
  xdotool key Escape
  stop_sim
  stop_publisher mbm mbmpublish.exe
  stop_shell
}

scenario_33_temp_source_started_later() {
  quiet_start IdleInterval=5 WaitForMBM=1
  start_shell
  start_sim ""
  sleep 1
  no_monitor_tab() { local t; t=$(tabs); [ -n "$t" ] && ! grep -qxF 'Temp &Monitor' <<<"$t"; }
  show_options
  check "no source: the page's tab is hidden" no_monitor_tab
  close_options
  check "no source: no temperature line" bash -c "! grep -qF 'Temp:' '$SHELL_LOG'"
  start_publisher sf sfpublish.exe 52
  local ready
  ready=$(( $(date +%s%N) / 1000000 ))
  check "the next tick finds it: the tooltip's line" wait_until 5 last_tip_has 'Temp: 52\xB0'
  echo "     temperature line $(( $(date +%s%N) / 1000000 - ready )) ms after the publisher was ready (ticks of 500 ms)"
  show_options
  check "and the page's tab" has_monitor_tab
  close_options
  stop_sim
  stop_publisher sf sfpublish.exe
  stop_shell
}

scenario_34_temp_short_block_survives() {
  quiet_start IdleInterval=5
  start_shell
  # 16 bytes: the count fits, every sensor entry lies beyond the block.
  start_publisher mbm mbmpublish.exe --size 16 55
  start_sim ""
  qctl show  # a reading on every tick
  check "the short block is read as a source" wait_until 5 last_tip_has 'Temp:'
  echo "     last tip: $(shell_tips | tail -n 1)"
  sleep 2
  check "the program survives repeated readings" running QuillarSim.exe
  xdotool key Escape
  stop_sim
  stop_publisher mbm mbmpublish.exe
  stop_shell
}

scenario_35_temp_shutdown_reaches_the_stand_in() {
  quiet_start IdleInterval=5 Temp=70 "Emergency Action=3"
  local state=$WORK/state35.ini profile
  rm -f "$state"
  profile=$(profile_with state35 "StateFile=$(winepath -w "$state")")
  start_shell
  start_publisher sf sfpublish.exe 80
  start_sim "$profile"
  check "the shutdown is recorded by the simulated machine" wait_until 5 grep -q '^\[Shutdown\]' "$state"
  check "with the flags 13" grep -q '^Flags=13' "$state"
  check "the program goes on running" running QuillarSim.exe
  check "and so does the session (the stand-in shell)" running fakeshell.exe
  stop_sim
  echo "     $(grep -A1 '^\[Shutdown\]' "$state" | tail -n 1 | tr -d '\r') request(s) in the run"
  stop_publisher sf sfpublish.exe
  stop_shell
}
