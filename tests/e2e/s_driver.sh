# The kernel driver QuillarPro.sys of the run's architecture, registered in the prefix as a
# kernel service and loaded by Wine's driver host; driverclient.exe talks to it as the
# program and as anyone else would. Wine is no kernel: a halt or a port read faults there
# (the driver catches it and fails the request), and an MSR read answers 0, so what those
# requests do to a processor is proven by the native tests only.

# Where the driver host of the run's architecture finds \SystemRoot\System32\drivers: a
# 32-bit program's in a 64-bit prefix is the 32-bit system folder (services registered by the
# 32-bit service tool run in the 32-bit host there).
if [ "$QUILLAR_ARCH" = i686 ] && [ -d "$DRIVE_C/windows/syswow64" ]; then
  DRIVER_FILE=$DRIVE_C/windows/syswow64/drivers/QuillarPro.sys
else
  DRIVER_FILE=$DRIVE_C/windows/system32/drivers/QuillarPro.sys
fi

driver_client() { wine "$BIN/driverclient.exe" "$@" 2>/dev/null | tr -d '\r'; }
# answers REQUEST... EXPECTED: the client's line for the request is EXPECTED
answers() {
  local expected=${*: -1} got
  got=$(driver_client request "${@:1:$#-1}")
  [ "$got" = "$expected" ] || { echo "    request ${*:1:$#-1}: $got (expected $expected)"; return 1; }
}
# Type 1: a kernel driver.
service_is_kernel_driver() {
  wine reg query "HKLM\\System\\CurrentControlSet\\Services\\$DRIVER_SERVICE" /v Type 2>/dev/null | tr -d '\r' | grep -q 'REG_DWORD *0x1$'
}
driver_answers_version() { answers 1 "ok 00000100 00000000 00000000 00000000 bytes=16"; }

# On the processor CPUID shows here, whether the program reads MSR 2Ah (Intel family 6 from
# model 3 on).
host_reads_2a() {
  local vendor family model _
  read -r vendor family model _ <<<"$(driver_client processor)"
  [ "$vendor" = GenuineIntel ] && [ "$family" = 6 ] && [ "$model" -ge 3 ]
}

scenario_90_driver_kernel_service() {
  if [ ! -f "$BIN/QuillarPro.sys" ]; then
    skip "the kernel driver's checks" "no QuillarPro.sys in $BIN"
    return 0
  fi
  wine sc stop "$DRIVER_SERVICE" >/dev/null 2>&1
  wine sc delete "$DRIVER_SERVICE" >/dev/null 2>&1
  mkdir -p "$(dirname "$DRIVER_FILE")"
  cp "$BIN/QuillarPro.sys" "$DRIVER_FILE"
  wine sc create "$DRIVER_SERVICE" type= kernel start= demand \
       binPath= '\SystemRoot\System32\drivers\QuillarPro.sys' >/dev/null 2>&1
  check "registered as a kernel service" service_is_kernel_driver
  # The service manager of this server may not know the service yet (a new prefix's does not).
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  start_wine
  wine sc start "$DRIVER_SERVICE" >/dev/null 2>&1
  # The service manager answers once the start is under way: the host loads it meanwhile.
  check "it starts (Wine's driver host loads it)" eventually 10 driver_running
  driver_running || echo "     state: $(driver_state)"

  check "the program's own open and version check passes" \
        driver_opens
  check "function 1 answers 0x100 in word 1" driver_answers_version
  check "a block of the wrong size fails (0, 15, 17 bytes in; 8 and 32 out)" \
        eval 'answers 1 in=0 "failed 1784" && answers 1 in=15 "failed 1784" && answers 1 in=17 "failed 1784" &&
              answers 1 out=8 "failed 1784" && answers 20 0x2A out=32 "failed 1784"'
  check "unknown functions and another control code fail" \
        eval 'answers 0 "failed 1" && answers 2 "failed 1" && answers 71 "failed 1" &&
              answers 0xFFFFFFFF "failed 1" && answers 1 code=0x9C406004 "failed 1"'
  check "MSRs outside the list are refused (10h, 1Bh, C0000080h; a write to 10h)" \
        eval 'answers 20 0x10 "failed 5" && answers 20 0x1B "failed 5" && answers 20 0xC0000080 "failed 5" &&
              answers 21 0x10 0 0 "failed 5"'
  if host_reads_2a; then
    check "MSR 2Ah, on the list for this processor, is read (Wine answers 0)" \
          answers 20 0x2A "ok 00000000 00000000 00000000 00000000 bytes=16"
  else
    check "MSR 2Ah is refused on this processor ($(driver_client processor))" answers 20 0x2A "failed 5"
  fi
  check "C2 reads outside a power-management block's level-2 register are refused (14h, 60h, 415h)" \
        eval 'answers 10 0x14 "failed 5" && answers 10 0x60 "failed 5" && answers 10 0x415 "failed 5"'
  if [ "$QUILLAR_ARCH" = x86-64 ]; then
    check "function 40 is refused on x86-64, even for the PCI ports" \
          eval 'answers 40 0xCF8 0xCFF "failed 50" && answers 40 0x22 0x23 "failed 50"'
  else
    check "function 40 outside the Cyrix and PCI ports is refused (60h-64h, 20h-23h, 22h-CFFh)" \
          eval 'answers 40 0x60 0x64 "failed 5" && answers 40 0x20 0x23 "failed 5" && answers 40 0x22 0xCFF "failed 5"'
    skip "a grant of the PCI ports" "Wine has the kernel's I/O permission map functions only as stubs, which end the driver host"
  fi
  check "a C2 read and a halt the host refuses fail the request (the instruction faults under Wine)" \
        eval 'answers 10 0x4014 "failed 1117" && answers 70 out=0 "failed 1117"'
  check "... and the driver is still loaded and answering" \
        eval 'driver_running && driver_answers_version'
  check "a standard user's program opens it (Administrators for deny only)" \
        eval 'wine "$BIN/nonadmin.exe" "$(winepath -w "$BIN/driverclient.exe")" open 2>/dev/null | grep -q "open: ok"'

  # Stopping unloads it: the link and the device go, so the file can be replaced at once.
  wine sc stop "$DRIVER_SERVICE" >/dev/null 2>&1
  check "it stops" eventually 10 eval 'test "$(driver_state)" = STOPPED'
  check "... and the device is gone: the program's open fails with its own message" \
        test "$(driver_client open)" = "open: Couldn't open Quillar driver, make sure to reboot after installation!"
  cp "$BIN/QuillarPro.sys" "$DRIVER_FILE"
  wine sc start "$DRIVER_SERVICE" >/dev/null 2>&1
  check "a replaced file starts again without a restart" eventually 10 eval 'driver_running && driver_opens'
  wine sc stop "$DRIVER_SERVICE" >/dev/null 2>&1
  eventually 10 eval 'test "$(driver_state)" = STOPPED'
  wine sc delete "$DRIVER_SERVICE" >/dev/null 2>&1
  rm -f "$DRIVER_FILE"
  check "stopped and deleted: no service left" eval '! wine sc query "$DRIVER_SERVICE" >/dev/null 2>&1'
}
