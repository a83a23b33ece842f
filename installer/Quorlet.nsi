; Quorlet's installer: per-machine, into Program Files.
;
; On 64-bit Windows the x64 Quorlet.exe and Brindle0200.dll go to the 64-bit
; Program Files folder and the x86 Brindle0200.dll to the 32-bit one, for the
; family's 32-bit programs and scripts. On 32-bit Windows the x86 files only.
;
; makensis -DSRC=<checkout> -DX64_BIN=<dir> -DX86_BIN=<dir> -DICON=<ico>
;          -DOUTDIR=<dir> [-DSIGN=<command>] installer/Quorlet.nsi
; (installer/make-installer.sh passes these.)

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin
; Installed files get the time they are installed, not the build's: the same
; binaries make the same installer.
SetDateSave off

!include MUI2.nsh
!include x64.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!ifndef SRC | X64_BIN | X86_BIN | ICON | OUTDIR
  !error "SRC, X64_BIN, X86_BIN, ICON and OUTDIR must be defined"
!endif

; The version block of Quorlet.exe takes its numbers from here too.
!define IDENTITY "${SRC}/generator/app_identity.h"
!searchparse /file "${IDENTITY}" `#define QUORLET_VERSION_TEXT "` VERSION_TEXT `"`
!searchparse /file "${IDENTITY}" `#define QUORLET_TITLE_TEXT "` TITLE `"`
!searchparse /file "${IDENTITY}" `#define QUORLET_DESCRIPTION_TEXT "` DESCRIPTION `"`
!searchparse /file "${IDENTITY}" `#define QUORLET_COMPANY_TEXT "` COMPANY `"`
!searchparse /file "${IDENTITY}" `#define QUORLET_PRODUCT_TEXT "` PRODUCT `"`
!searchparse /file "${IDENTITY}" `#define QUORLET_MAJOR ` MAJOR
!searchparse /file "${IDENTITY}" `#define QUORLET_MINOR ` MINOR
!searchparse /file "${IDENTITY}" `#define QUORLET_REVISION ` REVISION

; The uninstaller is signed before it is embedded, like everything shipped.
!ifdef SIGN
  !uninstfinalize '"${SIGN}" "%1"'
!endif

!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvane Quorlet"
!define WINDOW_CLASS "OrvaneQuorletMain"
!define SHORTCUT "$SMPROGRAMS\Quorlet.lnk"

Name "${DESCRIPTION}"
OutFile "${OUTDIR}/Quorlet-${VERSION_TEXT}-setup.exe"
InstallDir "$PROGRAMFILES\Orvane"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${MAJOR}.${MINOR}.0.${REVISION}"
VIFileVersion "${MAJOR}.${MINOR}.0.${REVISION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Russian"
!insertmacro MUI_LANGUAGE "English"

VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${DESCRIPTION} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION_TEXT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION_TEXT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${COMPANY}"

LangString NeedAdmin ${LANG_RUSSIAN} "Для установки и удаления ${DESCRIPTION} нужны права администратора."
LangString NeedAdmin ${LANG_ENGLISH} "Installing or removing ${DESCRIPTION} needs administrator rights."
LangString InUse ${LANG_RUSSIAN} "Quorlet или другая программа использует файл$\r$\n$R9$\r$\nЗакройте её и запустите программу снова. Ничего не изменено."
LangString InUse ${LANG_ENGLISH} "Quorlet or another program is using$\r$\n$R9$\r$\nClose it and run this program again. Nothing was changed."
LangString Running ${LANG_RUSSIAN} "Quorlet запущен. Закройте его и запустите программу снова. Ничего не изменено."
LangString Running ${LANG_ENGLISH} "Quorlet is running. Close it and run this program again. Nothing was changed."
LangString RegFailed ${LANG_RUSSIAN} "Не удалось зарегистрировать $R9. Установка отменена, установленные файлы удалены."
LangString RegFailed ${LANG_ENGLISH} "Could not register $R9. Setup was cancelled and the files it installed were removed."

; Folder of the x86 Brindle0200.dll beside the 64-bit install; empty on
; 32-bit Windows, where everything is in $INSTDIR.
Var Dir32

; Exit codes a silent caller sees for a refusal.
!define EXIT_IN_USE 32        ; ERROR_SHARING_VIOLATION
!define EXIT_NOT_ADMIN 740    ; ERROR_ELEVATION_REQUIRED
!define EXIT_REGISTRATION 3

; ---- Shared between installer and uninstaller (prefix "" or "un.")

