// Resource and control ids of the program. Shared by resources.rc and the window code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_TAVELIN_DIALOG 102
#define IDR_MAINFRAME 128
#define IDB_HEADER_CHECKS 131
#define IDD_PLEASE_WAIT 136

// User-interface texts, loaded at startup from the language library or from here.
#define IDS_DEFAULT 103
#define IDS_ADVANCE 104
#define IDS_RECOMMEND 105
#define IDS_START 106
#define IDS_SELECT_ALL 107
#define IDS_NAME 108
#define IDS_TYPE 109
#define IDS_VERSION 110
#define IDS_NOT_SUITABLE_MACHINE 111
#define IDS_DRIVER 112
#define IDS_RECOMMEND_APPLICATION 113
#define IDS_OPTIONAL_APPLICATION 114
#define IDS_HOTFIX 115
#define IDS_INSTALL_NOW 116
#define IDS_ALL_INSTALLED 117
#define IDS_CHOOSE_ITEM 118
#define IDS_INSTALLING 119
#define IDS_DONE 120
#define IDS_REBOOT 121
#define IDS_EXPLORER 122
#define IDS_FILE_LIST 123
#define IDS_TECH_SUPPORT 124
#define IDS_FAILED 125
#define IDS_PLEASE_WAIT 126
#define IDS_SUITABLE_OS 127
#define IDS_FIRST_UI_TEXT IDS_DEFAULT
#define IDS_LAST_UI_TEXT IDS_SUITABLE_OS

// Controls of the main dialog.
#define IDC_DEFAULT 1005
#define IDC_ITEM_LIST 1007
#define IDC_START 1008
#define IDC_ADVANCE 1009
#define IDC_DESCRIPTION 1010
#define IDC_EXPLORER 1015
#define IDC_FILE_LIST 1016
#define IDC_TECH_SUPPORT 1017
// Controls of the About and please-wait dialogs.
#define IDC_ABOUT_VERSION 1018
#define IDC_PLEASE_WAIT_TEXT 1019

// System-menu command of the About entry.
#define IDM_ABOUTBOX 0x0010
