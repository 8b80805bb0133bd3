// Adding and editing robots from the main dialog: the robot editor runs modally with every
// hotkey released and the main window minimised; its robot then joins the list.
#include "app/quorvexdlg.h"

#include <utility>

#include "res/resource.h"
#include "editor/inputrobotdlg.h"
#include "schedule/schedulelistdlg.h"

namespace {

// Once the editor has closed, the keyboard goes back to the list, on the robot's row (by name:
// the list may be sorted), so the arrow keys work at once.
void FocusRobotRow(CDialog& dialog, CSortListCtrl& list, const CString& name) {
  for (int row = 0; !name.IsEmpty() && row < list.GetItemCount(); ++row) {
    if (list.GetItemText(row, 1) != name) continue;
    list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list.EnsureVisible(row, FALSE);
    break;
  }
  dialog.GotoDlgCtrl(&list);
}

}  // namespace

void CQuorvexDlg::OnAddRobot() {
  // While an editor is open the window is disabled: a command that still reaches it (posted,
  // or from the tray) must not open a second editor over the first.
  if (!IsWindowEnabled()) return;
  UnregisterHotkeys(FALSE);
  CStringArray names;
  for (const CRobot& robot : m_Robots) names.Add(robot.Name);
  CInputRobotDlg editor(this);
  editor.SetRobotNames(names);
  ShowWindow(SW_SHOWMINIMIZED);
  CString saved;
  if (editor.DoModal() == IDOK) {
    // Through the list's own row adding, so that the row sorts by its texts like the others.
    int row = m_RobotList.AddItem("", editor.GetRobotName(), editor.GetStartKey(), editor.GetEndKey());
    m_Robots.Add(editor.GetRobot());
    if (row >= 0) SetItemChecked(row, TRUE);
    saved = editor.GetRobotName();
  }
  RegisterHotkeys(FALSE);
  ShowWindow(SW_RESTORE);
  FocusRobotRow(*this, m_RobotList, saved);
}

void CQuorvexDlg::OnEditRobot() {
  if (!IsWindowEnabled()) return;  // an editor is open already
  int row = GetSelectedRow();
  if (row < 0) {
    Message(IDS_NO_ROBOT_TO_EDIT);
    return;
  }
  CString name = m_RobotList.GetItemText(row, 1);
  CRobot robot;
  int entry = FindRobot(name);
  if (!name.IsEmpty()) {
    CString path = RobotFilePath(name);
    if (!robot.LoadFromFile(path)) {
      // The editor never opens on a robot it could not read: its Save would write a robot
      // without what the file holds. A broken window record has been shown by the reader.
      if (robot.FileError) Message(RobotFileFailureText(path, robot.FileError));
      return;
    }
    if (!robot.FileReadsWhole) {
      // The editor writes the full layout: saving a file the reader took otherwise than it was
      // meant would drop or misplace what it holds, so it is not opened on it.
      CString text;
      text.Format(AppText(IDS_EDIT_NOT_STANDARD), path.GetString());
      Message(text);
      return;
    }
  }
  ShowWindow(SW_SHOWMINIMIZED);
  UnregisterHotkeys(FALSE);
  CString focused = name;
  m_EditedRobot = name;
  if (!m_EditedRobot.IsEmpty()) {
    CStringArray names;
    for (const CRobot& other : m_Robots)
      if (other.Name != m_EditedRobot) names.Add(other.Name);
    CInputRobotDlg editor(this);
    editor.SetRobotNames(names);
    editor.SetEditedRobot(std::move(robot));
    if (editor.DoModal() == IDOK) {
      // A renamed robot keeps its schedule.
      if (editor.GetRobotName() != m_EditedRobot &&
          !MoveRobotJobs(m_TaskScheduler, m_EditedRobot, editor.GetRobotName())) {
        CString text;
        text.Format(AppText(IDS_JOBS_NOT_MOVED), m_EditedRobot.GetString(), editor.GetRobotName().GetString());
        Message(text);
      }
      focused = editor.GetRobotName();
      if (editor.KeptOldFile()) {
        // The old file stayed beside the new one: the list shows both, as the next start would.
        LoadRobotList();
      } else {
        m_RobotList.SetItemText(row, 1, editor.GetRobotName());
        m_RobotList.SetItemText(row, 2, editor.GetStartKey());
        m_RobotList.SetItemText(row, 3, editor.GetEndKey());
        if (entry >= 0) {
          m_Robots[entry] = editor.GetRobot();
        } else {
          m_Robots.Add(editor.GetRobot());
        }
        SetItemChecked(row, TRUE);
      }
    }
  }
  RegisterHotkeys(FALSE);
  m_EditedRobot.Empty();
  ShowWindow(SW_RESTORE);
  FocusRobotRow(*this, m_RobotList, focused);
}
