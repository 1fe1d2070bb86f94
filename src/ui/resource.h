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
// Texts added after the 25 above, each taken from the language library where it has it and from
// the program's own string table otherwise.
#define IDS_RESTART_NOW 128
#define IDS_INSERT_DISC 129

// Why an item is offered, greyed or left out, as a row's tooltip says it: one id per template of
// ReasonText, in its order (evaluate/decision_text.h lists what each template's %1, %2, ... stand
// for). The English is built into the program; a language library that has one of these strings
// replaces that template.
#define IDS_REASON_OFFERED_DRIVER_OLDER 200
#define IDS_REASON_OFFERED_DRIVER_MISSING 201
#define IDS_REASON_OFFERED_DRIVER_UNREADABLE 202
#define IDS_REASON_OFFERED_DRIVER_UNCOMPARABLE 203
#define IDS_REASON_OFFERED_WINDOWS_DRIVER 204
#define IDS_REASON_OFFERED_ALWAYS 205
#define IDS_REASON_OFFERED_WITHOUT_DEVICE 206
#define IDS_REASON_OFFERED_APPLICATION_OLDER 207
#define IDS_REASON_OFFERED_NOT_INSTALLED 208
#define IDS_REASON_OFFERED_UNCOMPARABLE 209
#define IDS_REASON_OFFERED_AGAIN 210
#define IDS_REASON_GREYED_SAME 211
#define IDS_REASON_GREYED_NEWER 212
#define IDS_REASON_GREYED_PRESENT 213
#define IDS_REASON_GREYED_NOTHING_TO_INSTALL 214
#define IDS_REASON_NOT_OFFERED_NO_DEVICE 215
#define IDS_REASON_NOT_OFFERED_NO_DEVICES 216
#define IDS_REASON_NOT_OFFERED_MISSING_DEVICE 217
#define IDS_REASON_NOT_OFFERED_HIDDEN 218
#define IDS_REASON_NOT_OFFERED_OPERATING_SYSTEM 219
#define IDS_REASON_NOT_OFFERED_LANGUAGE 220
#define IDS_REASON_NOT_OFFERED_UNKNOWN_TYPE 221
#define IDS_REASON_NOT_OFFERED_MODEL 222
#define IDS_REASON_NOT_OFFERED_BITNESS 223
#define IDS_REASON_NOT_OFFERED_NO_TITLE 224
#define IDS_REASON_SHOWN_BY_RULE 225
#define IDS_REASON_CHECKED_FOR_DEPENDENCE 226
#define IDS_REASON_CLEARED_FOR_DEPENDENCE 227
#define IDS_REASON_UNKNOWN_VALUE 228
#define IDS_FIRST_REASON_TEXT IDS_REASON_OFFERED_DRIVER_OLDER
#define IDS_LAST_REASON_TEXT IDS_REASON_UNKNOWN_VALUE

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
