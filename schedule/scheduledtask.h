// Robot runs as jobs of the Task Scheduler 1.0: one job in memory (CScheduledTask), the list of
// this program's own jobs (CTaskScheduler) and deleting a job. Every call talks to the scheduler
// through its COM interfaces, initialising COM for itself and releasing everything before it
// returns; texts cross to UTF-16 with the thread's ANSI code page.
#pragma once

#include <windows.h>

#include <mstask.h>

#include "framework/collections.h"
#include "framework/cstring.h"

// TASK_FLAG_ bits the wizard uses.
constexpr DWORD kTaskFlagsDefault = 0xC0;           // not on batteries, stop when going on batteries
constexpr DWORD kTaskFlagsOtherAccount = 0x403;     // interactive, delete when done, run if connected
constexpr DWORD kTaskFlagsCurrentAccount = 0x2403;  // the same, only while the user is logged on
// ERROR_FILE_EXISTS as an HRESULT: the job exists and the caller did not want it replaced.
constexpr HRESULT kJobExists = static_cast<HRESULT>(0x80070050);

class CScheduledTask {
public:
  CScheduledTask();
  CScheduledTask(const CString& jobName, BOOL loaded);
  virtual ~CScheduledTask() = default;
  CScheduledTask(const CScheduledTask&) = default;
  CScheduledTask& operator=(const CScheduledTask&) = default;

  // Every field back to its default, no triggers.
  void Reset();

  void SetApplicationName(const char* name) { applicationName_ = name; }
  void SetParameters(const char* parameters) { parameters_ = parameters; }
  void SetWorkingDirectory(const char* directory) { workingDirectory_ = directory; }
  void SetAccountName(const char* account) { accountName_ = account; }
  void SetPassword(const char* password) { password_ = password; }
  void SetComment(const char* comment) { comment_ = comment; }
  void SetFlags(DWORD flags) { flags_ = flags; }
  void SetPriority(DWORD priority) { priority_ = priority; }
  void SetMaxRunTime(DWORD milliseconds) { maxRunTime_ = milliseconds; }
  void SetIdleWait(WORD idleMinutes, WORD deadlineMinutes) {
    idleMinutes_ = idleMinutes;
    deadlineMinutes_ = deadlineMinutes;
  }
  void AddTrigger(TASK_TRIGGER trigger) { triggers_.Add(trigger); }

  BOOL IsLoaded() const { return loaded_; }
  CString GetJobName() const { return jobName_; }
  CString GetApplicationName() const { return applicationName_; }
  CString GetParameters() const { return parameters_; }
  CString GetWorkingDirectory() const { return workingDirectory_; }
  CString GetAccountName() const { return accountName_; }
  CString GetComment() const { return comment_; }
  DWORD GetFlags() const { return flags_; }
  DWORD GetPriority() const { return priority_; }
  DWORD GetMaxRunTime() const { return maxRunTime_; }
  WORD GetIdleMinutes() const { return idleMinutes_; }
  WORD GetDeadlineMinutes() const { return deadlineMinutes_; }
  int GetTriggerCount() const { return triggers_.GetSize(); }
  const TASK_TRIGGER& GetTrigger(int index) const { return triggers_[index]; }

  // Writes this job to the scheduler under jobName (with or without ".job"). An existing job of
  // that name is refused with kJobExists when failIfExists, else it is rewritten in place, so
  // that it stays as it was until the final save succeeds. Without an account name and
  // without useGivenAccount, the job runs as the current user, only while logged on.
  HRESULT Save(const CString& jobName, BOOL failIfExists, BOOL useGivenAccount) const;

  // Reads a job from the scheduler (the name as the scheduler lists it, with ".job"). A job that
  // cannot be opened comes back with its name, loaded, and no program.
  static CScheduledTask LoadJob(const wchar_t* jobName);
  static CScheduledTask LoadJob(const char* jobName);

  // The scheduler's next and most recent run of the loaded job; all zero when it has none.
  SYSTEMTIME GetNextRunTime() const;
  SYSTEMTIME GetMostRecentRunTime() const;
  // The text of trigger `index`: the scheduler's own, or our description of the trigger when
  // the scheduler has none; "" when not loaded or there is no such trigger.
  CString GetTriggerString(int index) const;
  // The job's SCHED_S_ status through the pointer.
  HRESULT GetStatus(HRESULT* status) const;
  // The scheduler's own property sheet of the job, modal over owner.
  HRESULT EditJob(const CString& jobName, HWND owner) const;

private:
  // One of the scheduler's time queries on the loaded job.
  SYSTEMTIME QueryRunTime(HRESULT (STDMETHODCALLTYPE ITask::*query)(SYSTEMTIME*)) const;

  BOOL loaded_ = FALSE;
  CString jobName_;
  CString applicationName_;
  CString parameters_;
  CString workingDirectory_;
  CString accountName_;
  CString password_;
  CString comment_;
  DWORD flags_ = kTaskFlagsDefault;
  DWORD priority_ = NORMAL_PRIORITY_CLASS;
  DWORD maxRunTime_ = 0;
  WORD idleMinutes_ = 0;
  WORD deadlineMinutes_ = 0;
  CArray<TASK_TRIGGER> triggers_;
  BOOL isNT_ = TRUE;
};

// The jobs of the scheduler that start one program.
class CTaskScheduler {
public:
  virtual ~CTaskScheduler() = default;

  // Refills the list with the jobs whose program is programPath (compared without case); TRUE
  // when the scheduler listed at least one job at all.
  BOOL Enumerate(const CString& programPath);
  int GetCount() const { return tasks_.GetSize(); }
  CScheduledTask GetTask(int index) const { return tasks_[index]; }
  // The first job from `from` on whose parameters are "-a " and the robot's name (without
  // case); -1 for none.
  int FindRobotJob(const CString& robotName, int from = 0) const;

private:
  CArray<CScheduledTask> tasks_;
};

// Deletes a job by name (with or without ".job"); E_FAIL for an empty name.
HRESULT DeleteTaskJob(const CString& jobName);
// TRUE only when the scheduler deleted the job.
BOOL DeleteScheduledTask(const CString& jobName);
// Changes the parameters of an existing job in place: its name, account, password, flags and
// triggers stay as the scheduler holds them.
HRESULT SetJobParameters(const CString& jobName, const CString& parameters);

// A trigger record of the type, otherwise zero, that begins on start's date at start's hour and
// minute.
TASK_TRIGGER MakeTrigger(TASK_TRIGGER_TYPE type, const SYSTEMTIME& start);

// Our own text of a trigger, for schedulers that give none: "Run at system startup", "Run at
// user logon", or when and how often a time trigger runs ("At 09:05 every 3 days, starting
// 2031-01-15").
CString DescribeTrigger(const TASK_TRIGGER& trigger);

// Starts the scheduler's service when it is not running; TRUE when it runs.
BOOL StartScheduleService();
