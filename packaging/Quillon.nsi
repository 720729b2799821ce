; Quillon installer: installs for the current user only, adds a Start menu entry and an entry in
; the list of installed programs, and uninstalls cleanly. The user's undo folder stays.
; makensis gets DIST_DIR (the dist/Quillon folder), OUT_FILE, VERSION and TARGET (x86-unicode for
; the 32-bit product, amd64-unicode for the 64-bit build) on its command line, and WITH_SCAN when
; QuillonScan.exe was built.
Target ${TARGET}
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillon"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define LAYERS_KEY "Software\Microsoft\Windows NT\CurrentVersion\AppCompatFlags\Layers"
!define SETTINGS_KEY "Software\Kestrelworks\Quillon"

Name "Quillon"
OutFile "${OUT_FILE}"
InstallDir "$LOCALAPPDATA\Programs\Quillon"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "Quillon"
VIAddVersionKey "CompanyName" "Kestrelworks"
VIAddVersionKey "FileDescription" "Quillon setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright © 2026 Kestrelworks"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; A running Quillon holds its executable open: ask it to end through its registered message
; "QuillonClose" (wParam 1134), which closes it without asking and gives the program it raised
; its priority class back, then wait for the process to end. The request must be posted: Quillon
; reads it from its message queue.
!macro CloseRunningQuillon
  FindWindow $0 "" "Quillon"
  StrCmp $0 0 closed
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r2)'
  System::Call 'kernel32::OpenProcess(i 0x100000, i 0, i r2) p .r3'
  System::Call 'user32::RegisterWindowMessage(t "QuillonClose") i .r1'
  System::Call 'user32::PostMessage(p r0, i r1, p 1134, p 0)'
  StrCmp $3 0 closed
  System::Call 'kernel32::WaitForSingleObject(p r3, i 10000)'
  System::Call 'kernel32::CloseHandle(p r3)'
  closed:
!macroend

Section "Quillon"
  SetShellVarContext current
  !insertmacro CloseRunningQuillon
  SetOutPath "$INSTDIR"
  File "${DIST_DIR}\Quillon.exe"
  File "${DIST_DIR}\Quillon.chm"
  !ifdef WITH_SCAN
    File "${DIST_DIR}\QuillonScan.exe"
  !endif
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Quillon.lnk" "$INSTDIR\Quillon.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Quillon"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Kestrelworks"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quillon.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes what the installer and the program put in place. The undo folder in the application
; data folder holds the user's undo files and is left alone, so earlier fixes can still be undone.
Section "Uninstall"
  SetShellVarContext current
  !insertmacro CloseRunningQuillon
  Delete "$INSTDIR\Quillon.exe"
  Delete "$INSTDIR\Quillon.chm"
  Delete "$INSTDIR\QuillonScan.exe"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Quillon.lnk"
  ; The startup entry goes only when it starts this copy.
  ReadRegStr $0 HKCU "${RUN_KEY}" "Quillon"
  StrCmp $0 "$INSTDIR\Quillon.exe" 0 +2
  DeleteRegValue HKCU "${RUN_KEY}" "Quillon"
  DeleteRegValue HKCU "${LAYERS_KEY}" "$INSTDIR\Quillon.exe"
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Kestrelworks"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
