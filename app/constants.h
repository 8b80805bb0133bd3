// The program's shared constant texts, one definition each.
#pragma once

// The help file in the program folder, opened by the Help button and the tray menu.
extern const char kHelpFileName[];
// The program version that the robot-sharing page reports.
extern const char kProgramVersion[];
