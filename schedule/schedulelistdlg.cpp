// The schedule list: one robot's job with its times, Modify and Delete; and the Schedule button's
// search for the robot's job.
#include "schedule/schedulelistdlg.h"

#include "res/ids_schedule.h"
#include "robot/datafolder.h"
#include "schedule/schedulerobotdlg.h"

namespace {

const char kColumns[] = "Task Description,230;Next Run Time,150;Last Run Time,150";

// Deletes a job and makes sure it went: the scheduler may report a deletion that did not happen.
BOOL RemoveJob(const CString& jobName) {
  return SUCCEEDED(DeleteTaskJob(jobName)) && CScheduledTask::LoadJob(jobName.GetString()).GetApplicationName().IsEmpty();
}

}  // namespace

CString FormatRunTime(const SYSTEMTIME& time) {
  static const char* const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  static const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                        "July",    "August",   "September", "October", "November", "December"};
  if (time.wYear < 1900 || time.wMonth < 1 || time.wMonth > 12) return "Never";
  // The weekday from the date itself: the scheduler's record may leave wDayOfWeek unset.
  SYSTEMTIME day = time;
  FILETIME file;
  if (SystemTimeToFileTime(&time, &file)) FileTimeToSystemTime(&file, &day);
  CString text;
  text.Format("%s, %s %02d, %04d  %02d:%02d:%02d", kDays[day.wDayOfWeek % 7], kMonths[time.wMonth - 1], time.wDay,
              time.wYear, time.wHour, time.wMinute, time.wSecond);
  return text;
}

void ShowRobotSchedule(CTaskScheduler& jobs, const CString& robotName) {
  jobs.Enumerate(GetProgramPath());
  int index = jobs.FindRobotJob(robotName);
  if (index < 0) {
    CScheduleRobotDlg wizard(nullptr);
    wizard.m_RobotName = robotName;
    wizard.DoModal();
    return;
  }
  CScheduledTask job = jobs.GetTask(index);
  CScheduleListDlg list(nullptr);
  list.m_NextRun = FormatRunTime(job.GetNextRunTime());
  list.m_LastRun = FormatRunTime(job.GetMostRecentRunTime());
  list.m_Description = job.GetTriggerString(0);
  if (list.m_Description.CompareNoCase("Run at system startup") == 0) list.m_NextRun = "Next startup";
  if (list.m_Description.CompareNoCase("Run at user logon") == 0) list.m_NextRun = "Next logon";
  list.m_JobName = job.GetJobName();
  list.DoModal();
}

BOOL MoveRobotJobs(CTaskScheduler& jobs, const CString& oldName, const CString& newName) {
  jobs.Enumerate(GetProgramPath());
  const CString oldJobName = CScheduleRobotDlg::JobNameOf(oldName);
  BOOL moved = TRUE;
  for (int i = jobs.FindRobotJob(oldName); i >= 0; i = jobs.FindRobotJob(oldName, i + 1)) {
    CScheduledTask job = jobs.GetTask(i);
    const CString from = job.GetJobName();
    const CString to = from.CompareNoCase(oldJobName) == 0 ? CScheduleRobotDlg::JobNameOf(newName) : from;
    // A job saved anew loses its password, which cannot be read back from the scheduler: a job
    // under another account keeps its name and changes in place. One that runs only while its
    // user is logged on needs none, and is saved under the new name for the current user, as
    // the wizard saves it.
    const bool loggedOn = (job.GetFlags() & TASK_FLAG_RUN_ONLY_IF_LOGGED_ON) != 0;
    if (to.CompareNoCase(from) == 0 || !loggedOn) {
      if (FAILED(SetJobParameters(from, "-a " + newName))) moved = FALSE;
      continue;
    }
    job.SetParameters("-a " + newName);
    job.SetAccountName("");
    if (FAILED(job.Save(to, FALSE, FALSE)) || !RemoveJob(from)) moved = FALSE;
  }
  return moved;
}

BOOL DeleteRobotJobs(CTaskScheduler& jobs, const CString& robotName) {
  jobs.Enumerate(GetProgramPath());
  BOOL deleted = TRUE;
  for (int i = jobs.FindRobotJob(robotName); i >= 0; i = jobs.FindRobotJob(robotName, i + 1))
    if (!RemoveJob(jobs.GetTask(i).GetJobName())) deleted = FALSE;
  return deleted;
}

BEGIN_MESSAGE_MAP(CScheduleListDlg, CDialog)
  ON_BN_CLICKED(IDC_SCHED_MODIFY, &CScheduleListDlg::OnModify)
  ON_BN_CLICKED(IDC_SCHED_DELETE, &CScheduleListDlg::OnDelete)
END_MESSAGE_MAP()

CScheduleListDlg::CScheduleListDlg(CWnd* parent) : CDialog(IDD_SCHEDULE_LIST, parent), m_Parent(parent) {}

void CScheduleListDlg::DoDataExchange(CDataExchange* dx) { DDX_Control(dx, IDC_SCHED_LIST, m_List); }

BOOL CScheduleListDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  InitList();
  m_List.AddItem(m_Description, m_NextRun, m_LastRun);
  return TRUE;
}

void CScheduleListDlg::InitList() {
  m_List.SetExtendedStyle(m_List.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  m_List.SetHeadings(kColumns);
  m_List.LoadColumnInfo();
}

void CScheduleListDlg::OnModify() {
  CScheduledTask job(m_JobName, TRUE);
  if (SUCCEEDED(job.EditJob(m_JobName, m_hWnd))) return;
  // A scheduler without its own property sheet (Wine): our wizard, opened on the job,
  // replaces it.
  CScheduledTask loaded = CScheduledTask::LoadJob(m_JobName.GetString());
  if (loaded.GetApplicationName().IsEmpty()) return;
  CString parameters = loaded.GetParameters();
  CScheduleRobotDlg wizard(this);
  wizard.m_RobotName = parameters.Left(3).CompareNoCase("-a ") == 0 ? parameters.Mid(3) : parameters;
  wizard.EditExistingJob(loaded);
  wizard.DoModal();
}

void CScheduleListDlg::OnDelete() {
  if (DeleteScheduledTask(m_JobName)) m_List.DeleteItem(0);
}
