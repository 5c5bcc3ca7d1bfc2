; The setup package of the Lirra·商户 client: per user and without administrator rights, into
; $LOCALAPPDATA\Lirra, because the client keeps config.ini, file.ini and the downloaded driver
; packages beside itself, which a process that is not elevated can't do under Program Files.
;
; scripts/package.sh builds it:
;   makensis -DVERSION=a.b.c.d -DSTAGE=<folder with lirra.exe, CardX.ocx, res\> -DSIZE_KB=n
;            -DICON=<lirra.ico> -DOUTFILE=<setup.exe> lirra.nsi
; Stock NSIS only (MUI2, LogicLib, the System plug-in), so it runs on Windows XP to 10.
;
; An upgrade replaces only what the package brings (lirra.exe, CardX.ocx, res\, uninstall.exe):
; the shop's config.ini, file.ini, file.ini.sig, file.ini.serial and downloaded packages stay as
; they are.

Unicode true
; The shipped package is 32-bit (x86-unicode, the default). TARGET=amd64-unicode packs a 64-bit
; build for the tests on machines whose Wine runs only 64-bit programs.
!ifdef TARGET
  Target ${TARGET}
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!macro REQUIRE name
  !ifndef ${name}
    !error "${name} is missing: scripts/package.sh passes VERSION, STAGE, SIZE_KB, ICON and OUTFILE"
  !endif
!macroend
!insertmacro REQUIRE VERSION
!insertmacro REQUIRE STAGE
!insertmacro REQUIRE SIZE_KB
!insertmacro REQUIRE ICON
!insertmacro REQUIRE OUTFILE

!define PRODUCT "Lirra·商户"
!define PUBLISHER "Lirra"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Lirra"
; Every window of the client is a dialog titled like this, the browser window hidden in the
; tray included; FindWindow sees hidden windows too.
!define CLIENT_WINDOW_CLASS "#32770"
!define CLIENT_WINDOW_TITLE "Lirra·商户"
!define SHORTCUT "Lirra·商户.lnk"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Lirra"
; An upgrade goes where the earlier version is, unless /D= says otherwise.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "运行 ${PRODUCT}"
!define MUI_FINISHPAGE_RUN_FUNCTION StartClient
; The client's look on the welcome and finish pages (scripts/make-skin.sh draws the pictures);
; a per-user install needs neither other programs closed nor a restart.
!define MUI_WELCOMEFINISHPAGE_BITMAP "wizard.bmp"
!define MUI_WELCOMEPAGE_TEXT "本向导将把 ${PRODUCT} 安装到您的用户目录，$\r$\n不需要管理员权限，也不需要重新启动。$\r$\n$\r$\n升级时，店铺的设置和已下载的驱动都会保留。$\r$\n$\r$\n$_CLICK"

!define MUI_PAGE_CUSTOMFUNCTION_SHOW WelcomePictureForDpi
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishPictureForDpi
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "OriginalFilename" "lirra-setup-${VERSION}.exe"

; Closes a running client before its files are touched: the user is asked to leave it through
; its tray menu ("退出"); in silent mode it is ended, as "退出" itself ends it (ExitProcess), and
; its files are only ever replaced whole, so nothing is lost. Bounded: a client that can't be
; ended within the rounds stops the setup instead of replacing files under it.
!macro CLOSE_RUNNING_CLIENT un
Function ${un}CloseRunningClient
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $3 0
  ${Do}
    FindWindow $0 "${CLIENT_WINDOW_CLASS}" "${CLIENT_WINDOW_TITLE}"
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    ${If} $3 >= 20
      MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} 仍在运行，无法继续。请退出后重试。" /SD IDOK
      Abort
    ${EndIf}
    IntOp $3 $3 + 1
    ${IfNot} ${Silent}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} 正在运行。$\n$\n请在任务栏通知区域的 ${PRODUCT} 图标菜单中选择“退出”，然后点击“重试”。" IDRETRY retry
      Abort
      retry:
      Sleep 500
      ${Continue}
    ${EndIf}
    ; PROCESS_TERMINATE | SYNCHRONIZE
    System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1)"
    System::Call "kernel32::OpenProcess(i 0x100001, i 0, i r1) p .r2"
    ${If} $2 <> 0
      System::Call "kernel32::TerminateProcess(p r2, i 0)"
      System::Call "kernel32::WaitForSingleObject(p r2, i 5000)"
      System::Call "kernel32::CloseHandle(p r2)"
    ${Else}
      Sleep 250
    ${EndIf}
  ${Loop}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_CLIENT ""
