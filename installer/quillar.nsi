; Quillar's installer. The Windows build makes build/win32/QuillarSetup.exe from it with
;   makensis -DBUILD_DIR=<the build folder> -DOUTFILE=<the installer> quillar.nsi
; BUILD_DIR holds the program, its files and Ostrilon.dll, the plug-in that tells whether the
; user is an administrator. Its texts are 8-bit, so this is an ANSI installer.
;
; An administrator installs for all users into Program Files; anyone else into their own
; folder (%LOCALAPPDATA%\Programs\Quillar). /D=<folder> chooses another folder, /S runs silently.
;
; An administrator's installation also installs the kernel driver QuillarPro.sys, the one
; matching the system (the x86-64 driver on 64-bit Windows, DRIVER64 when making the
; installer), into the system's drivers folder, registers it as a kernel service that starts
; with the system and starts it at once. Where Windows refuses to start it (64-bit Windows
; starts only signed drivers) the installer says so and the program stays installed. A
; standard user's installation cannot install a driver and says so. Silent installations
; show no box: the text goes to the installation's details, which a silent run does not show,
; and the installer ends as usual: the program itself tells at its first start that the
; driver is missing.
;
; The uninstaller removes what was installed. The program's settings (HKCU\SOFTWARE\Quillar,
; with the don't-show-again choices below it) stay unless "Quillar's settings" is ticked on
; its components page, or, when silent, unless it is started with /REMOVESETTINGS:
;   Uninstall.exe /S /REMOVESETTINGS
; The uninstaller of an installation for all users stops the driver, deletes its service and
; its file; a driver already gone is no error.

Unicode false
!addplugindir /x86-ansi "${BUILD_DIR}"

!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include x64.nsh

!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillar"
!define SETTINGS_KEY "SOFTWARE\Quillar"
!define RUN_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
!define MAIN_WINDOW_CLASS "TQuillarForm"
!define MSG_QUIT 0x8000

!define DRIVER_SERVICE "QuillarPro"
!define DRIVER_FILE "QuillarPro.sys"
; As the kernel reads it: below the Windows folder, whatever its name and drive.
!define DRIVER_IMAGE "\SystemRoot\System32\drivers\${DRIVER_FILE}"
!ifndef DRIVER64
  !define DRIVER64 "${BUILD_DIR}/x64/${DRIVER_FILE}"
!endif
!define SC_MANAGER_ALL_ACCESS 0xF003F
!define SERVICE_ALL_ACCESS 0xF01FF
!define SERVICE_KERNEL_DRIVER 1
!define SERVICE_SYSTEM_START 1
!define SERVICE_ERROR_NORMAL 1
!define SERVICE_CONTROL_STOP 1
!define SERVICE_STOPPED 1
!define ERROR_SERVICE_ALREADY_RUNNING 1056
!define ERROR_INVALID_IMAGE_HASH 577

; What the user is told about the driver, in two parts: a box shows them as two paragraphs, the
; installation's details (all a silent run keeps) as one line.
!define TEXT_UNSIGNED_1 "Windows did not start the Quillar driver: this 64-bit Windows starts only drivers that carry a signature it trusts, and the Quillar driver has none."
!define TEXT_UNSIGNED_2 "Quillar is installed, but it cannot cool until Windows starts the driver. The manual says how to let Windows start it (test mode)."
!define TEXT_NOT_STARTED_1 "The Quillar driver could not be started (system error $0)."
!define TEXT_NOT_STARTED_2 "Quillar is installed, but it cannot cool until the driver runs."
!define TEXT_NOT_ADMIN_1 "Quillar is installed for you, but it cannot cool yet: cooling needs the Quillar driver, which only an administrator can install."
!define TEXT_NOT_ADMIN_2 "Ask an administrator to run this setup."
!macro TELL first second icon
  DetailPrint "${first} ${second}"
  MessageBox MB_OK|${icon} "${first}$\r$\n$\r$\n${second}" /SD IDOK
!macroend

Var IsAdmin

Name "Quillar"
OutFile "${OUTFILE}"
InstallDir ""
; Administrators get the elevated token, so the check below sees their group enabled.
RequestExecutionLevel highest
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage components
UninstPage instfiles

; Asks a running Quillar to end (it ignores the request while its options window is open)
; and waits for it, so its files can be replaced or removed.
!macro CLOSE_RUNNING_PROGRAM un
Function ${un}CloseRunningProgram
  Push $0
  Push $1
  retry:
  FindWindow $0 "${MAIN_WINDOW_CLASS}"
  ${If} $0 <> 0
    SendMessage $0 ${MSG_QUIT} 0 0 /TIMEOUT=5000
    StrCpy $1 0
    ${Do}
      ${If} $1 >= 50
        ${ExitDo}
      ${EndIf}
      Sleep 100
      IntOp $1 $1 + 1
      FindWindow $0 "${MAIN_WINDOW_CLASS}"
    ${LoopWhile} $0 <> 0
    ${If} $0 <> 0
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Quillar is running. Close its options window or exit it, then choose Retry." /SD IDCANCEL IDRETRY retry
      Abort
    ${EndIf}
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_PROGRAM ""
!insertmacro CLOSE_RUNNING_PROGRAM "un."

