; An installer of our own that only asks Ostrilon and writes down the answer it popped, in
; answer.txt beside itself. Built by the installer scenario:
;   makensis -DPLUGIN_DIR=<folder holding Ostrilon.dll> -DOUTFILE=<exe> admincheck.nsi
Unicode false
!addplugindir /x86-ansi "${PLUGIN_DIR}"

Name "Ostrilon answer"
OutFile "${OUTFILE}"
RequestExecutionLevel user
SilentInstall silent

Section
  StrCpy $0 "nothing popped"
  Ostrilon::checkIsAdmin
  Pop $0
  FileOpen $1 "$EXEDIR\answer.txt" w
  FileWrite $1 $0
  FileClose $1
SectionEnd
