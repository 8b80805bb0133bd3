// The Task Scheduler wrapper: saving, loading, querying, listing and deleting scheduler jobs.
#include <windows.h>

#include <initguid.h>

#include "schedule/scheduledtask.h"

#include <cstdio>
#include <string>

namespace {

// A work item's name goes to the scheduler without ".job" (Wine refuses it with one); the
// scheduler's listing gives it with one.
const char kJobExtension[] = ".job";
constexpr DWORD kServiceStartMs = 10000;

std::wstring Wide(const char* text) {
  if (!text || !*text) return std::wstring();
  int n = MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(n, L'\0');
  MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, &wide[0], n);
  wide.resize(n - 1);
  return wide;
}

CString Narrow(const wchar_t* text) {
  if (!text || !*text) return CString();
  int n = WideCharToMultiByte(CP_THREAD_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return CString();
  CString narrow;
  char* buffer = narrow.GetBuffer(n);
  WideCharToMultiByte(CP_THREAD_ACP, 0, text, -1, buffer, n, nullptr, nullptr);
  narrow.ReleaseBuffer(n - 1);
  return narrow;
}

// Takes a text the scheduler handed out, frees it, and presets the pointer for the next call.
CString TakeText(LPWSTR& text) {
  CString narrow = Narrow(text);
  if (text) CoTaskMemFree(text);
  text = nullptr;
  return narrow;
}

std::wstring WorkItemName(const CString& jobName) {
  int keep = jobName.GetLength() - (sizeof kJobExtension - 1);
  if (keep > 0 && jobName.Mid(keep).CompareNoCase(kJobExtension) == 0) return Wide(jobName.Left(keep));
  return Wide(jobName);
}

// Owns one interface pointer.
template <class T>
class ComRef {
public:
  ComRef() = default;
  ~ComRef() { Reset(); }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  T** Out() {
    Reset();
    return &p_;
  }
  IUnknown** OutUnknown() { return reinterpret_cast<IUnknown**>(Out()); }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }
  void Reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }

private:
  T* p_ = nullptr;
};

// COM for the length of one scheduler operation.
class ComScope {
public:
  ComScope() : result_(CoInitialize(nullptr)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  HRESULT result() const { return result_; }

private:
  HRESULT result_;
};

HRESULT CreateScheduler(ComRef<ITaskScheduler>& scheduler) {
  HRESULT hr = CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                                scheduler.OutVoid());
  if (hr == SCHED_E_SERVICE_NOT_RUNNING && StartScheduleService()) {
    hr = CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                          scheduler.OutVoid());
  }
  return hr;
}

// Opens a job for a query; prints the scheduler's refusal like every query does.
HRESULT OpenJob(const CString& jobName, ComRef<ITaskScheduler>& scheduler, ComRef<ITask>& task) {
  HRESULT hr = CreateScheduler(scheduler);
  if (FAILED(hr)) return hr;
  hr = scheduler->Activate(WorkItemName(jobName).c_str(), IID_ITask, task.OutUnknown());
  if (FAILED(hr)) printf("Failed calling ITaskScheduler::Activate; error = 0x%x\n", static_cast<unsigned>(hr));
  return hr;
}

// One call on a job of the scheduler, with COM and the job open for its length.
template <class Call>
HRESULT WithJob(const CString& jobName, Call call) {
  ComScope com;
  if (FAILED(com.result())) return com.result();
  ComRef<ITaskScheduler> scheduler;
  ComRef<ITask> task;
  HRESULT hr = OpenJob(jobName, scheduler, task);
  if (FAILED(hr)) return hr;
  return call(task.get());
}

// A scheduler without priorities or idle waits (Wine) still saves the job.
HRESULT Optional(HRESULT hr) { return hr == E_NOTIMPL ? S_OK : hr; }

BOOL IsNTFamily() { return (GetVersion() & 0x80000000) == 0; }

CString TwoDigits(int value) {
  CString text;
  text.Format("%02d", value);
  return text;
}

// "Mon, Tue" of a day-of-the-week mask (Sunday is bit 0).
CString DayNames(WORD days) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  CString text;
  // Monday first, Sunday last, as the weekly page lists them.
  for (int i = 1; i <= 7; ++i) {
    if (!(days & (1 << (i % 7)))) continue;
    if (!text.IsEmpty()) text += ", ";
    text += kDays[i % 7];
  }
  return text;
}

