# Processor identification, clock, register settings and the CPU page on three machines.

# run_machine PROFILE OPTIMIZE -> runs the program once with /DEBUG; the state lands in $STATE
run_machine() {
  local profile=$1 optimize=$2 name
  name=$(basename "$profile" .ini)-$optimize
  STATE=$WORK/state-$name.ini
  rm -f "$STATE" "$LOG"
  local run=$WORK/cpu-$name.ini
  { cat "$profile"; echo; echo "[Machine]"; echo "StateFile=$(winepath -w "$STATE")"; } > "$run"
  quiet_start Optimization="$optimize"
  start_sim "$run" /DEBUG
}

msr() { sed -n "/^\[MSR\]/,/^\[/s/^$1=//p" "$STATE" | tr -d '\r'; }

cpu_page_shot() {
  qctl show
  sleep 1
  click_tab 1
  mkdir -p "$E2E_ROOT/build/e2e/shots"
  import -window root "$E2E_ROOT/build/e2e/shots/cpu-$1.png"
  probe post TQuillarForm 10 >/dev/null
  sleep 0.3
}

scenario_15_cpu_athlon_xp() {
  run_machine "$E2E_ROOT/tests/fixtures/machines/athlon-xp-kt400.ini" 1
  cpu_page_shot athlon-xp
  stop_sim
  check "log names the processor" log_has "CPU AMD 6 8 1 Athlon XP"
  check "clock label in the log: 2000 MHz" log_has "	2000 MHz"
  check "no processor register changed on an Athlon" test "$(msr C0010015)" = "00000000 01000010"
}

scenario_16_cpu_pentium3() {
  local p=$E2E_ROOT/tests/fixtures/machines/pentium3-440bx.ini
  run_machine "$p" 1
  cpu_page_shot pentium3
  stop_sim
  check "log names the processor" log_has "CPU Intel 6 8 3 Pentium III"
  check "clock label in the log: 866 MHz" log_has "	866 MHz"
  check "optimized: auto halt bit 26 of MSR 2A set" test "$(msr 2A)" = "00000000 C5000000"
  check "optimized, one processor: no-lock bit 31 of MSR 33 set" test "$(msr 33)" = "00000000 80000000"
  run_machine "$p" 0
  stop_sim
  check "not optimized: MSR 2A back to its start value after the clock measurement" test "$(msr 2A)" = "00000000 C1000000"
  check "not optimized: MSR 33 untouched" test "$(msr 33)" = "00000000 00000000"
}

scenario_17_cpu_k6_2() {
  local p=$E2E_ROOT/tests/fixtures/machines/k6-2.ini
  run_machine "$p" 1
  cpu_page_shot k6-2
  stop_sim
  check "log names the processor" log_has "CPU AMD 5 8 C K6-2 3DNow"
  check "clock label in the log: 500 MHz" log_has "	500 MHz"
  check "optimized: write allocation for 256 MB in MSR C0000082" test "$(msr C0000082)" = "00000000 10010000"
  run_machine "$p" 0
  stop_sim
  check "not optimized: MSR C0000082 untouched" test "$(msr C0000082)" = "00000000 00000000"
}
