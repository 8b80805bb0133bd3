// CQuorvexApp: the application object. One running instance: a second instance hands its
// "-a <robot>" request to the first one's main window and waits until that run is over. The
// first instance creates the main dialog and the tray icon and runs the message loop.
#pragma once

#include "app/trayicon.h"
#include "framework/ui.h"

class CQuorvexDlg;

// The hidden window of the start-up: a plain window with no behaviour of its own.
class CQuorvexHiddenWnd : public CWnd {};

// The icon type under which the tray icon keeps its icon.
constexpr UINT kTrayIconType = 5000;

class CQuorvexApp : public CWinApp {
public:
  CQuorvexApp() = default;
  ~CQuorvexApp() override;

  // The arguments after the program name, as WinMain received them.
  void SetCommandLine(const char* commandLine) { commandLine_ = commandLine ? commandLine : ""; }

  BOOL InitInstance() override;
  int Run() override;
  // A second instance that handed a run over ends with the code the first instance gave.
  int ExitInstance() override;
  // Builds the hidden window and the main dialog; FALSE only when the hidden window fails.
  BOOL CreateMainWindow();
  void SetupTrayIcon();
  void HideTrayIcon();

  CQuorvexDlg* GetMainDialog() const { return mainDialog_; }

private:
  // The robot name of a "-a <name>" command line (lower-cased), or false.
  bool CommandLineRobot(CString& name) const;
  // Hands the request to the running instance; true when that instance ended before it could
  // play the robot, so that this one starts as the only instance and plays it itself.
  bool ServeAsSecondInstance(HANDLE mutex);
  void DestroyMainDialog();

  CString commandLine_;
  CQuorvexHiddenWnd hiddenWnd_;
  CQuorvexDlg* mainDialog_ = nullptr;
  CTrayIcon trayIcon_;
  int handOverExitCode_ = -1;  // set by a second instance that handed a run over
};

// The main window of a running first instance: the window that carries the main dialog's mark
// (never a message box of the same caption, and found whatever its caption); null when none.
HWND FindFirstInstanceWindow();
// The position of the robot's file among the files of the robot folder, in the folder's order
// (names compared without regard to case); the number of files when no robot has that name.
int FindRobotFileIndex(const CString& name);
