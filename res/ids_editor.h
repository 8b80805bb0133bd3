// Resource ids of the robot editor, its panes and its small dialogs.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDD_REPEAT_OPTION 140
#define IDD_INPUT_MOUSE 146
#define IDD_INPUT_ROBOT 155
#define IDD_EXPLORER_PANE 156
#define IDD_ITEM_PANE 157
#define IDD_CHECK_MSGBOX 209
#define IDB_PANE_CAPTION 152
#define IDB_PANE_COLLAPSED 153
#define IDB_PANE_EXPANDED 154

// The robot editor.
#define IDC_ROBOT_NAME 1028
#define IDC_START_KEY 1032
#define IDC_END_KEY 1033
#define IDC_REPEAT_OPTIONS 1035
#define IDC_REPEAT_TEXT 1036
#define IDC_ACTION_LIST 1039
#define IDC_MOVE_UP 1045
#define IDC_MOVE_DOWN 1046
#define IDC_DELETE_ACTION 1048
#define IDC_UNDO 1142
#define IDC_RUN_BACKGROUND 1152

// The click pane.
#define IDC_CLICK_TYPE 1004
#define IDC_CLICK_COUNT 1006
#define IDC_CLICK_COUNT_SPIN 1007
#define IDC_POINT_X 1010
#define IDC_POINT_Y 1011
#define IDC_INTERVAL 1016
#define IDC_INTERVAL_SPIN 1017
#define IDC_INTERVAL_UNIT 1018
#define IDC_ADD_CLICK 1034
#define IDC_LIVE_X 1037
#define IDC_LIVE_Y 1038
#define IDC_WHEREVER_MOUSE 1150
#define IDC_POINT_HINT 1151
#define IDC_CLICK_LABEL 1160
#define IDC_TIMES_LABEL 1161

// The repeat options.
#define IDC_REPEAT_TIMES_RADIO 1040
#define IDC_REPEAT_COUNT 1041
#define IDC_REPEAT_UNTIL_RADIO 1043
#define IDC_REPEAT_SPIN 1044

// The yes/no box with "Do not show this again".
#define IDC_CHECKMSG_TEXT 1140
#define IDC_CHECKMSG_DONTSHOW 1141
