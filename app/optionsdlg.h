// COptionsDlg: backs the robots up to a folder the user picks (each robot file copied as
// <name>.robo) and brings them back, and offers a shortcut to adding a robot.
#pragma once

#include "framework/ui.h"

class CQuorvexDlg;

// 0 when the file opens for writing without being created, otherwise the cause in the file
// error numbering (2: the file does not exist, 3: its folder does not, 5: access denied, 7:
// sharing violation, 1: anything else).
int GetFileOpenError(const char* path);
// TRUE when the path names a folder; FALSE when nothing is found there.
BOOL IsDirectoryPath(const char* path);
// The menu item of a window's system menu that opens the options dialog (an item is added
// once, above the Close item).
void AddOptionsToSystemMenu(CWnd* wnd);

class COptionsDlg : public CDialog {
public:
  explicit COptionsDlg(CQuorvexDlg* owner);

  // Asks the user for a folder (the shell's folder browser); FALSE when none was chosen.
  // Tests replace it.
  using ChooseFolder = BOOL (*)(CWnd* owner, CString& folder);
  static ChooseFolder s_ChooseFolder;

  // The two directions on a given folder; each returns the number of robots copied.
  int ExportTo(CString folder);
  int ImportFrom(CString folder);

  // Set by "Start": the owner adds a robot once this dialog has closed.
  BOOL m_AddRobot = FALSE;

protected:
  void OnExport();
  void OnImport();
  void OnStart();
  DECLARE_MESSAGE_MAP()

private:
  // Yes, No or Cancel for an existing target; the question ends with `rest`.
  int AskOverwrite(const CString& name, const char* rest);
  // Copies every file of `from` matching the pattern (folders left out) to `to` under its name
  // with the other extension, asking before it overwrites; Cancel ends the copying. The names
  // whose copies failed, and the file names of those that cannot name a robot, are added to
  // `failed`, one a line. Returns the number copied.
  int CopyRobots(const CString& from, const char* pattern, const CString& to, const char* extension,
                 const char* question, CString& failed);
  // Lists the robots whose copies failed, one a line.
  void ReportFailures(const CString& failed);

  CQuorvexDlg* owner_;
};
