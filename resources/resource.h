// Resource and control ids of the client, shared by the .rc file and the code.
#pragma once

#define IDS_ABOUTBOX 101
#define IDI_APP 128
#define IDD_LOADING 129
#define IDD_MYMESSAGEBOX 166

// Message box controls.
#define IDC_MSGBOX_CONFIRM 1008
#define IDC_MSGBOX_CANCEL 1009
#define IDC_MSGBOX_TEXT 1024
#define IDC_MSGBOX_TITLE 1025
#define IDC_MSGBOX_CLOSE 1026
#define IDC_MSGBOX_SINGLE 1035

// About box (dialog 100).
#define IDD_ABOUTBOX 100
#define IDC_ABOUT_CLOSE 1008
#define IDC_ABOUT_HEADING 1027
#define IDC_ABOUT_VERSION 1028

// Driver manager (dialog 102). Its "使用"/"退出" button has IDCANCEL's value, so Esc and
// the window's close request act as it does.
#define IDD_DRIVER_MANAGER 102
#define IDC_DRV_USE 2
#define IDC_DRV_STATUS 1005
#define IDC_DRV_INSTALL 1006
#define IDC_DRV_REINSTALL 1007
#define IDC_DRV_YSB 1009
#define IDC_DRV_HEADING 1012
#define IDC_DRV_CLOSE 1016
#define IDC_DRV_NJYS 1030
#define IDC_DRV_WHJL 1031
#define IDC_DRV_SDSS 1032
#define IDC_DRV_HID 1033
#define IDM_ABOUTBOX 0x0010

// Made at run time under the status text of the loading window and the driver manager: a
// download's progress bar, and the line under it (percentage, or what a run waits for).
#define IDC_PROGRESS_BAR 1040
#define IDC_PROGRESS_TEXT 1041
// Made at run time beside that line in the loading window once it has waited a minute for an
// installer: leaves the installer behind, after a question.
#define IDC_LOADING_SKIP 1042

// Browser window (dialog 130) and its tray menu (167).
#define IDD_BROWSER 130
#define IDR_TRAY_MENU 167
#define IDC_BROWSER_CONTROL 1007
#define IDC_BROWSER_MAX 1008
#define IDC_BROWSER_BACK 1009
#define IDC_BROWSER_FORWARD 1010
#define IDC_BROWSER_REFRESH 1011
#define IDC_BROWSER_DRIVER 1013
#define IDC_BROWSER_MIN 1015
#define IDC_BROWSER_CLOSE 1016
#define IDC_BROWSER_TITLE 1036
#define IDC_BROWSER_LOGO 1037
#define IDC_BROWSER_ABOUT 1038
#define ID_TRAY_ABOUT 32771
#define ID_TRAY_EXIT 32772
#define ID_TRAY_OPEN 32773

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
