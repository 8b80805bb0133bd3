// The real program as a child process for end-to-end tests: starting it, its main window, its
// robot list read from the other process, its tray window, X keys through xdotool.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

class PindrelProcess {
public:
  PindrelProcess() = default;
  ~PindrelProcess() { Kill(); }
  PindrelProcess(const PindrelProcess&) = delete;
  PindrelProcess& operator=(const PindrelProcess&) = delete;

  // Starts bin\pindrel.exe with the arguments. The tip of the day is turned off in the option
  // file first unless the test asks for it.
  bool Start(const std::string& arguments = "", bool showTips = false);
  // Later starts run the pindrel.exe of this folder (a copy beside other libraries).
  void SetProgramFolder(const std::string& folder) { folder_ = folder; }
  // Waits for the main window (and its robot list) to be up.
  bool WaitForMainWindow(int timeoutMs = 10000);
  // Waits for the process to end; its exit code, or -1 when it is still running.
  long WaitForExit(int timeoutMs);
  bool Running() const;
  void Kill();

  DWORD pid() const { return pid_; }
  HANDLE handle() const { return process_; }
  HWND main() const { return main_; }
  HWND list() const { return GetDlgItem(main_, 1001); }
  // The tray icon's own window: the main dialog's child of the framework's class with id 0.
  HWND TrayWindow() const;
  // A visible top-level window of the process with this class ("#32770" boxes, "#32768" menus),
  // and with this caption when one is given.
  HWND FindWindowOfProcess(const char* cls, const char* caption = nullptr) const;
  // The texts of a message box's static controls.
  static std::string BoxText(HWND box);
  // Waits for a box of the program (its caption, but not the main window); null when none came.
  HWND WaitForMessageBox(int timeoutMs = 5000) const;

  // Rows of the robot list: "x Name | Start | End" (x ticked, - not).
  std::vector<std::string> ListRows() const;
  // The text of one cell of a list view of the process.
  std::string ListText(HWND listView, int row, int column) const;
  // The screen point of a row's check box.
  POINT CheckBoxPoint(int row) const;
  // The row of the robot with this name, -1 when none; selects a row as a click would.
  int RowOf(const std::string& name) const;
  void SelectRow(int row) const;

private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  HWND main_ = nullptr;
  std::string folder_;
};

// A control of the window or of a page inside it (a child dialog holding controls), by id; a
// page itself is never taken for a control of the same id.
HWND Control(HWND window, int id);

// Runs xdotool with the arguments ("key ctrl+alt+s") and waits for it.
void Xdo(const std::string& arguments);

}  // namespace testing_support
