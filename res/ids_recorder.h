// Resource ids of the recorder.
#pragma once

// The recorder dialog.
#define IDD_RECORD_ROBOT 159
#define IDC_RECORD_START 1064
#define IDC_RECORD_STOP 1065
#define IDC_RECORD_DETAIL 1104
#define IDC_RECORD_HELP 1123

// The recording pane of the robot editor.
#define IDD_RECORDING_PANE 240
#define IDC_RECORDING_RECORD 1300
#define IDC_RECORDING_HINT 1301

// Texts of the recorder.
#define IDS_RECORD_LOAD_FAILED 2400
#define IDS_RECORD_WEB_FAILED 2401
#define IDS_RECORD_HOOK_FAILED 2402
