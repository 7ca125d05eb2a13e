; Quillar's installer. The Windows build makes build/win32/QuillarSetup.exe from it with
;   makensis -DBUILD_DIR=<the build folder> -DOUTFILE=<the installer> quillar.nsi
; BUILD_DIR holds the program, its files and Ostrilon.dll, the plug-in that tells whether the
; user is an administrator. Its texts are 8-bit, so this is an ANSI installer.
;
; An administrator installs for all users into Program Files; anyone else into their own
; folder (%LOCALAPPDATA%\Programs\Quillar). /D=<folder> chooses another folder, /S runs silently.
;
; The uninstaller removes what was installed. The program's settings (HKCU\SOFTWARE\Quillar,
; with the don't-show-again choices below it) stay unless "Quillar's settings" is ticked on
; its components page, or, when silent, unless it is started with /REMOVESETTINGS:
;   Uninstall.exe /S /REMOVESETTINGS

Unicode false
!addplugindir /x86-ansi "${BUILD_DIR}"

!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillar"
!define SETTINGS_KEY "SOFTWARE\Quillar"
!define RUN_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
!define MAIN_WINDOW_CLASS "TQuillarForm"
!define MSG_QUIT 0x8000

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

Function .onInit
  Ostrilon::checkIsAdmin
  Pop $0
  ${If} $0 == "1"
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
SectionEnd

Section /o "un.Quillar's settings" SEC_SETTINGS
  DeleteRegKey HKCU "${SETTINGS_KEY}"
SectionEnd

Function un.onInit
  ; An installation for all users has its uninstall entry under HKLM.
  ReadRegStr $0 HKLM "${UNINST_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    SetShellVarContext all
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
