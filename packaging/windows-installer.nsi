; SPDX-License-Identifier: GPL-2.0-or-later
; The Windows installer of Fyrel, made by makensis from the parts tools/windows-stage lays out
; (tools/windows-installer runs it):
;   makensis -DSTAGE=<staged parts> -DVERSION=<x.y.z> -DOUTFILE=<installer.exe> windows-installer.nsi
; The user picks the parts; each goes where its host looks. Where a host's folder is not found
; in the registry, the host's default folder is taken; the host plug-in's folders are the
; user's choice (pages of their own, or /HOST32DIR= and /HOST64DIR= on a silent run; likewise
; /OBSDIR=, /SHOTCUTDIR=, /KDENLIVEDIR=). Every folder used is written into the uninstall key,
; and the uninstaller removes exactly the files installed there, and each folder it made as long
; as it is empty.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh
!include WordFunc.nsh
!include WinMessages.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Fyrel"
!define ENVIRONMENT_KEY "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"

Name "ZEL Fyrel ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Fyrel"
BrandingText "ZEL Fyrel ${VERSION}"

Var Host32Dir
Var Host64Dir
Var ObsDir
Var ShotcutDir
Var KdenliveDir

!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY

!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipHost32Page
!define MUI_DIRECTORYPAGE_VARIABLE $Host32Dir
!define MUI_DIRECTORYPAGE_TEXT_TOP "Choose the Plug-ins folder of your 32-bit host (the folder named Plug-ins in its installation). Fyrel.aex goes there."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "Plug-ins folder of the 32-bit host"
!insertmacro MUI_PAGE_DIRECTORY

!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipHost64Page
!define MUI_DIRECTORYPAGE_VARIABLE $Host64Dir
!define MUI_DIRECTORYPAGE_TEXT_TOP "Choose the Plug-ins folder of your 64-bit host (the folder named Plug-ins in its installation). Fyrel.aex goes there."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "Plug-ins folder of the 64-bit host"
!insertmacro MUI_PAGE_DIRECTORY

!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; A folder from the command line (/NAME=folder) or, without it, the registry's value or the
; default. ${FolderOption} <var> </NAME=> <default>
!macro FolderOption var option default
  ClearErrors
  ${GetOptions} $R9 "${option}" ${var}
  ${If} ${Errors}
  ${OrIf} ${var} == ""
    StrCpy ${var} "${default}"
  ${EndIf}
!macroend
!define FolderOption "!insertmacro FolderOption"

; Removes the folders from `leaf` up to `top`, each only if it is empty, which leaves every
; folder that holds something else. ${RemoveEmptyUpTo} <leaf> <top>
!macro RemoveEmptyUpTo leaf top
  Push "${top}"
  Push "${leaf}"
  Call un.RemoveEmptyUpTo
!macroend
!define RemoveEmptyUpTo "!insertmacro RemoveEmptyUpTo"

Function .onInit
  SetRegView 64
  ${GetParameters} $R9
  ReadRegStr $0 HKLM "Software\OBS Studio" ""
  ${If} $0 == ""
    StrCpy $0 "$PROGRAMFILES64\obs-studio"
  ${EndIf}
  ${FolderOption} $ObsDir "/OBSDIR=" $0
  ${FolderOption} $ShotcutDir "/SHOTCUTDIR=" "$PROGRAMFILES64\Shotcut"
  ${FolderOption} $KdenliveDir "/KDENLIVEDIR=" "$PROGRAMFILES64\kdenlive"
  ${FolderOption} $Host32Dir "/HOST32DIR=" "$INSTDIR\Plug-ins for 32-bit hosts"
  ${FolderOption} $Host64Dir "/HOST64DIR=" "$INSTDIR\Plug-ins for 64-bit hosts"
FunctionEnd

