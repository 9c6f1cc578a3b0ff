; Setup of the Cordelune 3D Screensaver: one installer for 32- and 64-bit
; Windows. It puts the matching Cordelune.scr into the system folder (the
; real System32 on 64-bit Windows), can make it the current user's
; screensaver, and registers an uninstaller with Add/Remove Programs.
;
; Built by scripts/make-dist, which defines:
;   VERSION     the project version, three numbers (1.0.0)
;   X86_SCR     the 32-bit Cordelune.scr, X86_KB its size in KiB
;   X64_SCR     the 64-bit Cordelune.scr, X64_KB its size in KiB
;   DOCS        a folder with README.txt and licenses\*.txt
;   ICON        the saver's icon
;   RES         the resource folder (product name, maker and copyright lines)
;   OUTFILE     the installer to write
; and optionally LICENSE_FILE (shown as a licence page), COMPRESSOR and
; TARGET. The shipped installer is a 32-bit program, so that it runs on every
; Windows; TARGET=amd64-unicode makes a 64-bit one, only for testing on
; machines that cannot run 32-bit programs.
;
; Command line: /S installs silently (the screensaver option stays on). The
; uninstaller takes /S, and /REMOVESETTINGS to remove the user's settings too.

!ifdef TARGET
  Target ${TARGET}
!else
  Unicode true
!endif
!ifndef COMPRESSOR
  !define COMPRESSOR "/SOLID lzma"
!endif
SetCompressor ${COMPRESSOR}

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh
!include Sections.nsh

; The same lines as the version resources of the saver and its audio library.
!searchparse /file "${RES}/VersionStrings.h" `#define CORDELUNE_PRODUCT "` PRODUCT `"`
!searchparse /file "${RES}/VersionStrings.h" `#define CORDELUNE_COMPANY "` COMPANY `"`
!searchparse /file "${RES}/VersionStrings.h" `#define CORDELUNE_COPYRIGHT "` COPYRIGHT `"`

!define SCR "Cordelune.scr"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
; The saver's own settings key (HKCU) and its maker's key above it.
!define SETTINGS_PARENT "Software\Brightvane"
!define SETTINGS_KEY "${SETTINGS_PARENT}\Cordelune 3D Screensaver"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATEINIFILE_SENDCHANGE 3

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
ManifestDPIAware true
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!define MUI_WELCOMEPAGE_TEXT "This will install ${PRODUCT} ${VERSION} on your computer.$\r$\n$\r$\nThe screensaver goes into the Windows system folder, where the Screen Saver Settings find it. Setup needs administrator rights for that.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!ifdef LICENSE_FILE
  !insertmacro MUI_PAGE_LICENSE "${LICENSE_FILE}"
!endif
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Open the Screen Saver Settings"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenScreenSaverSettings
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the README"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${COPYRIGHT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "OriginalFilename" "CordeluneSetup-${VERSION}.exe"

; --- helpers ------------------------------------------------------------------

; A 32-bit installer sees SysWOW64 as $SYSDIR on 64-bit Windows; the saver
; belongs in the real System32, where 64-bit Windows looks for screensavers.
!macro SystemFolderBegin
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
  ${EndIf}
!macroend
!macro SystemFolderEnd
  ${If} ${RunningX64}
    ${EnableX64FSRedirection}
  ${EndIf}
!macroend

; Registry keys of HKLM in the machine's own view, so that the Uninstall
; entry and the saver live on the same (64-bit) side.
!macro UseNativeRegistryView
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
!macroend

; Without UAC (or with it switched off) the request for administrator rights
; is not enforced: say so instead of failing half-way in the system folder.
!macro RequireAdministrator
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_OK|MB_ICONSTOP "Administrator rights are needed: ${PRODUCT} lives in the Windows system folder." /SD IDOK
    SetErrorLevel 740  ; ERROR_ELEVATION_REQUIRED
    Quit
  ${EndIf}
!macroend

; --- install --------------------------------------------------------------------

