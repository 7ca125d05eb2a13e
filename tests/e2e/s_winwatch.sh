# The auto-off window watch, the tray icon's repair after a shell restart, the suspend
# broadcast, and autostart through the privileged object.

scenario_45_window_watch_switches_cooling() {
  quiet_start WindowListInterval=10
  start_sim "" /DEBUG
  # The list gets its name through the page: "&Add" takes the entry field's "Media Player".
  qctl show
  probe wait-window TQuillarForm 5000 >/dev/null
  sleep 0.5
  click_tab 5
  probe click TQuillarForm "&Add"
  sleep 0.3
  mkdir -p "$E2E_ROOT/build/e2e/shots"
  import -window root "$E2E_ROOT/build/e2e/shots/auto-off-windows.png"
  xdotool key Escape
  sleep 1
  check "OK stores the added name" bash -c "wine reg query 'HKCU\\SOFTWARE\\Quillar' /v WindowList | grep -qF '\"Media Player\"'"

  local off on ms
  off=$(log_count "Cooling disable")
  open_test_windows "song.mp3 - media player - playing"
  sleep 2.5
  check "a name in the wrong letter case does nothing" test "$(log_count "Cooling disable")" -eq "$off"
  close_test_windows

  open_test_windows "song.mp3 - Media Player - playing"
  ms=$(wait_log_count "Cooling disable" "$off" 5000)
  echo "     cooling off ${ms} ms after the window appeared (interval 1000 ms)"
  check "a listed window switches cooling off within one interval" test "$ms" -le 1500
  on=$(log_count "Cooling enable")
  close_test_windows
  ms=$(wait_log_count "Cooling enable" "$on" 5000)
  echo "     cooling on ${ms} ms after the window closed"
  check "closing it switches cooling back on within one interval" test "$ms" -le 1500

  qctl off
  sleep 0.5
  off=$(log_count "Cooling disable"); on=$(log_count "Cooling enable")
  open_test_windows "song.mp3 - Media Player - playing"
  sleep 2.5
  close_test_windows
  sleep 2.5
  check "cooling switched off by hand stays off" \
    test "$(log_count "Cooling disable")" -eq "$off" -a "$(log_count "Cooling enable")" -eq "$on"
  stop_sim
}

# Under Wine the shell never announces a restart, so the icon comes back only through the
# watch's repair, which runs while the list is not empty.
scenario_46_shell_restart_gets_the_icon_back() {
  quiet_start WindowListInterval=5
  set_setting -s WindowList '"Media Player"'
  start_shell
  start_sim ""
  sleep 1
  local first before added
  first=$(grep -m1 ' add ' "$SHELL_LOG" | sed -n 's/.* window=\([0-9A-F]*\).*/\1/p')
  before=$(wc -l < "$SHELL_LOG")
  shell --restart quiet
  for _ in $(seq 60); do tail -n +$((before + 1)) "$SHELL_LOG" | grep -q ' add ' && break; sleep 0.05; done
  added=$(tail -n +$((before + 1)) "$SHELL_LOG" | grep ' add ' | tail -n 1)
  echo "     after the restart: $added"
  check "the icon is added to the new taskbar" test -n "$added"
  check "with its tooltip and picture" bash -c "grep -q 'flags=7 .*tip=\"Quillar Vantor.* icon=16x16' <<<'$added'"
  check "by a new tray component" bash -c "! grep -q 'window=$first' <<<'$added'"
  before=$(wc -l < "$SHELL_LOG")
  shell --restart
  sleep 1.5
  check "an announced restart leaves the icon there as well" \
    bash -c "tail -n +$((before + 1)) '$SHELL_LOG' | grep -E ' (add|delete) ' | tail -n 1 | grep -q ' add '"
  stop_sim

  # Without a list the watch does not run, and nothing repairs a quiet restart.
  set_setting -s WindowList ""
  start_sim ""
  sleep 1
  before=$(wc -l < "$SHELL_LOG")
  shell --restart quiet
  sleep 1.5
  check "with an empty list the icon stays away" bash -c "! tail -n +$((before + 1)) '$SHELL_LOG' | grep -q ' add '"
  stop_sim
  stop_shell
}

# The program started from a command prompt out of a folder with a blank in its name.
SUSPEND_DIR="Program Files/Quillar Suspend"
start_from_prompt() {
  local dir=$DRIVE_C/$SUSPEND_DIR
  printf '"C:\\%s\\QuillarSim.exe" /DEBUG\r\n' "${SUSPEND_DIR//\//\\}" > "$dir/quillar-debug.bat"
  (cd "$dir" && exec wine cmd /c quillar-debug.bat) >/dev/null 2>&1 &
  SIM_PID=$!
  probe wait-window TQuillarForm 20000 && probe wait-threads QuillarSim.exe 20000 >/dev/null
}

