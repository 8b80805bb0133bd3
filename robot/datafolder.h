// Where the per-user data and the robot files live, and where the program itself is.
#pragma once

#include <windows.h>

#include "framework/cstring.h"

// The user's application-data folder + "vantorel\Pindrel" (nothing is created).
CString GetDataFolder();
// The data folder's "script" subfolder, where each robot is a "<name>.txt" file.
CString GetRobotFolder();
// Creates the folder and every missing parent.
void CreateFolderPath(const CString& path);
CString GetProgramPath();
CString GetProgramFolder();
