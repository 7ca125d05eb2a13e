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

installer_runs() {  # installer_runs CHECKS: false (and CHECKS skipped) where it cannot run here
  i686_programs_run && return 0
  skip "$1 checks of the installer" "32-bit programs run here only under emulation: see the 32-bit smoke set"
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

scenario_40_installer_plugin_answer() {
  installer_runs 3 || return 0
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
  installer_runs 10 || return 0
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
}

scenario_42_installer_for_a_standard_user() {
  installer_runs 8 || return 0
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

  set_setting Temp 70
  suppress_message "$WELCOME_TEXT"
  installer_wine "$BIN/nonadmin.exe" "$(winepath -w "$dir/Uninstall.exe")" /S /REMOVESETTINGS
  check "the uninstaller removes the folder" wait_removed "$dir"
  check "... the shortcut" eventually 10 test ! -e "$menu/Quillar.lnk"
  check "... the uninstall entry" eventually 10 eval '! reg_has "HKCU\\$UNINST_KEY" UninstallString'
  check "/REMOVESETTINGS removes the settings and the don't-show-again choices" \
        eval '! wine reg query "HKCU\SOFTWARE\Quillar" >/dev/null 2>&1'
}
