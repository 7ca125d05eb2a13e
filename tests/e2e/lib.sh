# Shared set-up of the end-to-end scenarios: one Wine prefix and one X display per run,
# the built programs, and small helpers to drive the program from outside.
set -u

E2E_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# The programs of one architecture (QUILLAR_ARCH: x86-64, the default, or i686), each with
# a prefix of its own.
. "$E2E_ROOT/scripts/winearch.sh"
quillar_use_arch "${QUILLAR_ARCH:-x86-64}" || exit 1
[ -n "${QUILLAR_I686_RUNS:-}" ] || quillar_probe_arches
BIN=${QUILLAR_BIN:-$QUILLAR_BUILD}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=${WINEPREFIX:-$E2E_ROOT/build/e2e/prefix-$QUILLAR_ARCH}
WORK=$E2E_ROOT/build/e2e/work
mkdir -p "$WORK"
DRIVE_C=$WINEPREFIX/drive_c
LOG=$DRIVE_C/quillar.log

start_display() {
  if [ -z "${DISPLAY:-}" ]; then
    # Xvfb chooses a free display number itself, so parallel runs never share one.
    local fifo
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    E2E_XVFB=$!
    local n=""
    read -r -t 20 n <"$fifo" || true
    rm -f "$fifo"
    if [ -z "$n" ]; then
      echo "Xvfb could not start a display" >&2
      return 1
    fi
    export DISPLAY=:$n
  fi
}

start_wine() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1 || true
    # A new prefix's service manager starts services created later (the kernel driver's) only
    # once the server has started again.
    wineserver -k >/dev/null 2>&1 || true
  fi
  wineserver -p >/dev/null 2>&1 || true
  # No 2 s stall when a captioned window is hidden without a window manager.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
}

stop_wine() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "${E2E_XVFB:-}" ] && kill "$E2E_XVFB" 2>/dev/null || true
}

# Prints the registry key (below HKCU) that holds the don't-show-again state of a message:
# the storage path and the message text, every character that is not a letter or digit
# turned into a blank, trimmed, cut to 127 characters.
dsa_key() {
  python3 - "$1" <<'PY'
import sys
text = sys.argv[1].encode('latin-1').decode('cp1252')
clean = ''.join(c if c.isalnum() else ' ' for c in text).strip(' \t\r\n')
print(("Software\\Quillar\\Dialogs\\" + clean)[:127])
PY
}

WELCOME_TEXT=$'Welcome! You are running Quillar Vantor for the first time.\r\n\r\nRight-click on the tray icon to configure Quillar.\r\nDouble-click on the icon to disable Quillar.'

ATHLON_ADVICE_TEXT=$'Quillar Vantor has detected that your computer is equipped with an AMD Athlon or Duron CPU.\r\n\r\nTo make sure Quillar can achieve the best cooling results you need to enable the CPU/chipset optimization: \r\nGoto Options -> StartUp and enable the CPU/chipset optimization.'

# Registry text (REGEDIT4 lines, after the header) written in one Wine call: one call per
# value would cost a fifth of a second each.
reg_import() {
  { printf 'REGEDIT4\r\n\r\n'; sed 's/$/\r/'; } > "$DRIVE_C/quillar-import.reg"
  wine reg import 'C:\quillar-import.reg' >/dev/null 2>&1
}

# The registry lines that tick the don't-show-again box of a message.
dsa_lines() { printf '[HKEY_CURRENT_USER\\%s]\n"DontShow"=dword:00000001\n' "$(dsa_key "$1")"; }

# Ticks the don't-show-again box of a message in advance, so unattended runs never wait on it.
suppress_message() { dsa_lines "$1" | reg_import; }

# Writes one setting under HKCU\SOFTWARE\Quillar (a number, or a text with -s).
set_setting() {
  if [ "$1" = -s ]; then
    wine reg add 'HKCU\SOFTWARE\Quillar' /v "$2" /t REG_SZ /d "$3" /f >/dev/null 2>&1
  else
    wine reg add 'HKCU\SOFTWARE\Quillar' /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1
  fi
}

