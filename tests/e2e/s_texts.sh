# The diagnostic log, the don't-show-again dialogs and the language file.

scenario_11_log_file_rules() {
  quiet_start
  rm -rf "$LOG"
  start_sim ""
  stop_sim
  check "no log without the DEBUG switch" test ! -e "$LOG"

  start_sim "" /DEBUG
  stop_sim
  check "DEBUG creates the log" test -s "$LOG"
  local first
  first=$(grep -m1 -- '--> Start' "$LOG" | tr -d '\r')
  echo "     first line: $first"
  check "a run begins with an empty line" bash -c "head -n 1 '$LOG' | tr -d '\r' | grep -q '^\$'"
  check "the first stamped line shows no elapsed time" bash -c "grep -m1 -- '--> Start' '$LOG' | grep -qE ' (12:00:00 AM|0?0:00:00)\]	--> Start'"
  local size
  size=$(stat -c %s "$LOG")
  start_sim "" -debug
  stop_sim
  check "a second run appends" test "$(stat -c %s "$LOG")" -gt "$size"
  check "the first run's lines are kept" test "$(grep -c -- '--> Start' "$LOG")" -eq 2

  # A log path that cannot be written: the program runs on.
  rm -f "$LOG"; mkdir -p "$LOG"
  start_sim "" /DEBUG
  check "an unwritable log leaves the program running" probe wait-threads QuillarSim.exe 2000
  check "and it ends normally" stop_sim
  rmdir "$LOG"
}

scenario_12_dont_show_again_dialog() {
  # Settings complete but the welcome not suppressed.
  quiet_start
  wine reg delete 'HKCU\Software\Quillar\Dialogs' /f >/dev/null 2>&1
  (cd "$BIN" && exec wine QuillarSim.exe) >/dev/null 2>&1 &
  local text
  text=$(probe dialog "Welcome!" 20000)
  check "the welcome message is shown at start" grep -qF "You are running Quillar Vantor for the first time." <<<"$text"
  check "with its check box" grep -qF "&Don't show this message again" <<<"$text"
  mkdir -p "$E2E_ROOT/build/e2e/shots"
  import -window root "$E2E_ROOT/build/e2e/shots/welcome-en.png"
  check "the box can be ticked" bash -c "wine '$BIN/qprobe.exe' check TQuillarMessageDialog \"&Don't show this message again\" 1 | grep -q 1"
  probe click TQuillarMessageDialog "OK"
  check "start-up goes on after OK" probe wait-threads QuillarSim.exe 10000
  stop_sim
  local key
  key=$(dsa_key "$WELCOME_TEXT")
  check "the ticked state is stored" bash -c "wine reg query 'HKCU\\$key' /v DontShow | grep -q 0x1"
  (cd "$BIN" && exec wine QuillarSim.exe) >/dev/null 2>&1 &
  check "the next start shows no welcome" bash -c "! wine '$BIN/qprobe.exe' dialog 'Welcome!' 4000"
  check "and starts fully" probe wait-threads QuillarSim.exe 10000
  stop_sim
}

scenario_13_german_language_file() {
  local locdir=$WORK/locale
  if [ ! -d "$locdir/de_DE.UTF-8" ]; then
    mkdir -p "$locdir"
    localedef -i de_DE -f UTF-8 "$locdir/de_DE.UTF-8" >/dev/null 2>&1 || true
  fi
  quiet_start
  wine reg delete 'HKCU\Software\Quillar\Dialogs' /f >/dev/null 2>&1
  (cd "$BIN" && LOCPATH=$locdir LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8 exec wine QuillarSim.exe) >/dev/null 2>&1 &
  local text
  text=$(probe dialog "Quillar Vantor" 20000)
  echo "     dialog: $(head -n 2 <<<"$text" | tr '\n' ' ')"
  check "the welcome message is German" grep -q "Willkommen" <<<"$text"
  check "the check box keeps its own English caption" grep -qF "&Don't show this message again" <<<"$text"
  mkdir -p "$E2E_ROOT/build/e2e/shots"
  import -window root "$E2E_ROOT/build/e2e/shots/welcome-de.png"
  probe click TQuillarMessageDialog "OK"
  probe wait-threads QuillarSim.exe 10000 >/dev/null
  sleep 0.5
  qctl show
  sleep 1
  import -window root "$E2E_ROOT/build/e2e/shots/options-de.png"
  check "the options window is translated" probe check TQuillarForm "&Hilfe"
  probe post TQuillarForm 10 >/dev/null
  stop_sim
}