; Stops the driver's service, if there is one, and waits up to 10 s until it has stopped, so
; its file can be replaced or removed; with 1 on the stack it deletes the service as well.
; Takes its argument off the stack; every handle it opens is closed.
!macro STOP_DRIVER un
Function ${un}StopDriver
  Exch $R0
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  System::Call 'advapi32::OpenSCManagerA(p 0, p 0, i ${SC_MANAGER_ALL_ACCESS}) p .r0'
  ${If} $0 P<> 0
    System::Call 'advapi32::OpenServiceA(p r0, t "${DRIVER_SERVICE}", i ${SERVICE_ALL_ACCESS}) p .r1'
    ${If} $1 P<> 0
      System::Call '*(i, i, i, i, i, i, i) p .r2' ; SERVICE_STATUS
      System::Call 'advapi32::ControlService(p r1, i ${SERVICE_CONTROL_STOP}, p r2)'
      StrCpy $3 0
      ${Do}
        System::Call 'advapi32::QueryServiceStatus(p r1, p r2) i .r4'
        ${IfThen} $4 = 0 ${|} ${ExitDo} ${|}
        System::Call '*$2(i, i .r4)' ; dwCurrentState
        ${IfThen} $4 = ${SERVICE_STOPPED} ${|} ${ExitDo} ${|}
        ${IfThen} $3 >= 100 ${|} ${ExitDo} ${|}
        Sleep 100
        IntOp $3 $3 + 1
      ${Loop}
      System::Free $2
      ${If} $R0 = 1
        System::Call 'advapi32::DeleteService(p r1) i .r4 ?e'
        Pop $3
        DetailPrint "Driver service ${DRIVER_SERVICE}: deleted $4 (error $3)"
      ${EndIf}
      System::Call 'advapi32::CloseServiceHandle(p r1)'
    ${EndIf}
    System::Call 'advapi32::CloseServiceHandle(p r0)'
  ${EndIf}
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
  Pop $R0
FunctionEnd
!macroend
!insertmacro STOP_DRIVER ""
!insertmacro STOP_DRIVER "un."

; Copies the driver for this system into its drivers folder (the 64-bit one from this 32-bit
; installer with the file-system redirection off), registers the kernel service, or repairs
; one left by an earlier installation, and starts it. Says in plain words when Windows does
; not start it; the installation goes on either way.
Function InstallDriver
  Push $0
  Push $1
  Push $2
  Push $3
  Push 0
  Call StopDriver
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
    SetOutPath "$WINDIR\System32\drivers"
    File "/oname=${DRIVER_FILE}" "${DRIVER64}"
    ${EnableX64FSRedirection}
  ${Else}
    SetOutPath "$WINDIR\System32\drivers"
    File "${BUILD_DIR}/${DRIVER_FILE}"
  ${EndIf}
  SetOutPath "$INSTDIR"
  ; On 64-bit Windows the system's own 64-bit service tool registers it, so the service is the
  ; 64-bit system's (Wine's service manager would start a service a 32-bit program created in
  ; its 32-bit driver host); 32-bit Windows, 2000 included, gets it from the manager directly.
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
    nsExec::ExecToLog '"$WINDIR\System32\sc.exe" create ${DRIVER_SERVICE} type= kernel start= system error= normal \
        binPath= ${DRIVER_IMAGE} DisplayName= "Quillar driver"'
    Pop $0
    ${If} $0 != 0
      nsExec::ExecToLog '"$WINDIR\System32\sc.exe" config ${DRIVER_SERVICE} type= kernel start= system \
          error= normal binPath= ${DRIVER_IMAGE}'
      Pop $0
    ${EndIf}
    ${EnableX64FSRedirection}
  ${EndIf}
  StrCpy $3 ""
  System::Call 'advapi32::OpenSCManagerA(p 0, p 0, i ${SC_MANAGER_ALL_ACCESS}) p .r1 ?e'
  Pop $0
  ${If} $1 P<> 0
    System::Call 'advapi32::OpenServiceA(p r1, t "${DRIVER_SERVICE}", i ${SERVICE_ALL_ACCESS}) p .r2 ?e'
    Pop $0
    ${If} $2 P<> 0
    ${AndIfNot} ${RunningX64}
      System::Call 'advapi32::ChangeServiceConfigA(p r2, i ${SERVICE_KERNEL_DRIVER}, i ${SERVICE_SYSTEM_START}, \
          i ${SERVICE_ERROR_NORMAL}, t "${DRIVER_IMAGE}", p 0, p 0, p 0, p 0, p 0, p 0)'
    ${ElseIf} $2 P= 0
    ${AndIfNot} ${RunningX64}
      System::Call 'advapi32::CreateServiceA(p r1, t "${DRIVER_SERVICE}", t "Quillar driver", i ${SERVICE_ALL_ACCESS}, \
          i ${SERVICE_KERNEL_DRIVER}, i ${SERVICE_SYSTEM_START}, i ${SERVICE_ERROR_NORMAL}, t "${DRIVER_IMAGE}", \
          p 0, p 0, p 0, p 0, p 0) p .r2 ?e'
      Pop $0
    ${EndIf}
    ${If} $2 P<> 0
      DetailPrint "Driver service ${DRIVER_SERVICE} registered"
      System::Call 'advapi32::StartServiceA(p r2, i 0, p 0) i .r3 ?e'
      Pop $0
      ${If} $3 <> 0
      ${OrIf} $0 = ${ERROR_SERVICE_ALREADY_RUNNING}
        StrCpy $3 started
        DetailPrint "Driver service ${DRIVER_SERVICE} started"
      ${Else}
        StrCpy $3 ""
      ${EndIf}
      System::Call 'advapi32::CloseServiceHandle(p r2)'
    ${EndIf}
    System::Call 'advapi32::CloseServiceHandle(p r1)'
  ${EndIf}
  ${If} $3 != started
    ${If} ${RunningX64}
    ${AndIf} $0 = ${ERROR_INVALID_IMAGE_HASH}
      !insertmacro TELL "${TEXT_UNSIGNED_1}" "${TEXT_UNSIGNED_2}" MB_ICONEXCLAMATION
    ${Else}
      !insertmacro TELL "${TEXT_NOT_STARTED_1}" "${TEXT_NOT_STARTED_2}" MB_ICONEXCLAMATION
    ${EndIf}
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; The driver's file, from the real drivers folder on 64-bit Windows too. Gone already is fine;
; a file still in use goes at the next start of Windows.
Function un.RemoveDriver
  Push 1
  Call un.StopDriver
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
  ${EndIf}
  Delete /REBOOTOK "$WINDIR\System32\drivers\${DRIVER_FILE}"
  ${If} ${RunningX64}
    ${EnableX64FSRedirection}
  ${EndIf}