CString MonthNames(WORD months) {
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  if ((months & 0xFFF) == 0xFFF) return "every month";
  CString text;
  for (int i = 0; i < 12; ++i) {
    if (!(months & (1 << i))) continue;
    if (!text.IsEmpty()) text += ", ";
    text += kMonths[i];
  }
  return text;
}

CString DayNumbers(DWORD days) {
  CString text;
  for (int i = 0; i < 31; ++i) {
    if (!(days & (1u << i))) continue;
    if (!text.IsEmpty()) text += ", ";
    text.AppendFormat("%d", i + 1);
  }
  return text;
}

}  // namespace

// ---- CScheduledTask ---------------------------------------------------------------------------

CScheduledTask::CScheduledTask() { Reset(); }

CScheduledTask::CScheduledTask(const CString& jobName, BOOL loaded) {
  Reset();
  jobName_ = jobName;
  loaded_ = loaded;
}

void CScheduledTask::Reset() {
  loaded_ = FALSE;
  jobName_.Empty();
  applicationName_.Empty();
  parameters_.Empty();
  workingDirectory_.Empty();
  accountName_.Empty();
  password_.Empty();
  comment_.Empty();
  flags_ = kTaskFlagsDefault;
  priority_ = NORMAL_PRIORITY_CLASS;
  maxRunTime_ = 0;
  idleMinutes_ = 0;
  deadlineMinutes_ = 0;
  triggers_.RemoveAll();
  isNT_ = IsNTFamily();
}

HRESULT CScheduledTask::Save(const CString& jobName, BOOL failIfExists, BOOL useGivenAccount) const {
  if (jobName.IsEmpty() || applicationName_.IsEmpty()) return E_FAIL;
  ComScope com;
  if (FAILED(com.result())) return com.result();
  HRESULT hr = E_FAIL;
  try {
    ComRef<ITaskScheduler> scheduler;
    hr = CreateScheduler(scheduler);
    if (FAILED(hr)) return hr;
    std::wstring name = WorkItemName(jobName);

    // An existing job is rewritten in place: its file changes only with the final save, so a
    // step that fails on the way leaves the old job whole.
    ComRef<ITask> task;
    bool replacing = SUCCEEDED(scheduler->Activate(name.c_str(), IID_ITask, task.OutUnknown()));
    if (replacing) {
      if (failIfExists) return kJobExists;
      WORD count = 0;
      hr = task->GetTriggerCount(&count);
      if (FAILED(hr)) return hr;
      while (count > 0) {
        hr = task->DeleteTrigger(--count);
        if (FAILED(hr)) return hr;
      }
    } else {
      ComRef<IUnknown> item;
      hr = scheduler->NewWorkItem(name.c_str(), CLSID_CTask, IID_ITask, item.Out());
      if (FAILED(hr)) return hr;
      hr = item->QueryInterface(IID_ITask, task.OutVoid());
      if (FAILED(hr)) return hr;
    }

    hr = task->SetApplicationName(Wide(applicationName_).c_str());
    if (FAILED(hr)) return hr;
    // A replaced job must not keep the old texts where the new job has none.
    if (!parameters_.IsEmpty() || replacing) {
      hr = task->SetParameters(Wide(parameters_).c_str());
      if (FAILED(hr)) return hr;
    }
    if (!workingDirectory_.IsEmpty() || replacing) {
      hr = task->SetWorkingDirectory(Wide(workingDirectory_).c_str());
      if (FAILED(hr)) return hr;
    }

    DWORD flags = flags_;
    if (isNT_) {
      if (!accountName_.IsEmpty()) {
        hr = task->SetAccountInformation(Wide(accountName_).c_str(), Wide(password_).c_str());
        if (FAILED(hr)) return hr;
      } else if (!useGivenAccount) {
        char user[260];
        DWORD size = sizeof user;
        if (!GetUserNameA(user, &size)) user[0] = '\0';
        hr = task->SetAccountInformation(Wide(user).c_str(), nullptr);
        if (FAILED(hr)) return hr;
        flags = TASK_FLAG_RUN_ONLY_IF_LOGGED_ON;
      }
    }
    if (!comment_.IsEmpty() || replacing) {
      hr = task->SetComment(Wide(comment_).c_str());
      if (FAILED(hr)) return hr;
    }
    hr = task->SetFlags(isNT_ ? (flags | TASK_FLAG_INTERACTIVE) : flags);
    if (FAILED(hr)) return hr;
    hr = Optional(task->SetPriority(priority_));
    if (FAILED(hr)) return hr;
    if (maxRunTime_ != 0) {
      hr = task->SetMaxRunTime(maxRunTime_);
      if (FAILED(hr)) return hr;
    }
    if (idleMinutes_ != 0) {
      hr = Optional(task->SetIdleWait(idleMinutes_, deadlineMinutes_));
      if (FAILED(hr)) return hr;
    }

    for (int i = 0; i < triggers_.GetSize(); ++i) {
      WORD index = 0;
      ComRef<ITaskTrigger> trigger;
      hr = task->CreateTrigger(&index, trigger.Out());
      if (FAILED(hr)) return hr;
      TASK_TRIGGER record = triggers_[i];
      hr = trigger->SetTrigger(&record);
      if (FAILED(hr)) return hr;
    }

    ComRef<IPersistFile> file;
    hr = task->QueryInterface(IID_IPersistFile, file.OutVoid());
    if (FAILED(hr)) return hr;
    hr = file->Save(nullptr, TRUE);
  } catch (...) {
    // Nothing may leave the wrapper; the interfaces were released on the way out.
    if (SUCCEEDED(hr)) hr = E_FAIL;
  }
  return hr;
}