!insertmacro CLOSE_RUNNING_CLIENT "un."

; On a screen above 96 DPI the pages stretch their picture: the one drawn for 144 DPI goes in
; instead of the 96-DPI one, so it stays sharp.
!macro WIZARD_PICTURE_FOR_DPI image bitmap
  Push $0
  Push $1
  System::Call "user32::GetDC(p 0) p .r0"
  ; LOGPIXELSX
  System::Call "gdi32::GetDeviceCaps(p r0, i 88) i .r1"
  System::Call "user32::ReleaseDC(p 0, p r0)"
  ${If} $1 > 96
    InitPluginsDir
    File "/oname=$PLUGINSDIR\wizard-large.bmp" "wizard@1.5x.bmp"
    ${NSD_FreeImage} ${bitmap}
    ${NSD_SetStretchedImage} ${image} "$PLUGINSDIR\wizard-large.bmp" ${bitmap}
  ${EndIf}
  Pop $1
  Pop $0
!macroend
Function WelcomePictureForDpi
  !insertmacro WIZARD_PICTURE_FOR_DPI $mui.WelcomePage.Image $mui.WelcomePage.Image.Bitmap
FunctionEnd
Function FinishPictureForDpi
  !insertmacro WIZARD_PICTURE_FOR_DPI $mui.FinishPage.Image $mui.FinishPage.Image.Bitmap
FunctionEnd

; The client reads its skin from res\ relative to the current folder: start it in its own.
Function StartClient
  SetOutPath "$INSTDIR"
  Exec '"$INSTDIR\lirra.exe"'
FunctionEnd

; An update in place: the client that downloaded this setup starts it with /WAITPID=its process id
; and ends itself. Its files are replaced only once it is gone: waited for (bounded), then ended
; as a silent upgrade ends a client, so lirra.exe is never left half replaced or skipped.
Function WaitForUpdatingClient
  Push $0
  Push $1
  Push $2
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/WAITPID=" $1
  ${IfNot} ${Errors}
    ; PROCESS_TERMINATE | SYNCHRONIZE; a process already gone opens nothing.
    System::Call "kernel32::OpenProcess(i 0x100001, i 0, i $1) p .r2"
    ${If} $2 <> 0
      System::Call "kernel32::WaitForSingleObject(p r2, i 30000) i .r1"
      ${If} $1 <> 0
        System::Call "kernel32::TerminateProcess(p r2, i 0)"
        System::Call "kernel32::WaitForSingleObject(p r2, i 5000)"
      ${EndIf}
      System::Call "kernel32::CloseHandle(p r2)"
    ${EndIf}
  ${EndIf}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; /RUN starts the client once the install is done (the update in place asks for it).
Function StartClientWhenAsked
  Push $0
  Push $1
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/RUN" $1
  ${IfNot} ${Errors}
    Call StartClient
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd

; Windows may hold an ended client's program file a moment longer than its process: lirra.exe
; is tried again for up to 15 s, and the install fails rather than report success over the old
; client (an update in place then starts that one again).
Function InstallClientProgram
  Push $0
  SetOverwrite try
  StrCpy $0 0
  ${Do}
    ClearErrors
    File "${STAGE}\lirra.exe"
    ${IfNot} ${Errors}
      ${Break}
    ${EndIf}
    ${If} $0 >= 30
      SetOverwrite on
      MessageBox MB_OK|MB_ICONSTOP "无法替换 $INSTDIR\lirra.exe，安装没有完成。请退出 ${PRODUCT} 后重试。" /SD IDOK
      Call StartClientWhenAsked
      SetErrorLevel 2
      Quit
    ${EndIf}
    IntOp $0 $0 + 1
    Sleep 500
  ${Loop}
  SetOverwrite on
  Pop $0
