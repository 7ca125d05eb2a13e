# Start-up, single instance, driver checks and shutdown.

scenario_01_real_program_without_driver() {
  (cd "$BIN" && exec wine Quillar.exe) >/dev/null 2>&1 &
  local pid=$!
  local text
  text=$(probe dialog "Quillar driver" 15000)
  check "error box names the missing driver" grep -qF "Couldn't open Quillar driver, make sure to reboot after installation!" <<<"$text"
  check "no main window while the box is up" bash -c "! wine '$BIN/qprobe.exe' wait-window TQuillarForm 500"
  probe dialog "Quillar driver" 2000 press >/dev/null
  check "program ends once the box is confirmed" probe wait-exit Quillar.exe 10000
  check "still no main window" bash -c "! wine '$BIN/qprobe.exe' wait-window TQuillarForm 200"
  wait $pid 2>/dev/null
}

scenario_02_wrong_driver_version() {
  local profile
  profile=$(profile_with wrongversion DriverVersion=FF)
  export QUILLAR_MACHINE=$(winepath -w "$profile")
  (cd "$BIN" && exec wine QuillarSim.exe) >/dev/null 2>&1 &
  local text
  text=$(probe dialog "expected version" 15000)
  check "version error text" grep -qF "Quillar driver doesn't have expected version." <<<"$text"
  probe dialog "expected version" 2000 press >/dev/null
  check "program ends after the box" probe wait-exit QuillarSim.exe 10000
  unset QUILLAR_MACHINE
}

scenario_03_idle_threads_and_halts() {
  quiet_start
  local profile state
  state=$WORK/state03.ini
  rm -f "$state"
  profile=$(profile_with state03 "StateFile=$(winepath -w "$state")")
  start_sim "$profile" /DEBUG
  check "main window exists" probe wait-window TQuillarForm 1000
  check "main window stays hidden" bash -c "! wine '$BIN/qprobe.exe' visible TQuillarForm"
  sleep 3
  local threads cpus idle
  threads=$(probe threads QuillarSim.exe)
  cpus=$(nproc)
  idle=$(awk '$2 == -15' <<<"$threads" | wc -l)
  echo "     threads (id priority kernel-ms user-ms):"; sed 's/^/       /' <<<"$threads"
  check "one idle-priority thread per processor ($cpus)" test "$idle" -eq "$cpus"
  check "quit message ends the program" stop_sim
  check "state file written at the end" test -s "$state"
  local halts
  halts=$(sed -n 's/^70=//p' "$state" | tr -d '\r')
  echo "     halt requests: $halts"
  check "halt requests counted" test "${halts:-0}" -ge 100
  check "PCI ports granted at start" grep -q "0CF8-0CFF" "$state"
}

scenario_04_second_instance_forwards_switches() {
  quiet_start
  start_sim "" /DEBUG
  (cd "$BIN" && wine QuillarSim.exe /off) >/dev/null 2>&1
  check "second start with /off ends at once" test $? -eq 0
  sleep 1
  check "cooling switched off by /off" bash -c "tail -n 5 '$LOG' | grep -qF 'Cooling disable'"
  (cd "$BIN" && wine QuillarSim.exe -On -Off) >/dev/null 2>&1
  sleep 1
  check "-On -Off switches cooling on" bash -c "tail -n 5 '$LOG' | grep -qF 'Cooling enable'"
  check "no options window yet" bash -c "! wine '$BIN/qprobe.exe' visible TQuillarForm"
  (cd "$BIN" && wine QuillarSim.exe) >/dev/null 2>&1
  sleep 1
  check "no switch opens the options window" probe visible TQuillarForm
  qctl quit
  sleep 1
  check "quit is ignored while the options window is open" probe pid QuillarSim.exe
  probe post TQuillarForm 10 >/dev/null   # WM_CLOSE: the close box
  sleep 1
  check "one program only" test "$(probe pid QuillarSim.exe | wc -l)" -eq 1
  check "quit ends it once the window is closed" stop_sim
}

scenario_05_windows_9x_refused() {
  wine reg add 'HKCU\Software\Wine\AppDefaults\QuillarSim.exe' /v Version /d win98 /f >/dev/null 2>&1
  local state=$WORK/state05.ini
  rm -f "$state"
  local profile
  profile=$(profile_with state05 "StateFile=$(winepath -w "$state")")
  export QUILLAR_MACHINE=$(winepath -w "$profile")
  (cd "$BIN" && exec wine QuillarSim.exe /DEBUG) >/dev/null 2>&1 &
  local text
  text=$(probe dialog "Windows 9x" 15000)
  check "refusal text" grep -qF "Sorry- This version of Quillar does not run on Windows 9x/ME" <<<"$text"
  check "no main window" bash -c "! wine '$BIN/qprobe.exe' wait-window TQuillarForm 300"
  probe dialog "Windows 9x" 2000 press >/dev/null
  check "program ends" probe wait-exit QuillarSim.exe 10000
  check "no log written" test ! -e "$LOG"
  check "driver never opened" bash -c "grep -q '^1=0' '$state'"
  unset QUILLAR_MACHINE
  wine reg delete 'HKCU\Software\Wine\AppDefaults\QuillarSim.exe' /f >/dev/null 2>&1
}

scenario_06_shutdown_order() {
  quiet_start
  local state=$WORK/state06.ini profile
  rm -f "$state"
  profile=$(profile_with state06 "StateFile=$(winepath -w "$state")")
  start_sim "$profile" /DEBUG
  sleep 2
  check "quit ends the program" stop_sim
  local order
  order=$(sed -n '/Shutdown/,$p' "$LOG" | sed 's/^.*\t//' | tr -d '\r' | grep -v '^$' | paste -sd'|')
  echo "     shutdown: $order"
  check "shutdown in order" test "$order" = "Shutdown|Cooling disable|Suspending Threads|Destroying Threads|--> Stop"
  check "state written after the device closed" test -s "$state"
}