CScheduledTask CScheduledTask::LoadJob(const char* jobName) { return LoadJob(Wide(jobName).c_str()); }

CScheduledTask CScheduledTask::LoadJob(const wchar_t* jobName) {
  CScheduledTask job(Narrow(jobName), TRUE);
  ComScope com;
  if (FAILED(com.result())) return job;
  ComRef<ITaskScheduler> scheduler;
  ComRef<ITask> task;
  if (FAILED(OpenJob(job.jobName_, scheduler, task))) return job;

  // Every out value is preset, so a call that fails leaves the default behind, not garbage.
  LPWSTR text = nullptr;
  task->GetApplicationName(&text);
  job.applicationName_ = TakeText(text);
  task->GetComment(&text);
  job.comment_ = TakeText(text);
  if (SUCCEEDED(task->GetAccountInformation(&text)) && text) job.accountName_ = TakeText(text);
  TakeText(text);
  task->GetParameters(&text);
  job.parameters_ = TakeText(text);
  task->GetWorkingDirectory(&text);
  job.workingDirectory_ = TakeText(text);
  DWORD value = job.flags_;
  if (SUCCEEDED(task->GetFlags(&value))) job.flags_ = value;
  value = job.priority_;
  if (SUCCEEDED(task->GetPriority(&value))) job.priority_ = value;
  value = job.maxRunTime_;
  if (SUCCEEDED(task->GetMaxRunTime(&value))) job.maxRunTime_ = value;
  WORD idle = 0, deadline = 0;
  if (SUCCEEDED(task->GetIdleWait(&idle, &deadline))) {
    job.idleMinutes_ = idle;
    job.deadlineMinutes_ = deadline;
  }

  WORD count = 0;
  if (FAILED(task->GetTriggerCount(&count))) {
    printf("Failed calling ITask::GetTriggerCount");
    return job;
  }
  for (WORD i = 0; i < count; ++i) {
    ComRef<ITaskTrigger> trigger;
    if (FAILED(task->GetTrigger(i, trigger.Out()))) {
      printf("Failed calling ITask::GetTrigger");
      break;
    }
    TASK_TRIGGER record = {};
    record.cbTriggerSize = sizeof record;
    if (FAILED(trigger->GetTrigger(&record))) {
      printf("Failed calling ITaskTrigger::GetTrigger");
      break;
    }
    job.AddTrigger(record);
  }
  return job;
}

SYSTEMTIME CScheduledTask::QueryRunTime(HRESULT (STDMETHODCALLTYPE ITask::*query)(SYSTEMTIME*)) const {
  SYSTEMTIME time = {};
  if (!loaded_) return time;
  WithJob(jobName_, [&](ITask* task) {
    // Success codes such as "has not run", "no more runs" or "event trigger" leave no time.
    if ((task->*query)(&time) != S_OK) time = SYSTEMTIME{};
    return S_OK;
  });
  return time;
}

SYSTEMTIME CScheduledTask::GetNextRunTime() const { return QueryRunTime(&ITask::GetNextRunTime); }

SYSTEMTIME CScheduledTask::GetMostRecentRunTime() const { return QueryRunTime(&ITask::GetMostRecentRunTime); }

