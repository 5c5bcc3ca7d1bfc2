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

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
