/* Resource and control ids of tallyview.rc. Plain #defines only, so that
   both the C++ code and windres can include this file. Control ids are
   unique within their own dialog; some numbers repeat across dialogs. */
#ifndef TALLYVIEW_RESOURCE_H
#define TALLYVIEW_RESOURCE_H

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

/* Dialog templates */
#define IDD_INFORMATION 106
#define IDD_LINKS 107
#define IDD_OPTIONS 109
#define IDD_DONATE 115

/* Menus */
#define IDR_OPTIONS_MENU 114

/* Icons: program icon (32x32 and 16x16) and the five 16x16 row icons,
   loaded into the row image list in this order: 113, 132, 133, 134, 135 */
#define IDI_PROGRAM 111
#define IDI_ROW_SHADE0 113
#define IDI_ROW_SHADE1 132
#define IDI_ROW_CHANGED0 133
#define IDI_ROW_CHANGED1 134
#define IDI_ROW_MISSING 135

/* Bitmaps */
#define IDB_DONATE 116

/* Information window, dialog 106 */
#define IDC_OPTIONS_BUTTON 1020
#define IDC_REPORT_LIST 1025

/* Links dialog, dialog 107; 1206 and 1217 are unused */
#define IDC_PROCESS 1010
#define IDC_LINKS_VERSION 1026
#define IDC_LINK_USER_DESKTOP 1202
#define IDC_LINK_USER_START_MENU 1203
#define IDC_LINK_USER_STARTUP 1204
#define IDC_LINK_USER_PROGRAMS 1205
#define IDC_LINK_MACHINE_DESKTOP 1207
#define IDC_LINK_MACHINE_START_MENU 1208
#define IDC_LINK_MACHINE_STARTUP 1209
#define IDC_LINK_MACHINE_PROGRAMS 1210
#define IDC_LINK_COMMON_DESKTOP 1211
#define IDC_LINK_COMMON_STARTUP 1212
#define IDC_LINK_COMMON_START_MENU 1213
#define IDC_LINK_COMMON_PROGRAMS 1214
#define IDC_LINK_COMMON_QUICK_LAUNCH 1215
#define IDC_LINK_MACHINE_QUICK_LAUNCH 1216
#define IDC_LINK_USER_QUICK_LAUNCH 1218

/* Options dialog, dialog 109 */
#define IDC_DONATE 1008
#define IDC_VISIT_SITE 1016
#define IDC_UPDATE_CHECK 1017
#define IDC_OPTIONS_ADDRESS 1020
#define IDC_OPTIONS_VERSION 1026
#define IDC_OPTIONS_COPYRIGHT 1027
#define IDC_OPTIONS_TOOLS 1028
#define IDC_OPTIONS_ORIGIN 1029

/* Options menu, menu 114 */
// The information window's Copy: a command of its window menu (the system
// uses the low four bits of such ids) and of its accelerator Ctrl+C.
#define IDM_COPY 0x0100
#define IDA_INFORMATION 120
#define IDM_EXIT 40001
#define IDM_EXPLORE_DATA 40002
#define IDM_EXPLORE_FOLDER 40003
#define IDM_LINKS 40004
#define IDM_HELP 40005
#define IDM_VISIT_SITE 40006
#define IDM_DONATE 40007
#define IDM_UPDATE_CHECK 40009

/* Donate dialog, dialog 115 */
#define IDC_DONATE_PICTURE 1008
#define IDC_DONATE_ADDRESS 1016

#endif /* TALLYVIEW_RESOURCE_H */
