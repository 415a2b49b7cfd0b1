; What the setup program and the uninstaller check before they change anything. Each
; refusal shows its message (in a silent run too, as the run's outcome: exit code 2) and
; leaves every file as it was.

!macro NorvikChecks un
; $0 is "no" unless this account may make files in $INSTDIR.
Function ${un}NorvikWritable
  StrCpy $0 "no"
  ClearErrors
  FileOpen $1 "$INSTDIR\norvik-setup-check.tmp" w
  IfErrors done
  FileClose $1
  Delete "$INSTDIR\norvik-setup-check.tmp"
  StrCpy $0 "yes"
  done:
FunctionEnd

; $0 is "yes" while the installed program runs: Windows opens a running program for no one
; to write.
Function ${un}NorvikRunning
  StrCpy $0 "no"
  IfFileExists "$INSTDIR\norvik-prefs-editor.exe" 0 done
  ClearErrors
  FileOpen $1 "$INSTDIR\norvik-prefs-editor.exe" a
  StrCpy $0 "yes"
  IfErrors done
  FileClose $1
  StrCpy $0 "no"
  done:
FunctionEnd
!macroend
!insertmacro NorvikChecks ""
!insertmacro NorvikChecks "un."

Function NorvikMayInstall
  CreateDirectory "$INSTDIR"
  Call NorvikWritable
  StrCmp $0 "yes" +3
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} cannot be installed in $INSTDIR: this account may not write there. Run the setup as an administrator, or choose a folder of your own." /SD IDOK
    Abort
  Call NorvikRunning
  StrCmp $0 "no" +3
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} is running from $INSTDIR. Close it, then run the setup again." /SD IDOK
    Abort
FunctionEnd

Function un.NorvikMayUninstall
  Call un.NorvikWritable
  StrCmp $0 "yes" +3
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} cannot be removed from $INSTDIR: this account may not change that folder. Run the uninstaller as an administrator." /SD IDOK
    Abort
  Call un.NorvikRunning
  StrCmp $0 "no" +3
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} is running. Close it, then uninstall again." /SD IDOK
    Abort
FunctionEnd
