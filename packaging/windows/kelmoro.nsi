; The installer of Kelmoro for 64-bit Windows, made by makensis with
;   -DVERSION=2.1.0 -DOUTFILE=... -DKELMORO_EXE=... -DKELMORO_CLI_EXE=...
;   -DLICENSE_TXT=... -DREADME_TXT=...
; It installs both programs into Program Files for every user, with a Start
; menu entry, an entry in the installed-programs list with the uninstaller,
; and "Convert to AU" in Explorer's context menu of .wav files. The verb is
; registered for the extension itself (SystemFileAssociations), so whatever
; program opens .wav files keeps doing so. /S installs and uninstalls without
; a window. The uninstaller removes all of it again; the settings each user's
; kelmoro.exe kept in that user's registry stay.
Target amd64-unicode
!include MUI2.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kelmoro"
!define WAV_VERB_KEY "Software\Classes\SystemFileAssociations\.wav\shell\Kelmoro.ConvertToAU"

Name "Kelmoro"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Kelmoro"
; Installed before: the same folder again.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestDPIAware true
ManifestLongPathAware true

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "Kelmoro"
VIAddVersionKey /LANG=0 "FileDescription" "Kelmoro Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "The Kelmoro developers, MIT License"

!define MUI_ICON "${KELMORO_ICO}"
!define MUI_UNICON "${KELMORO_ICO}"
!insertmacro MUI_PAGE_LICENSE "${LICENSE_TXT}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The system's language when it is one of these, else the first.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

Section "Kelmoro"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "/oname=kelmoro.exe" "${KELMORO_EXE}"
  File "/oname=kelmoro-cli.exe" "${KELMORO_CLI_EXE}"
  File "/oname=LICENSE.txt" "${LICENSE_TXT}"
  File "/oname=README.txt" "${README_TXT}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortCut "$SMPROGRAMS\Kelmoro.lnk" "$INSTDIR\kelmoro.exe"

  WriteRegStr HKLM "${WAV_VERB_KEY}" "" "Convert to AU"
  WriteRegStr HKLM "${WAV_VERB_KEY}" "Icon" "$INSTDIR\kelmoro.exe"
  WriteRegStr HKLM "${WAV_VERB_KEY}\command" "" '"$INSTDIR\kelmoro.exe" "%1"'

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Kelmoro"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Kelmoro developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kelmoro.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Kelmoro.lnk"
  DeleteRegKey HKLM "${WAV_VERB_KEY}"
  ; The keys above it only if the verb was all they held.
  DeleteRegKey /ifempty HKLM "Software\Classes\SystemFileAssociations\.wav\shell"
  DeleteRegKey /ifempty HKLM "Software\Classes\SystemFileAssociations\.wav"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\kelmoro.exe"
  Delete "$INSTDIR\kelmoro-cli.exe"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  ; Only if empty: files the user put there stay.
  RMDir "$INSTDIR"
SectionEnd
