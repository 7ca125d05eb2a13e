# The installer and its plug-in: Ostrilon's answer inside a real installer, silent
# installations for an administrator and for a standard user, and the uninstaller.

# The installer and Ostrilon are 32-bit programs whichever architecture the run is for: they
# run here where the machine runs 32-bit code natively (the 32-bit smoke set covers one
# installation everywhere). In a 64-bit prefix their Program Files folder and their view of
# HKLM\Software are the 32-bit ones, which the 32-bit reg.exe sees.
SETUP=$I686_BIN/QuillarSetup.exe
UNINST_KEY='Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillar'
# No menu entries of the host's desktop for the shortcuts the installer makes.
installer_wine() { WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d" wine32 "$@"; }

# False where the installer cannot run here; the calling scenario's checks are then reported
# as skipped, as many as it has.
installer_runs() {
  i686_programs_run && return 0
  local checks
  checks=$(declare -f "${FUNCNAME[1]}" | grep -cE '^\s*check ')
  skip "$checks checks of the installer" "32-bit programs run here only under emulation: see the 32-bit smoke set"
  E2E_SKIPPED=$((E2E_SKIPPED + checks - 1))
  return 1
}

# Every file an installation holds, relative to its folder.
INSTALLED_FILES=(Quillar.exe quillar.ini Lumisca.dll doc/index.html Uninstall.exe)

all_installed() {  # all_installed DIR
  local f
  for f in "${INSTALLED_FILES[@]}"; do [ -f "$1/$f" ] || { echo "    missing $f"; return 1; }; done
  cmp -s "$1/Quillar.exe" "$I686_BIN/Quillar.exe" && cmp -s "$1/doc/index.html" "$I686_BIN/doc/index.html"
}

# Waits for the uninstaller (it runs on from a copy of itself) to remove the folder.
wait_removed() {  # wait_removed DIR
  local _
  for _ in $(seq 150); do [ -e "$1" ] || return 0; sleep 0.1; done
  return 1
}

reg_has() { wine32 reg query "$1" /v "$2" >/dev/null 2>&1; }

# The kernel driver an administrator's installation brings: the one of the prefix's own
# architecture (the x86-64 driver from the 32-bit installer in a 64-bit prefix), a kernel
# service that starts with the system (type 1, start 1), running.
SETUP_DRIVER=$DRIVE_C/windows/system32/drivers/QuillarPro.sys
setup_driver_source() { if [ -d "$DRIVE_C/windows/syswow64" ]; then echo "$I686_BIN/x64/QuillarPro.sys"; else echo "$I686_BIN/QuillarPro.sys"; fi; }
service_value() {  # service_value NAME: the service's registry value, as reg prints it
  wine reg query 'HKLM\System\CurrentControlSet\Services\QuillarPro' /v "$1" 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$1 *REG_[A-Z_]* *//p"
}

scenario_40_installer_plugin_answer() {
  installer_runs || return 0
  local dir=$WORK/nsis
  rm -rf "$dir"; mkdir -p "$dir"
  makensis -V2 -DPLUGIN_DIR="$I686_BIN" -DOUTFILE="$dir/admincheck.exe" \
           "$E2E_ROOT/tests/e2e/nsis/admincheck.nsi" >"$dir/makensis.log" 2>&1
  check "an installer of our own is built with Ostrilon as its plug-in" test -f "$dir/admincheck.exe"
  wine32 "$dir/admincheck.exe" /S
  check "it pops \"1\" for Wine's administrator" test "$(cat "$dir/answer.txt" 2>/dev/null)" = 1
  rm -f "$dir/answer.txt"
  wine "$BIN/nonadmin.exe" "$(winepath -w "$dir/admincheck.exe")" /S
  check "it pops \"0\" for a user whose Administrators group is for deny only" \
        test "$(cat "$dir/answer.txt" 2>/dev/null)" = 0
}

scenario_41_installer_for_all_users() {
  installer_runs || return 0
  check "the build made QuillarSetup.exe" test -f "$SETUP"
  local files dir menu=$DRIVE_C/ProgramData/Microsoft/Windows/"Start Menu"/Programs
  files=$(program_files32)
  dir=$(winepath -u "$files")/Quillar
  rm -rf "$dir"
  # A program still running is asked to end before its files are replaced.
  quiet_start
  start_sim ""
  installer_wine "$SETUP" /S
  check "a running program was asked to end" probe wait-exit QuillarSim.exe 5000
  check "an administrator's installation goes to Program Files" all_installed "$dir"
  check "Start-menu shortcut for all users" test -f "$menu/Quillar.lnk"
  check "uninstall entry under HKLM" reg_has "HKLM\\$UNINST_KEY" UninstallString
  check "the driver for this system is in its drivers folder" cmp -s "$SETUP_DRIVER" "$(setup_driver_source)"
  check "... registered as a kernel service that starts with the system" \
        eval 'test "$(service_value Type)" = 0x1 && test "$(service_value Start)" = 0x1 &&
              test "$(service_value ImagePath)" = "\\SystemRoot\\System32\\drivers\\QuillarPro.sys"'
  check "... started at once: the program's open and version check passes" eventually 10 eval 'driver_running && driver_opens'

  # Settings stay unless asked for; the autostart entry of the removed program goes.
  set_setting Temp 70
  wine32 reg add 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' /v Quillar \
       /d "$files\Quillar\Quillar.exe" /f >/dev/null 2>&1
  installer_wine "$dir/Uninstall.exe" /S
  check "the uninstaller removes the folder" wait_removed "$dir"
  check "... the shortcut" eventually 10 test ! -e "$menu/Quillar.lnk"
  check "... the uninstall entry" eventually 10 eval '! reg_has "HKLM\\$UNINST_KEY" UninstallString'
  check "... the autostart entry of the removed program" \
        eventually 10 eval '! reg_has "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run" Quillar'
  check "the settings stay without /REMOVESETTINGS" reg_has 'HKCU\SOFTWARE\Quillar' Temp
  check "... the driver's service, stopped and deleted" eventually 10 no_driver_service
  check "... and its file" test ! -e "$SETUP_DRIVER"
}

scenario_42_installer_for_a_standard_user() {
  installer_runs || return 0
  local profile dir menu
  profile=$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')" 2>/dev/null)
  dir=$profile/Programs/Quillar
  menu=$(dirname "$profile")/Roaming/Microsoft/Windows/"Start Menu"/Programs
  rm -rf "$dir"
  installer_wine "$BIN/nonadmin.exe" "$(winepath -w "$SETUP")" /S
  check "a standard user's installation goes to their own folder" all_installed "$dir"
  check "nothing in Program Files" test ! -e "$(winepath -u "$(program_files32)")/Quillar"
  check "Start-menu shortcut of the user" test -f "$menu/Quillar.lnk"
  check "uninstall entry under HKCU" reg_has "HKCU\\$UNINST_KEY" UninstallString
  check "no driver: only an administrator can install it (and a silent run waits on no box)" no_driver_service

  set_setting Temp 70
  suppress_message "$WELCOME_TEXT"
  installer_wine "$BIN/nonadmin.exe" "$(winepath -w "$dir/Uninstall.exe")" /S /REMOVESETTINGS
  check "the uninstaller removes the folder" wait_removed "$dir"
  check "... the shortcut" eventually 10 test ! -e "$menu/Quillar.lnk"
  check "... the uninstall entry" eventually 10 eval '! reg_has "HKCU\\$UNINST_KEY" UninstallString'
  check "/REMOVESETTINGS removes the settings and the don't-show-again choices" \
        eval '! wine reg query "HKCU\SOFTWARE\Quillar" >/dev/null 2>&1'
}

scenario_43_installer_driver_upgrade_and_removal() {
  installer_runs || return 0
  local files dir
  files=$(program_files32)
  dir=$(winepath -u "$files")/Quillar
  installer_wine "$SETUP" /S
  installer_wine "$SETUP" /S
  check "installing again stops the driver, replaces it and starts it again" \
        eventually 10 eval 'driver_running && driver_opens && cmp -s "$SETUP_DRIVER" "$(setup_driver_source)"'
  # Someone removed the driver by hand: the uninstaller still removes everything else.
  wine sc stop "$DRIVER_SERVICE" >/dev/null 2>&1
  eventually 10 eval '! driver_running'
  wine sc delete "$DRIVER_SERVICE" >/dev/null 2>&1
  rm -f "$SETUP_DRIVER"
  installer_wine "$dir/Uninstall.exe" /S
  check "with the driver already gone the uninstaller removes the folder" wait_removed "$dir"
  check "... and the uninstall entry" eventually 10 eval '! reg_has "HKLM\\$UNINST_KEY" UninstallString'
}

scenario_44_installer_says_a_standard_user_gets_no_driver() {
  installer_runs || return 0
  local profile dir text
  profile=$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')" 2>/dev/null)
  dir=$profile/Programs/Quillar
  rm -rf "$dir"
  (installer_wine "$BIN/nonadmin.exe" "$(winepath -w "$SETUP")") >/dev/null 2>&1 &
  local setup_pid=$!
  eventually 30 probe click '#32770' '&Install' >/dev/null
  text=$(probe dialog "only an administrator" 30000)
  check "a standard user is told that cooling needs the driver, which only an administrator can install" \
        grep -qF "cooling needs the Quillar driver, which only an administrator can install" <<<"$text"
  sleep 0.5
  import -window root "$WORK/installer-standard-user.png" 2>/dev/null
  probe dialog "only an administrator" 2000 press >/dev/null
  eventually 30 probe click '#32770' '&Close' >/dev/null
  wait "$setup_pid" 2>/dev/null
  check "... the program is installed for them all the same" all_installed "$dir"
  check "... and no driver service was registered" no_driver_service
  installer_wine "$BIN/nonadmin.exe" "$(winepath -w "$dir/Uninstall.exe")" /S
  wait_removed "$dir"
}
