# The program against what other programs do to it: closed from outside.

# closing_run -> the built-in machine with the chipset optimized, a stand-in shell, /DEBUG
closing_run() {
  STATE=$WORK/state-closing.ini
  rm -f "$STATE" "$LOG"
  local run=$WORK/closing.ini
  { cat "$E2E_ROOT/tests/fixtures/machines/athlon-xp-kt400.ini"; echo; echo "[Machine]"
    echo "StateFile=$(winepath -w "$STATE")"; } > "$run"
  quiet_start Optimization=1
  start_shell
  start_sim "$run" /DEBUG
}
closed_the_ordinary_way() {
  probe wait-exit QuillarSim.exe 10000 &&
    log_has "--> Stop" &&
    tail -n 1 "$SHELL_LOG" | grep -q ' delete ' &&
    [ "$(sed -n '/^\[PCI\]/,/^\[/s/^00:00.0@D0=//p' "$STATE" | tr -d '\r')" = EA69A317 ]
}

# A program a close request did not end must not stay for the next run.
end_closing_run() { kill_programs; stop_shell; }

scenario_50_closed_from_outside() {
  closing_run
  probe post TQuillarForm 10 >/dev/null   # hidden: no close box, so this one is from outside
  check "a close request ends the program through its shutdown (cooling off, bits restored, icon deleted)" closed_the_ordinary_way
  end_closing_run

  closing_run
  probe post TQuillarApplication 10 >/dev/null
  check "so does one to the hidden application window" closed_the_ordinary_way
  end_closing_run

  closing_run
  probe post TTrayIcon2Window 10 >/dev/null
  check "and one to the tray icon's window alone" closed_the_ordinary_way
  end_closing_run

  closing_run
  wine taskkill /im QuillarSim.exe >/dev/null 2>&1
  check "and the task manager's close without force" closed_the_ordinary_way
  end_closing_run
}

scenario_51_dialog_pressed_from_outside() {
  quiet_start
  wine reg delete "HKCU\\$(dsa_key "$WELCOME_TEXT")" /f >/dev/null 2>&1
  (cd "$BIN" && exec wine QuillarSim.exe) >/dev/null 2>&1 &
  SIM_PID=$!
  probe dialog "Welcome" 20000 >/dev/null
  sleep 0.5
  probe dialog "Welcome" 2000 send >/dev/null
  check "a button pressed through a sent message ends the dialog at once" \
    bash -c "for i in \$(seq 10); do wine '$BIN/qprobe.exe' dialogs | grep -q Welcome || exit 0; sleep 0.1; done; exit 1"
  check "and start-up goes on" probe wait-threads QuillarSim.exe 10000
  stop_sim
}

# Libraries the program loads only when it needs them.
has_module() { probe modules QuillarSim.exe | tr -d '\r' | grep -qx "$1"; }
lacks_modules() { local m; for m in "$@"; do ! has_module "$m" || return 1; done; }
has_tabs() { probe tabs TQuillarForm | grep -q .; }

scenario_79_libraries_loaded_when_needed() {
  quiet_start
  start_sim "" /DEBUG
  check "at rest neither the common controls nor the COM libraries are loaded" \
    lacks_modules comctl32.dll ole32.dll oleaut32.dll
  show_options
  check "the options window brings the common controls, and its tabs" eval "has_module comctl32.dll && has_tabs"
  close_options
  stop_sim
}
