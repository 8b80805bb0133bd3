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

// ---- Robot sharing page ----
#define IDD_ROBOT_UPLOAD 161
#define IDC_HTML_PLACEHOLDER 1068
#define ID_SHARE_ROBOT 1148
#define IDR_ROBOT_MENU 1150
#define IDS_NO_ROBOT_TO_SHARE 1151