FunctionEnd

Function .onInit
  Ostrilon::checkIsAdmin
  Pop $IsAdmin
  ${If} $IsAdmin == "1"
    SetShellVarContext all
    StrCpy $1 "$PROGRAMFILES\Quillar"
  ${Else}
    SetShellVarContext current
    StrCpy $1 "$LOCALAPPDATA\Programs\Quillar"
  ${EndIf}
  ${If} $INSTDIR == ""
    StrCpy $INSTDIR $1
  ${EndIf}
FunctionEnd

Section "Quillar"
  SectionIn RO
  Call CloseRunningProgram
  SetOutPath "$INSTDIR"
  File "${BUILD_DIR}/Quillar.exe"
  File "${BUILD_DIR}/quillar.ini"
  File "${BUILD_DIR}/Lumisca.dll"
!if /FileExists "${BUILD_DIR}/Hibernate.dll"
  File "${BUILD_DIR}/Hibernate.dll"
!endif
  SetOutPath "$INSTDIR\doc"
  File "${BUILD_DIR}/doc/index.html"
  SetOutPath "$INSTDIR"

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Quillar.lnk" "$INSTDIR\Quillar.exe"

  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayName" "Quillar"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Quillar.exe"
  WriteRegStr SHCTX "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr SHCTX "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoRepair" 1

  ${If} $IsAdmin == "1"
    Call InstallDriver
  ${Else}
    !insertmacro TELL "${TEXT_NOT_ADMIN_1}" "${TEXT_NOT_ADMIN_2}" MB_ICONINFORMATION
  ${EndIf}
SectionEnd

Section "un.Quillar"
  SectionIn RO
  Call un.CloseRunningProgram
  Delete "$INSTDIR\Quillar.exe"
  Delete "$INSTDIR\quillar.ini"
  Delete "$INSTDIR\Lumisca.dll"
  Delete "$INSTDIR\Hibernate.dll"
  Delete "$INSTDIR\doc\index.html"
  RMDir "$INSTDIR\doc"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Quillar.lnk"

  ; An autostart entry for the program just removed would fail at every start of Windows.
  ReadRegStr $0 HKLM "${RUN_KEY}" "Quillar"
  ${If} $0 == "$INSTDIR\Quillar.exe"
    DeleteRegValue HKLM "${RUN_KEY}" "Quillar"
  ${EndIf}
  DeleteRegKey SHCTX "${UNINST_KEY}"

  ; Only an installation for all users brought the driver.
  ${If} $IsAdmin == 1
    Call un.RemoveDriver
  ${EndIf}
SectionEnd

Section /o "un.Quillar's settings" SEC_SETTINGS
  DeleteRegKey HKCU "${SETTINGS_KEY}"
SectionEnd

Function un.onInit
  ; An installation for all users has its uninstall entry under HKLM.
  ReadRegStr $0 HKLM "${UNINST_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    SetShellVarContext all
    StrCpy $IsAdmin 1
  ${Else}
    SetShellVarContext current
  ${EndIf}
  ${un.GetParameters} $1
  ClearErrors
  ${un.GetOptions} $1 "/REMOVESETTINGS" $2
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SEC_SETTINGS}
  ${EndIf}
FunctionEnd
