// Resource ids of the program: the main dialog and its controls, icons, bitmap, tray menu, texts.
#pragma once

#include "res/ids_editor.h"
#include "res/ids_recorder.h"
#include "res/ids_schedule.h"
#include "res/ids_shell.h"

#define IDD_PINDREL_DIALOG 102
#define IDR_MAINFRAME 128
#define IDR_TRAYMENU 129
#define IDI_TRAY 131
#define IDB_BACKGROUND 132
#define IDI_RUN 133
#define IDI_ADD 134
#define IDI_EDIT 135
#define IDI_HELP 136
#define IDI_REMOVE 138
#define IDI_SCHEDULE 195

#define IDC_SCHEDULE 999
#define IDC_ROBOT_LIST 1001
#define IDC_RUN_ROBOT 1002
#define IDC_OPTIONS 1003
#define IDC_HELP_BUTTON 1004
#define IDC_ADD_ROBOT 1005
#define IDC_EDIT_ROBOT 1006
#define IDC_REMOVE_ROBOT 1007

#define ID_TRAY_SHOW 32771
#define ID_TRAY_HIDE 32772
#define ID_TRAY_HELP 32773
#define ID_TRAY_ABOUT 32774
#define ID_TRAY_EXIT 32775

// Texts of the string table.
#define IDS_NO_ROBOT_TO_RUN 200
#define IDS_NO_ROBOT_TO_EDIT 201
#define IDS_NO_ROBOT_TO_DELETE 202
#define IDS_CONFIRM_DELETE 203
#define IDS_CONFIRM_QUIT 204
#define IDS_HELP_NOT_FOUND 205
#define IDS_TRIGGER_MISSING 206
#define IDS_SCHEDULED_MISSING 207
#define IDS_START_KEY_TAKEN 208
#define IDS_END_KEY_TAKEN 209
#define IDS_HOTKEY_EXAMPLES 210
#define IDS_APP_TITLE 57344