!macro CommonFunctions un
  ; Chooses the folders and the registry view; refuses, before anything is
  ; touched, without administrator rights or while the files are in use.
  Function ${un}Prepare
    SetShellVarContext all
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "admin"
      MessageBox MB_ICONSTOP|MB_OK "$(NeedAdmin)" /SD IDOK
      SetErrorLevel ${EXIT_NOT_ADMIN}
      Quit
    ${EndIf}
    ${If} ${RunningX64}
      SetRegView 64
      StrCpy $INSTDIR "$PROGRAMFILES64\Orvane"
      StrCpy $Dir32 "$PROGRAMFILES32\Orvane"
    ${Else}
      StrCpy $INSTDIR "$PROGRAMFILES\Orvane"
      StrCpy $Dir32 ""
    ${EndIf}
    FindWindow $0 "${WINDOW_CLASS}"
    ${If} $0 <> 0
      MessageBox MB_ICONSTOP|MB_OK "$(Running)" /SD IDOK
      SetErrorLevel ${EXIT_IN_USE}
      Quit
    ${EndIf}
    Push "$INSTDIR\Quorlet.exe"
    Call ${un}RefuseIfInUse
    Push "$INSTDIR\Brindle0200.dll"
    Call ${un}RefuseIfInUse
    ${If} $Dir32 != ""
      Push "$Dir32\Brindle0200.dll"
      Call ${un}RefuseIfInUse
    ${EndIf}
  FunctionEnd

  ; A running program or a loaded DLL cannot be opened for writing: that is
  ; the file a replacement or a deletion would fail on half-way.
  Function ${un}RefuseIfInUse
    Exch $R9
    ${If} ${FileExists} "$R9"
      ClearErrors
      FileOpen $0 "$R9" a
      ${If} ${Errors}
        MessageBox MB_ICONSTOP|MB_OK "$(InUse)" /SD IDOK
        SetErrorLevel ${EXIT_IN_USE}
        Quit
      ${EndIf}
      FileClose $0
    ${EndIf}
    Pop $R9
  FunctionEnd

  ; Unregisters both DLLs and removes every file and shortcut setup adds.
  Function ${un}RemoveInstalled
    ${If} ${RunningX64}
      ${If} ${FileExists} "$INSTDIR\Brindle0200.dll"
        ${DisableX64FSRedirection}
        ExecWait '"$SYSDIR\regsvr32.exe" /s /u "$INSTDIR\Brindle0200.dll"'
        ${EnableX64FSRedirection}
      ${EndIf}
      ${If} ${FileExists} "$Dir32\Brindle0200.dll"
        UnRegDLL "$Dir32\Brindle0200.dll"
      ${EndIf}
      Delete "$Dir32\Brindle0200.dll"
      RMDir "$Dir32"
    ${ElseIf} ${FileExists} "$INSTDIR\Brindle0200.dll"
      UnRegDLL "$INSTDIR\Brindle0200.dll"
    ${EndIf}
    Delete "$INSTDIR\Brindle0200.dll"
    Delete "$INSTDIR\Quorlet.exe"
    Delete "$INSTDIR\Quorlet-ReadMe.txt"
    Delete "${SHORTCUT}"
  FunctionEnd
!macroend
!insertmacro CommonFunctions ""
!insertmacro CommonFunctions "un."

; A failed registration takes back what this run installed: no half state.
!macro RollBackIfFailed what
  ${If} ${Errors}
    StrCpy $R9 "${what}"
    MessageBox MB_ICONSTOP|MB_OK "$(RegFailed)" /SD IDOK
    Call RemoveInstalled
    Delete "$INSTDIR\Uninstall.exe"
    DeleteRegKey HKLM "${UNINST_KEY}"
    RMDir "$INSTDIR"
    SetErrorLevel ${EXIT_REGISTRATION}
    Abort
  ${EndIf}
!macroend

Function .onInit
  Call Prepare
FunctionEnd

Function un.onInit
  Call un.Prepare
FunctionEnd

Section "Quorlet"
  SetOverwrite on
  SetOutPath "$INSTDIR"
  ${If} ${RunningX64}
    File "${X64_BIN}/Quorlet.exe"
    File "${X64_BIN}/Brindle0200.dll"
    SetOutPath "$Dir32"
    File "${X86_BIN}/Brindle0200.dll"
    SetOutPath "$INSTDIR"
  ${Else}
    File "${X86_BIN}/Quorlet.exe"
    File "${X86_BIN}/Brindle0200.dll"
  ${EndIf}
  File "${SRC}/generator/Quorlet-ReadMe.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; Each DLL registered in a process of its own bitness: the x64 one by the
  ; 64-bit regsvr32, the x86 one inside this 32-bit process (what the 32-bit
  ; regsvr32 would do, without starting another process).
  ${If} ${RunningX64}
    ClearErrors
    ${DisableX64FSRedirection}
    ExecWait '"$SYSDIR\regsvr32.exe" /s "$INSTDIR\Brindle0200.dll"' $0
    ${EnableX64FSRedirection}
    ${IfNot} ${Errors}
    ${AndIf} $0 <> 0
      SetErrors
    ${EndIf}
    !insertmacro RollBackIfFailed "$INSTDIR\Brindle0200.dll"
    ClearErrors
    RegDLL "$Dir32\Brindle0200.dll"
    !insertmacro RollBackIfFailed "$Dir32\Brindle0200.dll"
  ${Else}
    ClearErrors
    RegDLL "$INSTDIR\Brindle0200.dll"
    !insertmacro RollBackIfFailed "$INSTDIR\Brindle0200.dll"
  ${EndIf}

  CreateShortcut "${SHORTCUT}" "$INSTDIR\Quorlet.exe" "" "$INSTDIR\Quorlet.exe" 0

  ${GetSize} "$INSTDIR" "/S=0K /G=0" $0 $1 $2
  ${If} $Dir32 != ""
    ${GetSize} "$Dir32" "/M=Brindle0200.dll /S=0K /G=0" $1 $2 $3
    IntOp $0 $0 + $1
  ${EndIf}
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${TITLE}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION_TEXT}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${COMPANY}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Quorlet.exe,0"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINST_KEY}" "VersionMajor" ${MAJOR}
  WriteRegDWORD HKLM "${UNINST_KEY}" "VersionMinor" ${MINOR}
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
SectionEnd

; The user's settings under HKCU\Software\Larkspur Forge\Orvane stay.
Section "Uninstall"
  Call un.RemoveInstalled
  Delete "$INSTDIR\Uninstall.exe"
  DeleteRegKey HKLM "${UNINST_KEY}"
  RMDir "$INSTDIR"
SectionEnd
