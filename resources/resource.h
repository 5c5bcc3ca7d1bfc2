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

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
