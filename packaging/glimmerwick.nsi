; The Windows installer of the 32-bit VST 2 module, made by scripts/package with makensis:
;   makensis -DVERSION=1.0.11 -DDLL=glimmerwick.dll -DLICENSE=LICENSE -DOUTFILE=setup.exe
; It offers the usual VST 2 folder of 32-bit hosts (or a folder the user picks), writes an
; uninstaller and its entry under Add/Remove Programs, and runs silent with /S and /D=.
Unicode true
!include "MUI2.nsh"

!ifndef VERSION | DLL | LICENSE | OUTFILE
  !error "give -DVERSION=, -DDLL=, -DLICENSE= and -DOUTFILE="
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Glimmerwick"
; Named for the plug-in: the VST 2 folder holds other plug-ins and their uninstallers.
!define UNINSTALLER "Uninstall Glimmerwick.exe"

Name "Glimmerwick ${VERSION}"
OutFile "${OUTFILE}"
; A 32-bit module: $PROGRAMFILES is the 32-bit Program Files on 64-bit Windows too.
InstallDir "$PROGRAMFILES\VSTPlugins"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Glimmerwick"
VIAddVersionKey "CompanyName" "Tarnwell"
VIAddVersionKey "FileDescription" "Glimmerwick ${VERSION} (VST 2, 32-bit) installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "GNU General Public License, version 3 or later"

!define MUI_DIRECTORYPAGE_TEXT_TOP "Glimmerwick is a 32-bit VST 2 instrument. Install it into the folder your host scans for VST 2 plug-ins, then let the host rescan."
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Glimmerwick"
  SetOutPath "$INSTDIR"
  File "/oname=glimmerwick.dll" "${DLL}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Glimmerwick ${VERSION} (VST 2)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Tarnwell"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The editor's preferences under HKEY_CURRENT_USER\com.tarnwell.glimmerwick are the user's
; and stay, as do the hosts' sessions.
Section "Uninstall"
  Delete "$INSTDIR\glimmerwick.dll"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Removed only when empty: other plug-ins may live there.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