CString CScheduledTask::GetTriggerString(int index) const {
  CString result;
  if (!loaded_ || index < 0) return result;
  WithJob(jobName_, [&](ITask* task) {
    WORD count = 0;
    HRESULT hr = task->GetTriggerCount(&count);
    if (FAILED(hr)) {
      printf("Failed calling ITask::GetTriggerCount; error = 0x%x\n", static_cast<unsigned>(hr));
      return hr;
    }
    if (index >= count) return S_OK;
    LPWSTR text = nullptr;
    hr = task->GetTriggerString(static_cast<WORD>(index), &text);
    if (SUCCEEDED(hr) && text) {
      result = TakeText(text);
      return S_OK;
    }
    TakeText(text);
    if (hr != E_NOTIMPL) printf("Failed calling ITask::GetTriggerString; error = 0x%x\n", static_cast<unsigned>(hr));
    // A scheduler without trigger texts (Wine): describe the trigger ourselves.
    ComRef<ITaskTrigger> trigger;
    TASK_TRIGGER record = {};
    record.cbTriggerSize = sizeof record;
    if (SUCCEEDED(task->GetTrigger(static_cast<WORD>(index), trigger.Out())) && SUCCEEDED(trigger->GetTrigger(&record))) {
      result = DescribeTrigger(record);
    }
    return S_OK;
  });
  return result;
}

HRESULT CScheduledTask::GetStatus(HRESULT* status) const {
  return WithJob(jobName_, [&](ITask* task) {
    HRESULT value = S_OK;
    HRESULT hr = task->GetStatus(&value);
    if (status) *status = value;
    return hr;
  });
}

HRESULT CScheduledTask::EditJob(const CString& jobName, HWND owner) const {
  return WithJob(jobName, [&](ITask* task) { return task->EditWorkItem(owner, 0); });
}

// ---- CTaskScheduler ---------------------------------------------------------------------------

BOOL CTaskScheduler::Enumerate(const CString& programPath) {
  tasks_.RemoveAll();
  ComScope com;
  if (FAILED(com.result())) return FALSE;
  ComRef<IEnumWorkItems> items;
  {
    ComRef<ITaskScheduler> scheduler;
    if (FAILED(CreateScheduler(scheduler)) || FAILED(scheduler->Enum(items.Out()))) return FALSE;
  }
  BOOL listed = FALSE;
  for (;;) {
    LPWSTR* names = nullptr;
    ULONG fetched = 0;
    HRESULT hr = items->Next(5, &names, &fetched);
    // Newest of the batch first, as the scheduler's own listing shows them.
    for (ULONG i = fetched; i-- > 0;) {
      CScheduledTask job = CScheduledTask::LoadJob(names[i]);
      if (job.GetApplicationName().CompareNoCase(programPath) == 0) tasks_.Add(job);
      CoTaskMemFree(names[i]);
    }
    // The array is the caller's to free, also when it came back without names.
    if (names) CoTaskMemFree(names);
    if (FAILED(hr) || fetched == 0) break;
    listed = TRUE;
  }
  return listed;
}

int CTaskScheduler::FindRobotJob(const CString& robotName, int from) const {
  for (int i = from < 0 ? 0 : from; i < tasks_.GetSize(); ++i) {
    CString parameters = tasks_[i].GetParameters();
    if (parameters.GetLength() > 2 && parameters.Left(3).CompareNoCase("-a ") == 0 &&
        parameters.Mid(3).CompareNoCase(robotName) == 0) {
      return i;
    }
  }
  return -1;
}

// ---- Deleting ---------------------------------------------------------------------------------

HRESULT DeleteTaskJob(const CString& jobName) {
  if (jobName.IsEmpty()) return E_FAIL;
  ComScope com;
  if (FAILED(com.result())) return com.result();
  ComRef<ITaskScheduler> scheduler;
  HRESULT hr = CreateScheduler(scheduler);
  if (FAILED(hr)) return hr;
  // The schedule service reads a job file it sees change and keeps others from deleting it
  // meanwhile: a job saved a moment ago is deleted once the service has let go of it.
  const HRESULT kInUse = HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION);
  for (int tries = 0; tries < 20; ++tries) {
    hr = scheduler->Delete(WorkItemName(jobName).c_str());
    if (hr != kInUse && hr != E_ACCESSDENIED) break;
    Sleep(50);
  }
  return hr;
}

