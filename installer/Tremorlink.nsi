; The installer of Quen Tremorlink: one program for both architectures, per machine, into
; C:\Quen\Tremorlink (the program finds its help there), with the settings key, a task
; that starts the program at every logon, and an entry in Apps and Features.
;
; makensis -DVERSION=A.B.C.D -DX64=DIR -DX86=DIR -DHELP=DIR -DACTIONS=FILE -DICON=FILE
;          -DSIDEBAR=FILE -DOUTFILE=FILE [-DSTUB=amd64-unicode] [-DSIGN=COMMAND] Tremorlink.nsi
; VERSION is the project version of CMakeLists.txt, which the build passes on. X64 and X86
; hold the shipped Tremorlink.exe and WinLock.dll of each architecture, HELP the compiled
; help files, ACTIONS the custom actions' library (TremorlinkSetupActions.dll) of the
; stub's architecture: the install folder, the settings key and the logon task are made by
; the same code as in the MSI packages. The shipped installer has the 32-bit stub, which
; runs on both architectures. SIGN signs the file it is given in place, with Authenticode.

Unicode true
!ifndef STUB
  !define STUB x86-unicode
!endif
Target ${STUB}
!ifdef SIGN
  ; The uninstaller is signed before the setup takes it in, so that the one it writes is
  ; signed too; the setup once it is whole.
  !uninstfinalize '"${SIGN}" "%1"' = 0
  !finalize '"${SIGN}" "%1"' = 0
!endif
!if "${STUB}" == "amd64-unicode"
  ; A 64-bit installer knows at compile time that it runs on 64-bit Windows, so the
  ; architecture's tests below have a branch that is never taken.
  !pragma warning disable 6012
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all
ManifestDPIAware true

!include LogicLib.nsh
!include MUI2.nsh
!include x64.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!define PRODUCT "Quen Tremorlink"
!define PUBLISHER "Quen"
!define SETTINGS_KEY "Software\Quen\Tremorlink"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QuenTremorlink"
!define MAIN_WINDOW "QUEN_Tremorlink"
Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "C:\Quen\Tremorlink"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) 2026 Quen"

!define MUI_WELCOMEFINISHPAGE_BITMAP "${SIDEBAR}"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_INSTFILES
; The end of an interactive install starts the program, which a silent one leaves to the
; next logon; so does an install by a standard user who typed an administrator's
; credentials, since the program would run with that administrator's rights in the user's
; session. (A page's custom functions belong to the next page inserted.)
!define MUI_FINISHPAGE_RUN "$INSTDIR\Tremorlink.exe"
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishShow
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The program's languages; the setup speaks the one of the Windows display language.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "TradChinese"
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "Italian"
!insertmacro MUI_LANGUAGE "Portuguese"
!insertmacro MUI_LANGUAGE "Spanish"
!include "Messages.nsh"

; Calls a function of the custom actions' library (which the MSI packages call with their
; installer handle, here none) into $0, and unloads the library again.
!macro SETUP_ACTION function
  System::Call '"$PLUGINSDIR\TremorlinkSetupActions.dll"::${function}(i 0) i .r0 ?u'
!macroend

!macro UNPACK_SETUP_ACTIONS
  InitPluginsDir
  File "/oname=$PLUGINSDIR\TremorlinkSetupActions.dll" "${ACTIONS}"
!macroend

Function FinishShow
  !insertmacro UNPACK_SETUP_ACTIONS
  System::Call '"$PLUGINSDIR\TremorlinkSetupActions.dll"::InstallerIsSessionUser() i .r0 ?u'
  ${If} $0 != 1
    SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
    SendMessage $mui.FinishPage.Text ${WM_SETTEXT} 0 "STR:$(StartsAtLogon)"
  ${EndIf}
FunctionEnd

; Ends a running Tremorlink.exe as its Exit does, and waits until its process is gone, so
; that its files can be replaced or removed. It refuses to end while anti-theft is armed:
; then nothing is changed and the setup gives up.
!macro CLOSE_PROGRAM_FUNCTION prefix
Function ${prefix}CloseProgram
  FindWindow $0 "" "${MAIN_WINDOW}"
  ${If} $0 != 0
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2'
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=10000
    FindWindow $0 "" "${MAIN_WINDOW}"
    ${If} $0 == 0
      System::Call 'kernel32::WaitForSingleObject(p r2, i 15000)'
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r2)'
    ${If} $0 != 0
      MessageBox MB_ICONSTOP|MB_OK "$(ArmedRefusal)" /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd
!macroend
!insertmacro CLOSE_PROGRAM_FUNCTION ""
!insertmacro CLOSE_PROGRAM_FUNCTION "un."

Function .onInit
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
FunctionEnd

Function un.onInit
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
FunctionEnd

Section "Quen Tremorlink"
  Call CloseProgram
  !insertmacro UNPACK_SETUP_ACTIONS
  ; Before any file is written: administrators' and the system's alone, and empty.
  !insertmacro SETUP_ACTION SecureFolder
  ${If} $0 != 0
    MessageBox MB_ICONSTOP|MB_OK "$(FolderUnsafe)" /SD IDOK
    SetErrorLevel 4
    Quit
  ${EndIf}
  SetOutPath "$INSTDIR"
  ${If} ${RunningX64}
    File "${X64}\Tremorlink.exe"
    File "${X64}\WinLock.dll"
  ${Else}
    File "${X86}\Tremorlink.exe"
    File "${X86}\WinLock.dll"
  ${EndIf}
  SetOutPath "$INSTDIR\Help"
  File "${HELP}\*.chm"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  !insertmacro SETUP_ACTION CreateSettings
  ${If} $0 != 0
    Abort "$(SettingsFailed)"
  ${EndIf}

  !insertmacro SETUP_ACTION RegisterTask
  ${If} $0 != 0
    DetailPrint "$(TaskFailed)"
    SetErrorLevel 3
  ${EndIf}

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tremorlink.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  Call un.CloseProgram
  ; Killed while armed and not started since: its start puts the saved power settings
  ; back, so no notebook is left with the lid and buttons doing nothing.
  ReadRegDWORD $0 HKLM "${SETTINGS_KEY}" "NotebookProtectionEnabled"
  ${If} $0 == 1
    Exec '"$INSTDIR\Tremorlink.exe"'
    StrCpy $1 0
    ${Do}
      Sleep 100
      IntOp $1 $1 + 1
      ReadRegDWORD $0 HKLM "${SETTINGS_KEY}" "NotebookProtectionEnabled"
      ; Half a minute at most: then the files go all the same.
      ${If} $1 >= 300
        StrCpy $0 0
      ${EndIf}
    ${LoopWhile} $0 == 1
    ; Its window exists before the restore ends, so it is there to be closed now.
    Call un.CloseProgram
  ${EndIf}

  ; A task left behind would start whatever a later user puts at its path, elevated.
  !insertmacro UNPACK_SETUP_ACTIONS
  !insertmacro SETUP_ACTION UnregisterTask
  ${If} $0 != 0
    MessageBox MB_ICONSTOP|MB_OK "$(TaskNotRemoved)" /SD IDOK
    SetErrorLevel 5
    Quit
  ${EndIf}

  Delete "$INSTDIR\Tremorlink.exe"
  Delete "$INSTDIR\WinLock.dll"
  Delete "$INSTDIR\Help\*.chm"
  RMDir "$INSTDIR\Help"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  RMDir "C:\Quen"

  DeleteRegKey HKLM "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKLM "Software\Quen"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