Section "${PRODUCT}" SecSaver
  SectionIn RO
  !insertmacro SystemFolderBegin
  SetOutPath "$SYSDIR"
  ${If} ${RunningX64}
    File "/oname=${SCR}" "${X64_SCR}"
  ${Else}
    File "/oname=${SCR}" "${X86_SCR}"
  ${EndIf}
  ${GetSize} "$SYSDIR" "/M=${SCR} /S=0K /G=0" $1 $2 $3
  !insertmacro SystemFolderEnd

  SetOutPath "$INSTDIR"
  File "${DOCS}/README.txt"
  !ifdef LICENSE_FILE
    File "/oname=LICENSE.txt" "${LICENSE_FILE}"
  !endif
  SetOutPath "$INSTDIR\licenses"
  File "${DOCS}/licenses/*.txt"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ${GetSize} "$INSTDIR" "/S=0K" $4 $2 $3
  IntOp $1 $1 + $4

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SYSDIR\${SCR},0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Use Cordelune as my screensaver" SecActivate
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SYSDIR\${SCR}"
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
  ; Tells the running session, not only the registry.
  System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_UPDATEINIFILE_SENDCHANGE})'
  DetailPrint "Cordelune is now your screensaver."
SectionEnd

; After the sections, whose numbers it uses.
Function .onInit
  !insertmacro RequireAdministrator
  !insertmacro UseNativeRegistryView
  ; /D= wins; otherwise an earlier installation's folder, so an upgrade
  ; replaces it in place.
  ${If} $INSTDIR == ""
    ReadRegStr $INSTDIR HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${EndIf}
  ${If} $INSTDIR == ""
    ${If} ${RunningX64}
      StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
    ${Else}
      StrCpy $INSTDIR "$PROGRAMFILES\${PRODUCT}"
    ${EndIf}
  ${EndIf}
  ; Space required: the one build this Windows gets, not both.
  SectionGetSize ${SecSaver} $0
  ${If} ${RunningX64}
    IntOp $0 $0 - ${X86_KB}
  ${Else}
    IntOp $0 $0 - ${X64_KB}
  ${EndIf}
  SectionSetSize ${SecSaver} $0
FunctionEnd

; The 64-bit Control Panel lists the 64-bit system folder's savers.
Function OpenScreenSaverSettings
  !insertmacro SystemFolderBegin
  Exec '"$SYSDIR\control.exe" desk.cpl,,@screensaver'
  !insertmacro SystemFolderEnd
FunctionEnd

; --- uninstall --------------------------------------------------------------------

; $0: a SCRNSAVE.EXE value. $1 = 1 when it names the installed saver, in any
; spelling (letter case, environment variables, short 8.3 names).
Function un.NamesOurSaver
  StrCpy $1 0
  ${If} $0 == ""
    Return
  ${EndIf}
  ExpandEnvStrings $0 $0
  ${If} $0 == "$SYSDIR\${SCR}"
    StrCpy $1 1
    Return
  ${EndIf}
  !insertmacro SystemFolderBegin
  System::Call 'kernel32::GetLongPathNameW(w r0, w .r2, i ${NSIS_MAX_STRLEN}) i .r3'
  !insertmacro SystemFolderEnd
  ${If} $3 > 0
  ${AndIf} $2 == "$SYSDIR\${SCR}"
    StrCpy $1 1
  ${EndIf}
FunctionEnd

Section "un.${PRODUCT}" UnSecSaver
  SectionIn RO
  ; Still the user's screensaver: switch the screensaver off rather than
  ; leave it naming a file that is gone. Another choice stays as it is.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  Call un.NamesOurSaver
  ${If} $1 = 1
    DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 0, p 0, i ${SPIF_UPDATEINIFILE_SENDCHANGE})'
    DetailPrint "The screensaver is switched off."
  ${EndIf}

  !insertmacro SystemFolderBegin
  Delete /REBOOTOK "$SYSDIR\${SCR}"
  !insertmacro SystemFolderEnd

  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\licenses\*.txt"
  RMDir "$INSTDIR\licenses"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd

Section /o "un.Also remove my settings" UnSecSettings
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "${SETTINGS_PARENT}"
SectionEnd

; The entry goes last: while it is there, the uninstall is not finished.
Section "-un.Entry"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

; After the sections, whose numbers it uses.
Function un.onInit
  !insertmacro RequireAdministrator
  !insertmacro UseNativeRegistryView
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${UnSecSettings} ${SF_SELECTED}
  ${EndIf}
FunctionEnd