FunctionEnd

Section "Lirra" SecClient
  SectionIn RO
  Call WaitForUpdatingClient
  Call CloseRunningClient

  SetOutPath "$INSTDIR"
  Call InstallClientProgram
  File "${STAGE}\CardX.ocx"
  ; The skin is the package's own: pictures an earlier version had and this one lacks go.
  RMDir /r "$INSTDIR\res"
  SetOutPath "$INSTDIR\res"
  File "${STAGE}\res\*.*"

  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The working folder of a shortcut is the output path at its creation: the install folder.
  CreateShortcut "$DESKTOP\${SHORTCUT}" "$INSTDIR\lirra.exe" "" "$INSTDIR\lirra.exe" 0
  CreateShortcut "$SMPROGRAMS\${SHORTCUT}" "$INSTDIR\lirra.exe" "" "$INSTDIR\lirra.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\lirra.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1

  Call StartClientWhenAsked
SectionEnd

!macro DELETE_LEFTOVERS folder
  Delete "${folder}\~*.tmp"
  Delete "${folder}\*.part"
  ; A folder that held nothing else goes (the install folder still holds the uninstaller here).
  RMDir "${folder}"
!macroend

Section "Uninstall"
  Call un.CloseRunningClient

  ; Asked before anything goes; silent mode keeps the shop's data.
  StrCpy $0 "keep"
  MessageBox MB_YESNO|MB_ICONQUESTION "是否保留本机的设置和已下载的驱动？$\n$\n选择“是”，重新安装后可继续使用；选择“否”，将一并删除。" /SD IDYES IDYES +2
  StrCpy $0 "remove"

  ; The plug-in's registration goes with its file, so nothing points at a missing control.
  ${If} ${FileExists} "$INSTDIR\CardX.ocx"
    ExecWait '"$SYSDIR\regsvr32.exe" /s /u "$INSTDIR\CardX.ocx"'
  ${EndIf}
  Delete "$INSTDIR\lirra.exe"
  ; The setup of the last update in place, downloaded beside the client.
  Delete "$INSTDIR\lirra-update.exe"
  Delete "$INSTDIR\CardX.ocx"
  RMDir /r "$INSTDIR\res"
  Delete "$INSTDIR\lirra.log"
  Delete "$INSTDIR\lirra.log.1"
  ; Temporary files of transfers cut off by an ended client ("~" process "-" count ".tmp"
  ; beside their target), whether the shop keeps its data or not: they are nobody's data.
  !insertmacro DELETE_LEFTOVERS "$INSTDIR"
  !insertmacro DELETE_LEFTOVERS "$INSTDIR\HID"
  !insertmacro DELETE_LEFTOVERS "$INSTDIR\YSB"
  !insertmacro DELETE_LEFTOVERS "$INSTDIR\NJYS"
  !insertmacro DELETE_LEFTOVERS "$INSTDIR\WHJL"
  !insertmacro DELETE_LEFTOVERS "$INSTDIR\SDSS"
  Delete "$DESKTOP\${SHORTCUT}"
  Delete "$SMPROGRAMS\${SHORTCUT}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  ${If} $0 == "remove"
    Delete "$INSTDIR\config.ini"
    Delete "$INSTDIR\file.ini"
    Delete "$INSTDIR\file.ini.sig"
    Delete "$INSTDIR\file.ini.serial"
    Delete "$INSTDIR\IE8XP.exe"
    RMDir /r "$INSTDIR\HID"
    RMDir /r "$INSTDIR\YSB"
    RMDir /r "$INSTDIR\NJYS"
    RMDir /r "$INSTDIR\WHJL"
    RMDir /r "$INSTDIR\SDSS"
  ${EndIf}

  Delete "$INSTDIR\uninstall.exe"
  ; Only when nothing of the shop's is left.
  RMDir "$INSTDIR"
SectionEnd
