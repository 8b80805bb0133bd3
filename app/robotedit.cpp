// Adding and editing robots from the main dialog: the robot editor runs modally with every
// hotkey released and the main window minimised; its robot then joins the list.
#include "app/quorvexdlg.h"

#include <utility>

#include "res/resource.h"
#include "editor/inputrobotdlg.h"
#include "schedule/schedulelistdlg.h"

void CQuorvexDlg::OnAddRobot() {
  UnregisterHotkeys(FALSE);
  CStringArray names;
  for (const CRobot& robot : m_Robots) names.Add(robot.Name);
  CInputRobotDlg editor(this);
  editor.SetRobotNames(names);
  ShowWindow(SW_SHOWMINIMIZED);
  if (editor.DoModal() == IDOK) {
    // Through the list's own row adding, so that the row sorts by its texts like the others.
    int row = m_RobotList.AddItem("", editor.GetRobotName(), editor.GetStartKey(), editor.GetEndKey());
    m_Robots.Add(editor.GetRobot());
    if (row >= 0) SetItemChecked(row, TRUE);
  }
  RegisterHotkeys(FALSE);
  ShowWindow(SW_RESTORE);
}

void CQuorvexDlg::OnEditRobot() {
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
    if (!robot.LoadFromFile(path) && GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES && entry >= 0) {
      robot = m_Robots[entry];  // the file is gone: the editor writes it anew
    } else if (!robot.FileReadsBack) {
      // The editor writes the standard layout only: saving would drop or misplace what such a
      // file holds, so it is not opened on it.
      CString text;
      text.Format(AppText(IDS_EDIT_NOT_STANDARD), path.GetString());
      Message(text);
      return;
    }
  }
  ShowWindow(SW_SHOWMINIMIZED);
  UnregisterHotkeys(FALSE);
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
  RegisterHotkeys(FALSE);
  m_EditedRobot.Empty();
  ShowWindow(SW_RESTORE);
}