Section "-Fyrel" SecCore
  SectionIn RO
  SetRegView 64
  SetOutPath "$INSTDIR"
  File "${STAGE}\LICENSE.txt"
  File "${STAGE}\NOTICES.txt"
  File "${STAGE}\INSTALL.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "ZEL Fyrel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "ZEL"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Plug-in for 32-bit hosts" SecHost32
  SetOutPath "$Host32Dir"
  File "${STAGE}\32-bit hosts\Fyrel.aex"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Host32Dir" "$Host32Dir"
SectionEnd

Section "Plug-in for 64-bit hosts" SecHost64
  SetOutPath "$Host64Dir"
  File "${STAGE}\64-bit hosts\Fyrel.aex"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Host64Dir" "$Host64Dir"
SectionEnd

Section "OpenFX (grading and editing programs)" SecOfx
  SetOutPath "$COMMONFILES64\OFX\Plugins\Fyrel.ofx.bundle\Contents\Win64"
  File "${STAGE}\OpenFX\Fyrel.ofx.bundle\Contents\Win64\Fyrel.ofx"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "OfxDir" "$COMMONFILES64\OFX\Plugins"
SectionEnd

Section "OBS Studio" SecObs
  SetOutPath "$ObsDir\obs-plugins\64bit"
  File "${STAGE}\OBS Studio\obs-plugins\64bit\fyrel-obs.dll"
  SetOutPath "$ObsDir\data\obs-plugins\fyrel-obs"
  File /r "${STAGE}\OBS Studio\data\obs-plugins\fyrel-obs\*"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "ObsDir" "$ObsDir"
SectionEnd

Section "frei0r filter for Shotcut" SecShotcut
  SetOutPath "$ShotcutDir\lib\frei0r-1"
  File "${STAGE}\Shotcut\lib\frei0r-1\fyrel.dll"
  SetOutPath "$ShotcutDir\share\shotcut\qml\filters\fyrel"
  File "${STAGE}\Shotcut\share\shotcut\qml\filters\fyrel\meta.qml"
  File "${STAGE}\Shotcut\share\shotcut\qml\filters\fyrel\ui.qml"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "ShotcutDir" "$ShotcutDir"
SectionEnd

Section "frei0r filter for Kdenlive" SecKdenlive
  SetOutPath "$KdenliveDir\lib\frei0r-1"
  File "${STAGE}\Kdenlive\lib\frei0r-1\fyrel.dll"
  SetOutPath "$KdenliveDir\bin\data\kdenlive\effects"
  File "${STAGE}\Kdenlive\bin\data\kdenlive\effects\frei0r_fyrel.xml"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "KdenliveDir" "$KdenliveDir"
SectionEnd

Section "Command-line renderer (on the PATH)" SecCli
  SetOutPath "$INSTDIR\bin"
  File "${STAGE}\command line\64-bit\fyrel.exe"
  ReadRegStr $0 HKLM "${ENVIRONMENT_KEY}" "Path"
  ${WordReplace} ";$0;" ";$INSTDIR\bin;" "" "+" $1
  ${If} $1 == ";$0;"  ; not on the PATH yet
    ${If} $0 == ""
      WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$INSTDIR\bin"
    ${Else}
      WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$0;$INSTDIR\bin"
    ${EndIf}
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
  ${EndIf}
  WriteRegStr HKLM "${UNINSTALL_KEY}" "CliDir" "$INSTDIR\bin"
SectionEnd

Section "-Size"
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The host plug-in's folder pages only for the parts picked.
Function SkipHost32Page
  ${IfNot} ${SectionIsSelected} ${SecHost32}
    Abort
  ${EndIf}
FunctionEnd

Function SkipHost64Page
  ${IfNot} ${SectionIsSelected} ${SecHost64}
    Abort
  ${EndIf}
FunctionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecHost32} "Fyrel.aex for hosts that run as 32-bit programs, into the Plug-ins folder you choose."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecHost64} "Fyrel.aex for hosts that run as 64-bit programs, into the Plug-ins folder you choose."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecOfx} "Fyrel.ofx.bundle into the common OpenFX folder (Common Files\OFX\Plugins), where every OpenFX host looks."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecObs} "The video filter Fyrel, into OBS Studio's obs-plugins\64bit folder, its data beside."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecShotcut} "fyrel.dll into Shotcut's lib\frei0r-1 folder, with the filter's description."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecKdenlive} "fyrel.dll into Kdenlive's lib\frei0r-1 folder, with the effect's description."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecCli} "fyrel.exe, which renders the fire without a host, in a folder added to the PATH."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function un.onInit
  SetRegView 64
FunctionEnd

Function un.RemoveEmptyUpTo
  Exch $0  ; the leaf
  Exch
  Exch $1  ; the top
  ${Do}
    RMDir "$0"
    ${If} $0 == $1
      ${Break}
    ${EndIf}
    ${GetParent} "$0" $0
    ${If} $0 == ""
      ${Break}
    ${EndIf}
  ${Loop}
  Pop $1
  Pop $0
FunctionEnd

Section "Uninstall"
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "Host32Dir"
  ${If} $0 != ""
    Delete "$0\Fyrel.aex"
    ${RemoveEmptyUpTo} "$0" "$0"
  ${EndIf}
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "Host64Dir"
  ${If} $0 != ""
    Delete "$0\Fyrel.aex"
    ${RemoveEmptyUpTo} "$0" "$0"
  ${EndIf}
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "OfxDir"
  ${If} $0 != ""
    Delete "$0\Fyrel.ofx.bundle\Contents\Win64\Fyrel.ofx"
    ${GetParent} "$0" $1
    ${RemoveEmptyUpTo} "$0\Fyrel.ofx.bundle\Contents\Win64" "$1"
  ${EndIf}
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "ObsDir"
  ${If} $0 != ""
    Delete "$0\obs-plugins\64bit\fyrel-obs.dll"
    ; The module's data folder is the module's alone, named after it.
    RMDir /r "$0\data\obs-plugins\fyrel-obs"
    ${RemoveEmptyUpTo} "$0\obs-plugins\64bit" "$0"
    ${RemoveEmptyUpTo} "$0\data\obs-plugins" "$0"
  ${EndIf}
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "ShotcutDir"
  ${If} $0 != ""
    Delete "$0\lib\frei0r-1\fyrel.dll"
    Delete "$0\share\shotcut\qml\filters\fyrel\meta.qml"
    Delete "$0\share\shotcut\qml\filters\fyrel\ui.qml"
    ${RemoveEmptyUpTo} "$0\lib\frei0r-1" "$0"
    ${RemoveEmptyUpTo} "$0\share\shotcut\qml\filters\fyrel" "$0"
  ${EndIf}
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "KdenliveDir"
  ${If} $0 != ""
    Delete "$0\lib\frei0r-1\fyrel.dll"
    Delete "$0\bin\data\kdenlive\effects\frei0r_fyrel.xml"
    ${RemoveEmptyUpTo} "$0\lib\frei0r-1" "$0"
    ${RemoveEmptyUpTo} "$0\bin\data\kdenlive\effects" "$0"
  ${EndIf}
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "CliDir"
  ${If} $0 != ""
    Delete "$0\fyrel.exe"
    RMDir "$0"
    ; The PATH without the folder: ";old;" with ";folder;" taken out, then the edges trimmed.
    ReadRegStr $1 HKLM "${ENVIRONMENT_KEY}" "Path"
    ${WordReplace} ";$1;" ";$0;" ";" "+" $2
    ${If} $2 != ";$1;"
      StrCpy $2 $2 "" 1
      StrCpy $2 $2 -1
      WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$2"
      SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
    ${EndIf}
  ${EndIf}
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\NOTICES.txt"
  Delete "$INSTDIR\INSTALL.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
