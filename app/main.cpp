// The program's entry point: for now, lists the robots of the robot folder.
#include <windows.h>

#include "framework/msgbox.h"
#include "robot/helpers.h"
#include "robot/robot.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  CString folder = GetRobotFolder();
  CString text = "Robots in " + folder + ":\n";
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(folder + "\\*.txt", &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      CRobot robot;
      if (robot.LoadFromFile(folder + "\\" + fd.cFileName))
        text += "\n" + robot.Name + "  (" + robot.StartKey + " / " + robot.EndKey + ")";
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  ShowMessageBox(nullptr, text, AfxGetAppName(), MB_OK);
  return 0;
}
