# Chipset identification, the host-bridge bits while cooling runs, the C2 port in C2 mode, and
# a board without a known chipset.

# chipset_run PROFILE SETTINGS... -> the program runs with /DEBUG; its state lands in $STATE
chipset_run() {
  local profile=$1; shift
  STATE=$WORK/state-chipset.ini
  rm -f "$STATE" "$LOG"
  local run=$WORK/chipset-run.ini
  { cat "$profile"; echo; echo "[Machine]"; echo "StateFile=$(winepath -w "$STATE")"; } > "$run"
  quiet_start "$@"
  start_sim "$run" /DEBUG
}

# pci BUS:DEV.FN@REG -> the doubleword the state file holds for it
pci() { sed -n "/^\[PCI\]/,/^\[/s/^$1=//p" "$STATE" | tr -d '\r'; }
c2reads() { sed -n "/^\[C2Reads\]/,/^\[/s/^$1=//p" "$STATE" | tr -d '\r'; }
faults() { sed -n "/^\[Faults\]/,/^\[/s/^Count=//p" "$STATE" | tr -d '\r'; }
# waits up to 5 s for a register to read a value
pci_becomes() {
  for _ in $(seq 50); do [ "$(pci "$1")" = "$2" ] && return 0; sleep 0.1; done
  echo "   $1 reads $(pci "$1"), not $2"; return 1
}

scenario_18_chipset_kt400_c2() {
  start_shell
  chipset_run "$E2E_ROOT/tests/fixtures/machines/athlon-xp-kt400.ini" Optimization=1 K7CoolingMode=2 OptFixSnd=1
  check "STPGNT (D2h bit 7) set while cooling runs" pci_becomes 00:00.0@D0 EAE9A317
  check "HLT detect (D5h bit 1) set while cooling runs" pci_becomes 00:00.0@D4 19F11E06
  check "audio fix (70h bits 1, 3, 7) set while cooling runs" pci_becomes 00:00.0@70 0100C89A
  qctl show; sleep 1; click_tab 2
  mkdir -p "$E2E_ROOT/build/e2e/shots"
  import -window root "$E2E_ROOT/build/e2e/shots/startup-kt400.png"
  check "the cooling-mode group is enabled" probe enabled TQuillarForm "C2 state (advanced cooling)"
  check "Fix Audio is offered" probe enabled TQuillarForm "Fix Audio"
  probe post TQuillarForm 10 >/dev/null; sleep 0.3
  sleep 1
  shell --click double
  check "a double click restores D0h exactly" pci_becomes 00:00.0@D0 EA69A317
  check "and D4h" pci_becomes 00:00.0@D4 19F11C06
  check "and 70h" pci_becomes 00:00.0@70 0100C890
  check "the C2 port was read thousands of times through the driver" test "$(c2reads 4014)" -gt 2000
  stop_sim
  stop_shell
  check "log: northbridge" log_has "Northbridge 00 VIA 3189"
  check "log: southbridge" log_has "Southbridge 03 VIA 3177"
  check "log: C2 port" log_has "C2 Port Enabled True"
  check "log: C2 address" log_has "C2 Port Address	4014"
  check "log: the device dump names the bridge" log_has "Device ID	3189 (8377_0)"
  check "log: the optimizer's step" log_has "Chipset Optimizer Set D2: 800000"
  check "no faults" test "$(faults)" = 0
}

scenario_19_chipset_unknown_440bx() {
  local profile=$E2E_ROOT/tests/fixtures/machines/pentium3-440bx.ini
  chipset_run "$profile" Optimization=1 K7CoolingMode=2
  qctl show; sleep 1
  check "the cooling-mode group is disabled" bash -c "wine '$BIN/qprobe.exe' enabled TQuillarForm 'C2 state (advanced cooling)'; [ \$? -eq 1 ]"
  probe post TQuillarForm 10 >/dev/null; sleep 0.3
  qctl off; sleep 0.5; qctl on; sleep 0.5
  stop_sim
  check "no configuration write at all" bash -c "! grep -qF 'PCI Write' '$LOG'"
  check "no identification lines" bash -c "! grep -qF 'Northbridge' '$LOG'"
  check "host bridge as the profile has it" test "$(pci 00:00.0@00)" = 71908086
  check "no faults" test "$(faults)" = 0
}