HRESULT SetJobParameters(const CString& jobName, const CString& parameters) {
  if (jobName.IsEmpty()) return E_FAIL;
  try {
    return WithJob(jobName, [&parameters](ITask* task) {
      HRESULT hr = task->SetParameters(Wide(parameters).c_str());
      if (FAILED(hr)) return hr;
      ComRef<IPersistFile> file;
      hr = task->QueryInterface(IID_IPersistFile, file.OutVoid());
      if (FAILED(hr)) return hr;
      return file->Save(nullptr, TRUE);
    });
  } catch (...) {
    return E_FAIL;
  }
}

BOOL DeleteScheduledTask(const CString& jobName) {
  try {
    return DeleteTaskJob(jobName) == S_OK;
  } catch (...) {
    return FALSE;
  }
}

// ---- Trigger texts and the service --------------------------------------------------------------

TASK_TRIGGER MakeTrigger(TASK_TRIGGER_TYPE type, const SYSTEMTIME& start) {
  TASK_TRIGGER t = {};
  t.cbTriggerSize = sizeof t;
  t.TriggerType = type;
  t.wBeginYear = start.wYear;
  t.wBeginMonth = start.wMonth;
  t.wBeginDay = start.wDay;
  t.wStartHour = start.wHour;
  t.wStartMinute = start.wMinute;
  return t;
}

CString DescribeTrigger(const TASK_TRIGGER& t) {
  switch (t.TriggerType) {
    case TASK_EVENT_TRIGGER_AT_SYSTEMSTART:
      return "Run at system startup";
    case TASK_EVENT_TRIGGER_AT_LOGON:
      return "Run at user logon";
    case TASK_EVENT_TRIGGER_ON_IDLE:
      return "Run when idle";
    default:
      break;
  }
  CString date;
  date.Format("%d/%d/%d", t.wBeginMonth, t.wBeginDay, t.wBeginYear);
  CString text = "At " + TwoDigits(t.wStartHour) + ":" + TwoDigits(t.wStartMinute);
  switch (t.TriggerType) {
    case TASK_TIME_TRIGGER_ONCE:
      return text + " on " + date;
    case TASK_TIME_TRIGGER_DAILY:
      if (t.Type.Daily.DaysInterval <= 1) return text + " every day, starting " + date;
      text.AppendFormat(" every %d days, starting ", t.Type.Daily.DaysInterval);
      return text + date;
    case TASK_TIME_TRIGGER_WEEKLY:
      text += " every " + DayNames(t.Type.Weekly.rgfDaysOfTheWeek);
      if (t.Type.Weekly.WeeksInterval <= 1) return text + " of every week, starting " + date;
      text.AppendFormat(" of every %d weeks, starting ", t.Type.Weekly.WeeksInterval);
      return text + date;
    case TASK_TIME_TRIGGER_MONTHLYDATE:
      return text + " on day " + DayNumbers(t.Type.MonthlyDate.rgfDays) + " of " +
             MonthNames(t.Type.MonthlyDate.rgfMonths) + ", starting " + date;
    case TASK_TIME_TRIGGER_MONTHLYDOW: {
      static const char* const kWeeks[] = {"first", "second", "third", "fourth", "last"};
      WORD week = t.Type.MonthlyDOW.wWhichWeek;
      const char* which = week >= 1 && week <= 5 ? kWeeks[week - 1] : "?";
      return text + " on the " + which + " " + DayNames(t.Type.MonthlyDOW.rgfDaysOfTheWeek) + " of " +
             MonthNames(t.Type.MonthlyDOW.rgfMonths) + ", starting " + date;
    }
    default:
      return text + ", starting " + date;
  }
}

BOOL StartScheduleService() {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (!manager) return FALSE;
  SC_HANDLE service = OpenServiceA(manager, "Schedule", SERVICE_START | SERVICE_QUERY_STATUS);
  BOOL running = FALSE;
  if (service) {
    if (StartServiceA(service, 0, nullptr) || GetLastError() == ERROR_SERVICE_ALREADY_RUNNING) {
      SERVICE_STATUS status = {};
      for (DWORD start = GetTickCount(); GetTickCount() - start < kServiceStartMs; Sleep(100)) {
        if (!QueryServiceStatus(service, &status)) break;
        if (status.dwCurrentState == SERVICE_RUNNING) {
          running = TRUE;
          break;
        }
      }
    }
    CloseServiceHandle(service);
  }
  CloseServiceHandle(manager);
  return running;
}
