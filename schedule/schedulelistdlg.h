// CScheduleListDlg: the scheduler job of one robot, with its description, next and last run,
// and the buttons that change and delete it; ShowRobotSchedule is the main window's Schedule
// button: the robot's job in this list, or the wizard when it has none.
#pragma once

#include "controls/sortlist.h"
#include "framework/ui.h"
#include "schedule/scheduledtask.h"

class CScheduleListDlg : public CDialog {
public:
  explicit CScheduleListDlg(CWnd* parent = nullptr);

  // Filled by the caller before DoModal.
  CString m_Description;
  CString m_LastRun;
  CString m_NextRun;
  CString m_JobName;

  CSortListCtrl& GetList() { return m_List; }

protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void InitList();
  void OnModify();
  void OnDelete();
  DECLARE_MESSAGE_MAP()

private:
  CSortListCtrl m_List;
  CWnd* m_Parent;
};

// A scheduler time as the list shows it ("Monday, January 05, 2031  09:05:00"), with English
// day and month names; "Never" for a time the scheduler does not have (before 1900).
CString FormatRunTime(const SYSTEMTIME& time);

// Shows the job of the robot (jobs refills with this program's jobs first), or opens the
// wizard when the robot has none.
void ShowRobotSchedule(CTaskScheduler& jobs, const CString& robotName);

// A robot's jobs follow it (jobs refills with this program's jobs first). Renamed: every job of
// the robot runs the new name, changed in place so that it keeps its account, password and
// flags; only the job named after the robot that runs while its user is logged on (no password
// to keep) takes the new name too. FALSE when the scheduler refused a change. Removed: its jobs
// go; FALSE when one of them stays.
BOOL MoveRobotJobs(CTaskScheduler& jobs, const CString& oldName, const CString& newName);
BOOL DeleteRobotJobs(CTaskScheduler& jobs, const CString& robotName);