# A complete set of settings (one missing value would reset them all to their defaults)
# for a quiet start: no splash, the welcome message suppressed. Arguments NAME=VALUE override.
quiet_start() {
  declare -A v=([SplashScreen]=0 [Optimization]=0 [HideTaskBar]=0 [K7CoolingMode]=1 [WaitForMBM]=0
                [IdleDisplay]=2 [IdleInterval]=10 [SensorInterval]=6 ["Emergency Action"]=0 [Temp]=70
                [MBMSensor]=1 [OptFixSnd]=0 [WindowListInterval]=10)
  local kv name
  for kv in "$@"; do v[${kv%%=*}]=${kv#*=}; done
  {
    echo '[HKEY_CURRENT_USER\SOFTWARE\Quillar]'
    for name in "${!v[@]}"; do printf '"%s"=dword:%08x\n' "$name" "${v[$name]}"; done
    echo '"WindowList"=""'
    dsa_lines "$WELCOME_TEXT"
    # The built-in machine's chipset is recognised: without this, start-up would wait in the
    # advice to turn the optimization on.
    dsa_lines "$ATHLON_ADVICE_TEXT"
  } | reg_import
}

reset_settings() {
  reg_import <<'REG'
[-HKEY_CURRENT_USER\SOFTWARE\Quillar]
[-HKEY_CURRENT_USER\Software\Wine\AppDefaults\QuillarSim.exe]
[-HKEY_CURRENT_USER\Software\Wine\AppDefaults\Quillar.exe]
REG
}

probe() { wine "$BIN/qprobe.exe" "$@"; }
qctl() { wine "$BIN/qctl.exe" "$@"; }

# Starts the simulated program in the background with a machine profile (a path, or empty
# for the built-in machine) and arguments; waits for its main window.
start_sim() {
  local profile=$1; shift
  if [ -n "$profile" ]; then export QUILLAR_MACHINE=$(winepath -w "$profile" 2>/dev/null); else unset QUILLAR_MACHINE; fi
  (cd "$BIN" && exec wine QuillarSim.exe "$@") >/dev/null 2>&1 &
  SIM_PID=$!
  # The window exists before its creation has run through; wait for the last step.
  probe wait-ready 20000
}

# Ends the program with the quit message and waits for the process to go.
stop_sim() {
  qctl quit >/dev/null 2>&1
  probe wait-exit QuillarSim.exe 15000
  local rc=$?
  # One that did not end is ended, so that the wait cannot hold up the whole run.
  [ $rc -eq 0 ] || kill_programs
  wait "${SIM_PID:-}" 2>/dev/null || true
  return $rc
}

# Shows the options window as a second start does and waits until it is up; its controls'
# windows exist from its first showing on. close_options closes it as its close box does.
show_options() {
  qctl show
  eventually 5 probe visible TQuillarForm || return 1
  sleep 0.3
}
close_options() {
  probe post TQuillarForm 10 >/dev/null
  eventually 5 bash -c "! wine '$BIN/qprobe.exe' visible TQuillarForm"
}

kill_programs() {
  for exe in QuillarSim.exe Quillar.exe sfpublish.exe mbmpublish.exe; do
    if probe pid "$exe" >/dev/null 2>&1; then
      wine taskkill /f /im "$exe" >/dev/null 2>&1 || true
    fi
  done
}

# Writes $WORK/NAME.ini: the built-in machine with extra [Machine] lines (later values win).
profile_with() {
  local name=$1; shift
  local file=$WORK/$name.ini
  { cat "$E2E_ROOT/tests/fixtures/machines/athlon-xp-kt400.ini"; echo; echo "[Machine]"; printf '%s\n' "$@"; } > "$file"
  echo "$file"
}

# --- results -------------------------------------------------------------------------------
E2E_PASSED=0
E2E_FAILED=0
E2E_SKIPPED=0
E2E_FAILURES=()

check() {  # check "description" command...
  local what=$1; shift
  if "$@"; then
    E2E_PASSED=$((E2E_PASSED + 1)); echo "  ok   $what"
  else
    E2E_FAILED=$((E2E_FAILED + 1)); E2E_FAILURES+=("$SCENARIO: $what"); echo "  FAIL $what"
  fi
}

skip() {  # skip "description" "why"
  E2E_SKIPPED=$((E2E_SKIPPED + 1)); echo "  skip $1 ($2)"
}

# The 32-bit programs (the installer and its plug-in) where the machine runs them natively;
# under emulation each start takes about a minute, so only the 32-bit smoke set runs them.
I686_BIN=${QUILLAR_I686_BIN:-$E2E_ROOT/build/win32}
i686_programs_run() { [ "$QUILLAR_I686_RUNS" = native ] && [ -f "$I686_BIN/QuillarSetup.exe" ]; }
# Runs a 32-bit program through the 32-bit loader, whichever architecture the run is for.
# Under emulation the 32-bit C library cannot load its unwinder late (when a thread first
# ends), and without it the first thread to end takes the whole process down: so it is
# loaded at the start.
wine32() {
  if [ "$QUILLAR_I686_RUNS" = emulated ]; then
    LD_PRELOAD=libgcc_s.so.1${LD_PRELOAD:+:$LD_PRELOAD} /usr/bin/wine "$@"
  else
    /usr/bin/wine "$@"
  fi
}
# The 32-bit programs' Program Files folder, as a Windows path: its own in a 64-bit prefix
# (asked of the prefix's own command processor, so no 32-bit program has to start).
program_files32() {
  local name=ProgramFiles
  [ -d "$DRIVE_C/windows/syswow64" ] && name='ProgramFiles(x86)'
  wine cmd /c echo "%$name%" 2>/dev/null | tr -d '\r'
}

log_has() { grep -qF -- "$1" "$LOG" 2>/dev/null; }

# The kernel driver's service in the prefix: its state as the service manager says it
# (RUNNING, STOPPED, or nothing when there is no such service), and whether the program's own
# open and version check passes against the driver (driverclient.exe open).
DRIVER_SERVICE=QuillarPro
driver_state() { wine sc query "$DRIVER_SERVICE" 2>/dev/null | tr -d '\r' | sed -n 's/.*STATE *: *[0-9]* *//p'; }
driver_running() { [ "$(driver_state)" = RUNNING ]; }
no_driver_service() { ! wine sc query "$DRIVER_SERVICE" >/dev/null 2>&1; }
driver_opens() { wine "$BIN/driverclient.exe" open 2>/dev/null | grep -q "open: ok"; }

# eventually SECONDS command... -> retries the command every 0.2 s until it succeeds or the
# time is up (a deadline instead of a fixed sleep, so a busy machine only makes it slower)
eventually() {
  local deadline=$(( $(date +%s%N) / 1000000 + $1 * 1000 )); shift
  until "$@"; do
    [ $(( $(date +%s%N) / 1000000 )) -ge "$deadline" ] && return 1
    sleep 0.2
  done
}

# The stand-in shell: a "Shell_TrayWnd" window that logs every icon record it receives.
SHELL_LOG=$WORK/shell.log
start_shell() {
  rm -f "$SHELL_LOG"
  rm -rf "$WORK/icons"; mkdir -p "$WORK/icons"
  (cd "$BIN" && exec wine fakeshell.exe "$(winepath -w "$SHELL_LOG")" --icons "$(winepath -w "$WORK/icons")" "$@") >/dev/null 2>&1 &
  for _ in $(seq 100); do [ -s "$SHELL_LOG" ] && break; sleep 0.1; done
}
stop_shell() { wine "$BIN/fakeshell.exe" --quit >/dev/null 2>&1 || true; }
shell() { wine "$BIN/fakeshell.exe" "$@"; }
# The tips the shell received, one per line, \x0D shown as " | ".
shell_tips() { sed -n 's/.* tip="\([^"]*\)".*/\1/p' "$SHELL_LOG" | sed 's/\\x0D/ | /g'; }

# Whether an icon the shell saved (.bmp) is a numeric one: black digits on the taskbar's
# grey and nothing else. The pictures of the graphical display hold no pure black.
icon_is_numeric() {
  python3 - "$1" <<'PY'
import struct, sys
d = open(sys.argv[1], 'rb').read()
off = struct.unpack_from('<I', d, 10)[0]
w, h = struct.unpack_from('<ii', d, 18)
bpp = struct.unpack_from('<H', d, 28)[0]
row = (w * bpp // 8 + 3) // 4 * 4
colours = {}
for y in range(abs(h)):
    for x in range(w):
        i = off + y * row + x * bpp // 8
        colours[d[i:i + 3]] = colours.get(d[i:i + 3], 0) + 1
black = colours.pop(b'\0\0\0', 0)
sys.exit(0 if black >= 8 and len(colours) <= 1 else 1)
PY
}
icon_count() { local files=("$WORK"/icons/*.bmp); [ -e "${files[0]}" ] && echo ${#files[@]} || echo 0; }
# A new icon came after the first COUNT, and the newest is numeric.
numeric_icon_after() {
  local files=("$WORK"/icons/*.bmp)
  [ -e "${files[0]}" ] && [ ${#files[@]} -gt "$1" ] && icon_is_numeric "${files[-1]}"
}

# Clicks a tab of the options window (the window is centred on the 1024 x 768 display).
TAB_X=(266 327 393 458 541 648)
click_tab() { xdotool mousemove "${TAB_X[$1]}" 262 click 1; sleep 0.4; }

# The stand-in privileged object, registered in the prefix (every settings save creates it).
register_privileged_object() { wine regsvr32 /s "$(winepath -w "$BIN/QuillarPrivileged.dll")" >/dev/null 2>&1; }
unregister_privileged_object() { wine regsvr32 /u /s "$(winepath -w "$BIN/QuillarPrivileged.dll")" >/dev/null 2>&1; }

# Waits up to MS milliseconds until the log holds more than COUNT lines containing TEXT;
# prints the milliseconds waited. wait_log_count TEXT COUNT MS
wait_log_count() {
  local text=$1 count=$2 ms=$3 start now n
  start=$(date +%s%3N)
  while :; do
    n=$(grep -cF -- "$text" "$LOG" 2>/dev/null); n=${n:-0}
    now=$(date +%s%3N)
    if [ "$n" -gt "$count" ]; then echo $((now - start)); return 0; fi
    [ $((now - start)) -ge "$ms" ] && { echo $((now - start)); return 1; }
    sleep 0.05
  done
}
log_count() { grep -cF -- "$1" "$LOG" 2>/dev/null || true; }

# Top-level windows of a helper process (tools/win32/testwindows.cpp): testwindows TITLE [COUNT].
# Returns once they exist; close_test_windows ends the helper.
TESTWINDOWS_OUT=$WORK/testwindows.out
open_test_windows() {
  rm -f "$TESTWINDOWS_OUT"
  (cd "$BIN" && exec wine testwindows.exe "$@") >"$TESTWINDOWS_OUT" 2>&1 &
  TESTWINDOWS_PID=$!
  for _ in $(seq 200); do grep -q ready "$TESTWINDOWS_OUT" 2>/dev/null && return 0; sleep 0.05; done
  return 1
}
close_test_windows() {
  probe post QuillarTestWindow 10 >/dev/null 2>&1
  wait "${TESTWINDOWS_PID:-}" 2>/dev/null || true
  probe wait-gone QuillarTestWindow 5000
}