scenario_52_suspend_hands_over_to_the_companion() {
  quiet_start
  local dir=$DRIVE_C/$SUSPEND_DIR
  rm -rf "$dir"; mkdir -p "$dir"
  cp "$BIN/QuillarSim.exe" "$BIN/Hibernate.dll" "$dir/"
  start_from_prompt
  sleep 0.5
  local code
  for code in 5 8013 1A A; do probe post TQuillarForm 218 "$code"; done
  sleep 0.5
  check "other broadcasts are logged by name or code" \
    bash -c "grep -qF 'Power PBT_UNKNOWN (5)' '$LOG' && grep -qF 'Power PBT_UNKNOWN (8013)' '$LOG' && grep -qF 'Power PBT_UNKNOWN (1A)' '$LOG' && grep -qF 'Power PBT_APMPOWERSTATUSCHANGE' '$LOG'"
  check "and the program goes on" bash -c "wine '$BIN/qprobe.exe' pid QuillarSim.exe >/dev/null"
  probe post TQuillarForm 218 4
  check "a suspend ends the program" probe wait-exit QuillarSim.exe 15000
  wait "$SIM_PID" 2>/dev/null
  check "its lines are logged" bash -c "grep -A1 -F 'Power PBT_APMSUSPEND' '$LOG' | grep -qF 'Loading HIBERNATE.DLL'"
  check "cooling is switched off at the shutdown" bash -c "grep -A1 -F 'Shutdown' '$LOG' | grep -qF 'Cooling disable' && grep -qF -- '--> Stop' '$LOG'"
  local record=$dir/Hibernate.txt expected
  for _ in $(seq 100); do [ -s "$record" ] && break; sleep 0.05; done
  expected=$(printf 'Hibernate.dll "C:\\%s\\QuillarSim.exe" /DEBUG' "${SUSPEND_DIR//\//\\}")
  echo "     companion got: $(tr -d '\r' < "$record" 2>/dev/null)"
  check "the companion gets its name and the command line as typed" \
    test "$(tr -d '\r' < "$record" 2>/dev/null)" = "$expected"

  # Without the companion in the program's folder nothing is started, and the program ends all the same.
  rm -f "$dir/Hibernate.dll" "$record"
  start_from_prompt
  probe post TQuillarForm 218 4
  check "a suspend without the companion still ends the program" probe wait-exit QuillarSim.exe 15000
  wait "$SIM_PID" 2>/dev/null
  check "the missing companion is logged" log_has "HIBERNATE.DLL not found in the program folder"
  rm -rf "$dir"
}

# Whether the options window has a button with this caption.
has_button() { probe check TQuillarForm "$1" >/dev/null; }
run_value() { wine reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' /v Quillar 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p'; }

scenario_53_autostart_through_the_privileged_object() {
  quiet_start
  wine reg delete 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' /v Quillar /f >/dev/null 2>&1
  register_privileged_object
  start_sim ""
  qctl show
  probe wait-window TQuillarForm 5000 >/dev/null
  sleep 0.5
  click_tab 2
  mkdir -p "$E2E_ROOT/build/e2e/shots"
  import -window root "$E2E_ROOT/build/e2e/shots/startup-shield.png"
  probe click TQuillarForm "Enable &Autostart"
  echo "     Run value: $(run_value)"
  check "enabling writes the Run value with the program's path" test "$(run_value)" = "$(winepath -w "$BIN/QuillarSim.exe")"
  check "the button now offers to disable" has_button "Disable &Autostart"
  probe click TQuillarForm "Disable &Autostart"
  check "disabling deletes it" test -z "$(run_value)"
  check "the button offers to enable again" has_button "Enable &Autostart"

  unregister_privileged_object
  # The click waits for the box, so it is made in the background.
  (probe click TQuillarForm "Enable &Autostart" >/dev/null 2>&1 &)
  local box
  # A fresh machine's first look-up of an unregistered class can take several seconds.
  box=$(probe dialog "" 30000 2>/dev/null | tr -d '\r')
  echo "     box: $(tr "\n" "/" <<<"$box")"
  [ -n "$box" ] || { echo "     dialogs now: $(probe dialogs 2>/dev/null | tr -d '\r' | tr "\n" "/")"; tail -n 5 "$LOG" 2>/dev/null | sed 's/^/     log: /'; }
  import -window root "$E2E_ROOT/build/e2e/shots/autostart-not-registered.png"
  check "without the object the instantiation box appears" \
    test "$(head -n 1 <<<"$box")" = "COM object instantiation failed: EComError"
  probe dialog "" 2000 press >/dev/null
  sleep 0.5
  check "and nothing changes" test -z "$(run_value)"
  check "the caption stays" has_button "Enable &Autostart"
  register_privileged_object
  xdotool key Escape
  sleep 1
  stop_sim
}
