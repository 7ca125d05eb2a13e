# The tray icon, the main timer's display, the tray menu and the options window.

scenario_07_tooltip_and_double_click() {
  quiet_start IdleDisplay=1 IdleInterval=5
  start_shell
  start_sim "" /DEBUG
  sleep 3
  local tips cpus
  cpus=$(nproc)
  tips=$(shell_tips)
  echo "     last tip: $(tail -n 1 <<<"$tips")"
  check "icon added as the window is created" grep -q ' add ' "$SHELL_LOG"
  check "the title reaches the tip" grep -q 'tip="Quillar Vantor"' "$SHELL_LOG"
  check "one CPU line per processor" grep -qE "^Quillar Vantor( \| CPU [0-9]+: [0-9]+%){$cpus}\$" <<<"$(tail -n 1 <<<"$tips")"
  local n
  n=$(grep -c "CPU 1:" <<<"$tips")
  check "tooltip refreshed every 0.5 s ($n in about 3 s)" test "$n" -ge 4
  local before
  before=$(wc -l < "$SHELL_LOG")
  shell --click double
  check "double click switches cooling off" eventually 10 bash -c "grep -E 'Cooling (enable|disable)' '$LOG' | tail -n 1 | grep -qF 'Cooling disable'"
  check "tip falls back to the bare title" eventually 10 bash -c "tail -n +$((before + 1)) '$SHELL_LOG' | grep -q 'tip=\"Quillar Vantor\"'"
  sleep 1  # two ticks at 0.5 s: none of them may bring the CPU lines back
  check "no CPU lines while cooling is off" bash -c "! tail -n 2 '$SHELL_LOG' | grep -q 'CPU 1'"
  shell --click double
  check "second double click switches it on again" eventually 10 bash -c "grep -E 'Cooling (enable|disable)' '$LOG' | tail -n 1 | grep -qF 'Cooling enable'"
  check "CPU lines come back" eventually 10 bash -c "tail -n 1 '$SHELL_LOG' | grep -q 'CPU 1'"
  mkdir -p "$E2E_ROOT/build/e2e/shots"
  cp "$(ls "$WORK"/icons/*.bmp | tail -n 1)" "$E2E_ROOT/build/e2e/shots/tray-numeric.bmp"
  stop_sim
  stop_shell
}

scenario_08_graphical_icon_and_menu_exit() {
  quiet_start IdleDisplay=2 IdleInterval=5
  start_shell
  start_sim ""
  sleep 2
  mkdir -p "$E2E_ROOT/build/e2e/shots"
  cp "$(ls "$WORK"/icons/*.bmp | tail -n 1)" "$E2E_ROOT/build/e2e/shots/tray-graphical.bmp"
  shell --click right
  sleep 0.8
  import -window root "$E2E_ROOT/build/e2e/shots/tray-menu.png"
  xdotool key x
  check "the menu's Exit ends the program" probe wait-exit QuillarSim.exe 10000
  check "the icon is removed" bash -c "tail -n 1 '$SHELL_LOG' | grep -q ' delete '"
  stop_shell
}

scenario_09_options_window_saves_on_ok() {
  quiet_start IdleDisplay=2 IdleInterval=10
  start_shell
  start_sim ""
  qctl hide >/dev/null 2>&1
  qctl show
  sleep 1
  check "the show message opens the options window" probe visible TQuillarForm
  local shots=$E2E_ROOT/build/e2e/shots i
  mkdir -p "$shots"
  for i in 0 1 2 3 4 5; do click_tab $i; import -window root "$shots/page-$i.png"; done
  click_tab 3
  probe click TQuillarForm "N&umeric display"
  local icons
  icons=$(icon_count)
  check "the registry is untouched before OK" bash -c "wine reg query 'HKCU\\SOFTWARE\\Quillar' /v IdleDisplay | grep -q 0x2"
  xdotool key Escape
  sleep 1
  check "Esc acts as OK and closes the window" bash -c "! wine '$BIN/qprobe.exe' visible TQuillarForm"
  check "OK wrote the new display to the registry" bash -c "wine reg query 'HKCU\\SOFTWARE\\Quillar' /v IdleDisplay | grep -q 0x1"
  check "numeric icons follow (black digits, no picture)" eventually 5 numeric_icon_after "$icons"
  stop_sim
  stop_shell
}

scenario_10_hide_then_second_start_shows_icon() {
  quiet_start
  start_shell
  start_sim ""
  sleep 1
  shell --click right
  sleep 0.6
  xdotool key h
  sleep 0.8
  check "Hide removes the icon" bash -c "tail -n 1 '$SHELL_LOG' | grep -q ' delete '"
  (cd "$BIN" && wine QuillarSim.exe) >/dev/null 2>&1
  sleep 1
  check "a second start adds the icon again" bash -c "tail -n 3 '$SHELL_LOG' | grep -q ' add '"
  check "and opens the options window" probe visible TQuillarForm
  probe post TQuillarForm 10 >/dev/null
  stop_sim
  stop_shell
}

scenario_14_hidden_icon_setting() {
  quiet_start HideTaskBar=1
  start_shell
  start_sim ""
  sleep 1
  check "with the hide setting the icon is removed at start" bash -c "tail -n 1 '$SHELL_LOG' | grep -q ' delete '"
  qctl show
  sleep 1
  check "the show message brings it back" bash -c "tail -n 3 '$SHELL_LOG' | grep -q ' add '"
  probe post TQuillarForm 10 >/dev/null
  stop_sim
  stop_shell
}
