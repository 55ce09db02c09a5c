; The setup program of Klangor for 64-bit Windows (NSIS 3, Unicode). Made by
; tools/windows/build.sh:
;   makensis -DVERSION=2.6.0 -DPACKAGE=<folder with klangor.exe> -DICON=<klangor.ico>
;            -DOUTFILE=<setup.exe> klangor.nsi
; Installs klangor.exe under Program Files, a Start-menu shortcut for all users and an
; uninstaller registered in Add/Remove Programs. The uninstaller removes exactly that, and the
; user's settings (HKCU\Vostrel\klangor2) only when asked: it asks, or takes /REMOVESETTINGS
; when run silently (/S).

; A 64-bit setup program for a 64-bit program: it also runs under a 64-bit-only wine.
Target amd64-unicode
!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh

!define PRODUCT "Klangor"
!define MAKER "Vostrel"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Klangor"
!define SETTINGS_KEY "Vostrel\klangor2"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}.0"
VIAddVersionKey /LANG=1033 "CompanyName" "${MAKER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${MAKER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\klangor.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Turkish"

LangString NeedsX64 ${LANG_ENGLISH} "Klangor needs 64-bit Windows."
LangString NeedsX64 ${LANG_TURKISH} "Klangor 64 bit Windows gerektirir."
LangString RemoveSettings ${LANG_ENGLISH} "Remove your Klangor settings too?"
LangString RemoveSettings ${LANG_TURKISH} "Klangor ayarlarınız da silinsin mi?"

Function .onInit
    ${IfNot} ${RunningX64}
        MessageBox MB_ICONSTOP|MB_OK "$(NeedsX64)" /SD IDOK
        Abort
    ${EndIf}
    SetRegView 64
    !insertmacro MUI_LANGDLL_DISPLAY
FunctionEnd

Section "Klangor" SecMain
    SectionIn RO
    SetOutPath "$INSTDIR"
    File "${PACKAGE}\klangor.exe"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    SetShellVarContext all
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\klangor.exe" "" "$INSTDIR\klangor.exe" 0

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${MAKER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\klangor.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Function un.onInit
    SetRegView 64
    !insertmacro MUI_UNGETLANGUAGE
FunctionEnd

Section "Uninstall"
    ; Only what the setup program put there; the folder goes only when nothing else is left in it.
    Delete "$INSTDIR\klangor.exe"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    SetShellVarContext all
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"

    ; The user's settings stay unless asked for; silently, /REMOVESETTINGS asks.
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/REMOVESETTINGS" $1
    ${If} ${Errors}
        ${If} ${Silent}
            Return
        ${EndIf}
        MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$(RemoveSettings)" /SD IDNO IDYES remove
        Return
    ${EndIf}
remove:
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "Vostrel"
SectionEnd
