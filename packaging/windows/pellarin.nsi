; The Pellarin installer: everything of the program's folder into Program Files, a Start-menu
; entry with the program's icon, "open with" for scans, and an uninstaller listed in Apps &
; features. /S installs silently. Made by `make windows` with -DVERSION, -DSTAGE (the folder), -DICON, -DOUTFILE.
; A 64-bit installer for a 64-bit program: it runs where the program runs, without 32-bit support.
Target amd64-unicode
!include "MUI2.nsh"

!define APP "Pellarin"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"
; "Open with" on scans of filled sheets: Pellarin opens them in its marking window. It is offered
; beside the usual program, never put in its place.
!define OPEN_WITH "Software\Classes\Applications\pellarin.exe"
!macro OfferFor EXT
    WriteRegStr HKLM "${OPEN_WITH}\SupportedTypes" "${EXT}" ""
    WriteRegStr HKLM "Software\Classes\${EXT}\OpenWithList\pellarin.exe" "" ""
!macroend
!macro WithdrawFrom EXT
    DeleteRegKey HKLM "Software\Classes\${EXT}\OpenWithList\pellarin.exe"
!macroend

Name "${APP} 口算题 ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${APP}"
InstallDirRegKey HKLM "Software\${APP}" "InstallDir"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
; No file times in the installer: the same files give the same bytes.
SetDateSave off

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

Function .onInit
    SetRegView 64
FunctionEnd

Section "Pellarin"
    SetOutPath "$INSTDIR"
    File /r "${STAGE}\*.*"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    SetShellVarContext all
    CreateShortcut "$SMPROGRAMS\Pellarin 口算题.lnk" "$INSTDIR\pellarin.exe" "" "$INSTDIR\pellarin.exe" 0
    WriteRegStr HKLM "Software\${APP}" "InstallDir" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Pellarin 口算题"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Pellarin developers"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\pellarin.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    WriteRegStr HKLM "${OPEN_WITH}" "FriendlyAppName" "Pellarin 口算题（批改纸质试卷）"
    WriteRegStr HKLM "${OPEN_WITH}\shell\open\command" "" '"$INSTDIR\pellarin.exe" "%1"'
    !insertmacro OfferFor ".pdf"
    !insertmacro OfferFor ".png"
    !insertmacro OfferFor ".jpg"
    !insertmacro OfferFor ".jpeg"
SectionEnd

Function un.onInit
    SetRegView 64
FunctionEnd

Section "Uninstall"
    SetShellVarContext all
    Delete "$SMPROGRAMS\Pellarin 口算题.lnk"
    RMDir /r "$INSTDIR\platforms"
    RMDir /r "$INSTDIR\styles"
    RMDir /r "$INSTDIR\imageformats"
    RMDir /r "$INSTDIR\translations"
    RMDir /r "$INSTDIR\licenses"
    Delete "$INSTDIR\*.exe"
    Delete "$INSTDIR\*.dll"
    Delete "$INSTDIR\qt.conf"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    DeleteRegKey HKLM "Software\${APP}"
    DeleteRegKey HKLM "${OPEN_WITH}"
    !insertmacro WithdrawFrom ".pdf"
    !insertmacro WithdrawFrom ".png"
    !insertmacro WithdrawFrom ".jpg"
    !insertmacro WithdrawFrom ".jpeg"
SectionEnd
