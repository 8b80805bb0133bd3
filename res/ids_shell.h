// Resource ids of the shell.
#pragma once

// Texts of the main window's hotkeys and runs.
#define IDS_HOTKEY_PROBLEMS 2200
#define IDS_KEY_TAKEN_BY_PROGRAM 2201
#define IDS_START_KEY_SHARED 2202
#define IDS_END_KEY_IS_START_KEY 2203
#define IDS_START_KEY_WORD 2204
#define IDS_END_KEY_WORD 2205
#define IDS_ROBOT_FILE_MISSING 2206
// Robot files that cannot be read, keys that cannot be read, files that cannot be deleted.
#define IDS_ROBOT_FILE_UNREADABLE 2230
#define IDS_NAME_NOT_IN_CODE_PAGE 2231
#define IDS_LIST_UNREADABLE 2232
#define IDS_LIST_UNREADABLE_FILE 2233
#define IDS_TICK_UNREADABLE 2234
#define IDS_KEY_UNREADABLE 2235
#define IDS_REMOVE_FAILED 2236
// Robot files that are not in the writer's form: never rewritten.
#define IDS_EDIT_NOT_STANDARD 2210
#define IDS_TICK_NOT_SAVED 2211

// ---- tip of the day, About box, export and import ------------------------------------------
#define IDD_ABOUTBOX 130
#define IDC_LINK_CURSOR 143
#define IDD_OPTIONS 197
#define IDD_TIP_OF_THE_DAY 208

// The tip of the day.
#define IDC_TIP_PLACEHOLDER 1081
#define IDC_NEXT_TIP 1138
#define IDC_TIP_DONTSHOW 1139

// The About box.
#define IDC_ABOUT_SUPPORT_MAIL 1047
#define IDC_ABOUT_SALES_MAIL 1048
#define IDC_ABOUT_WEBSITE 1049
#define IDC_ABOUT_VERSION 1050
#define IDC_ABOUT_PRODUCT 1051

// The options dialog.
#define IDC_EXPORT 1111
#define IDC_IMPORT 1112
#define IDC_ADD_ADVANCED 1120

// The main window's system menu item that opens the options dialog.
#define IDM_SYS_OPTIONS 0x0110
// ---- end of tip of the day, About box, export and import -----------------------------------

// ---- Robot sharing page ----
#define IDD_ROBOT_UPLOAD 161
#define IDC_HTML_PLACEHOLDER 1068
#define ID_SHARE_ROBOT 1148
#define IDR_ROBOT_MENU 1150
#define IDS_NO_ROBOT_TO_SHARE 1151

// Robot files and schedules that could not be changed as asked.
#define IDS_TICK_WRITE_FAILED 2220
#define IDS_REMOVE_LINK_REFUSED 2221
#define IDS_JOBS_NOT_MOVED 2222
#define IDS_JOBS_NOT_REMOVED 2223
