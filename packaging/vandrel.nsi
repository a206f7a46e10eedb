; Vandrel's installer: a per-user install with a Start-menu shortcut, an optional start at
; sign-in and an uninstaller in the user's Apps list. makensis -DEXE= -DICON= -DOUTFILE= [-DARCH=amd64]
Unicode true
!ifndef ARCH
  !define ARCH x86
!endif
!if "${ARCH}" == "amd64"
  Target amd64-unicode
!else
  Target x86-unicode
!endif

!define VERSION "1.38.0.0"
!define PUBLISHER "Quillane"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vandrel"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define MAIN_TITLE "Quillane Vandrel"
!define ID_TRAY_EXIT 32775

Name "Vandrel"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Vandrel"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
RequestExecutionLevel user
SetCompressor /SOLID lzma
BrandingText "Vandrel ${VERSION}"

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "Vandrel"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "Vandrel Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

!include MUI2.nsh
!include FileFunc.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "Vandrel is installed"
!define MUI_FINISHPAGE_TEXT "Vandrel needs two things this setup does not include.$\r$\n$\r$\n1. The encoder ffmpeg.exe (a Windows build of FFmpeg, https://ffmpeg.org/download.html), in the install folder, beside vandrel.exe:$\r$\n$INSTDIR$\r$\n$\r$\n2. For Recording Mode $\"Desktop$\", the screen-capture filter from the free $\"Screen Capturer Recorder$\" (github.com/rdp/screen-capture-recorder-to-video-windows-free). Without it, choose $\"Desktop (built-in)$\" in Media Settings.$\r$\n$\r$\nThen start Vandrel from the Start menu."
!define MUI_FINISHPAGE_RUN "$INSTDIR\vandrel.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Vandrel now"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Open the install folder"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; A running copy holds vandrel.exe open. Asked, the user closes it through Vandrel's own Exit
; (which stops a running stream first); a silent setup ends it.
!macro CLOSE_RUNNING_COPY un
Function ${un}CloseRunningCopy
  StrCpy $3 0
  loop:
    FindWindow $0 "#32770" "${MAIN_TITLE}"
    StrCmp $0 0 done
    IntOp $3 $3 + 1
    IntCmp $3 5 0 0 fail
    IfSilent terminate
    MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION "Vandrel is running. Choose OK to close it (a running stream is stopped), or Cancel to leave Setup." IDOK ask
    Quit
  ask:
    System::Call 'user32::PostMessageW(p r0, i 0x111, p ${ID_TRAY_EXIT}, p 0)'
    StrCpy $4 0
  wait:
    Sleep 250
    IsWindow $0 0 loop
    IntOp $4 $4 + 1
    IntCmp $4 120 loop wait loop
  terminate:
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
    System::Call 'kernel32::OpenProcess(i 0x100001, i 0, i r1) p .r2'
    System::Call 'kernel32::TerminateProcess(p r2, i 1)'
    System::Call 'kernel32::WaitForSingleObject(p r2, i 5000)'
    System::Call 'kernel32::CloseHandle(p r2)'
    Goto loop
  fail:
    MessageBox MB_OK|MB_ICONSTOP "Vandrel is still running. Close it from its tray icon, then run Setup again." /SD IDOK
    Quit
  done:
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_COPY ""
!insertmacro CLOSE_RUNNING_COPY "un."

Section "Vandrel" SecMain
  SectionIn RO
  Call CloseRunningCopy
  SetOutPath "$INSTDIR"
  File "/oname=vandrel.exe" "${EXE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; The shortcut starts in the install folder: Vandrel finds ffmpeg.exe in its current folder.
  CreateShortCut "$SMPROGRAMS\Vandrel.lnk" "$INSTDIR\vandrel.exe" "" "$INSTDIR\vandrel.exe" 0
  DeleteRegValue HKCU "${RUN_KEY}" "Vandrel"

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "Vandrel"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\vandrel.exe,0"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "VersionMajor" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "VersionMinor" 38
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "Start Vandrel when I sign in" SecRun
  WriteRegStr HKCU "${RUN_KEY}" "Vandrel" '"$INSTDIR\vandrel.exe"'
SectionEnd

; The settings folder (%APPDATA%\Quillane\Vandrel) stays: a reinstall keeps servers and keys.
; So does an ffmpeg.exe the user put in the install folder, and with it the folder.
Section "Uninstall"
  Call un.CloseRunningCopy
  Delete "$INSTDIR\vandrel.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Vandrel.lnk"
  DeleteRegValue HKCU "${RUN_KEY}" "Vandrel"
  DeleteRegKey HKCU "${UNINST_KEY}"
SectionEnd
