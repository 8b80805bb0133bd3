// The schedule wizard: six pages shown one at a time in the wizard's frame, the trigger they
// describe, and the job saved on Finish.
#include "schedule/schedulerobotdlg.h"

#include "res/ids_schedule.h"
#include "robot/datafolder.h"
#include "robot/numbertext.h"

namespace {

constexpr UINT_PTR kUpdateTimer = 1;
constexpr UINT kUpdateMs = 200;
constexpr int kFinishedPage = CScheduleRobotDlg::kPageCount;

const UINT kPageTemplates[] = {IDD_SCHEDULE_KIND,    IDD_SCHEDULE_DAILY, IDD_SCHEDULE_WEEKLY,
                               IDD_SCHEDULE_MONTHLY, IDD_SCHEDULE_ONCE,  IDD_SCHEDULE_ACCOUNT};

// Page 0's radio buttons in the order of the kinds 1 to 6.
const int kKindButtons[] = {IDC_SCHED_KIND_DAILY, IDC_SCHED_KIND_WEEKLY,  IDC_SCHED_KIND_MONTHLY,
                            IDC_SCHED_KIND_ONCE,  IDC_SCHED_KIND_STARTUP, IDC_SCHED_KIND_LOGON};
enum Kind { kDaily = 1, kWeekly, kMonthly, kOnce, kStartup, kLogon };

// The weekly page's check boxes, Monday to Sunday, and their TASK_TRIGGER bits.
const int kWeekdayButtons[] = {1085, 1086, 1087, 1088, 1089, 1090, 1091};
const WORD kWeekdayBits[] = {0x2, 0x4, 0x8, 0x10, 0x20, 0x40, 0x1};
// The monthly page's check boxes, "Jan" to "Dec"; month i is bit i.
const int kMonthButtons[] = {1085, 1086, 1087, 1088, 1089, 1090, 1091, 1092, 1096, 1097, 1098, 1099};
const char* const kWeekNames[] = {"first", "second", "third", "fourth", "last"};
const char* const kWeekdayNames[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};

// The spin range of each page's number field (none on the other pages).
int NumberLimit(int page) {
  switch (page) {
    case CScheduleRobotDlg::kDailyPage:
      return 365;
    case CScheduleRobotDlg::kWeeklyPage:
      return 52;
    case CScheduleRobotDlg::kMonthlyPage:
      return 31;
    default:
      return 0;
  }
}

bool Checked(const CWnd* page, int id) { return page->IsDlgButtonChecked(id) == BST_CHECKED; }

void Check(CWnd* page, int id, bool on) { page->CheckDlgButton(id, on ? BST_CHECKED : BST_UNCHECKED); }

void Enable(CWnd* page, int id, bool on) {
  if (HWND control = ::GetDlgItem(page->m_hWnd, id)) ::EnableWindow(control, on);
}

SYSTEMTIME PickerTime(const CWnd* page, int id) {
  SYSTEMTIME time = {};
  if (page->SendDlgItemMessage(id, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) != GDT_VALID) {
    GetLocalTime(&time);
  }
  return time;
}

void SetPicker(CWnd* page, int id, const SYSTEMTIME& time) {
  SYSTEMTIME copy = time;
  page->SendDlgItemMessage(id, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&copy));
}

// The selected text of a drop-down list.
CString ListText(const CWnd* page, int id) {
  CString text;
  int sel = static_cast<int>(page->SendDlgItemMessage(id, CB_GETCURSEL));
  int length = sel < 0 ? -1 : static_cast<int>(page->SendDlgItemMessage(id, CB_GETLBTEXTLEN, sel));
  if (length < 0) return text;
  char* buffer = text.GetBuffer(length + 1);
  int got = static_cast<int>(page->SendDlgItemMessage(id, CB_GETLBTEXT, sel, reinterpret_cast<LPARAM>(buffer)));
  text.ReleaseBuffer(got < 0 ? 0 : got);
  return text;
}

void FillList(CWnd* page, int id, const char* const* texts, int count) {
  page->SendDlgItemMessage(id, CB_RESETCONTENT);
  for (int i = 0; i < count; ++i) page->SendDlgItemMessage(id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(texts[i]));
  page->SendDlgItemMessage(id, CB_SETCURSEL, 0);
}

int IndexOf(const CString& text, const char* const* texts, int count) {
  for (int i = 0; i < count; ++i)
    if (text == texts[i]) return i;
  return -1;
}

// The lowest bit set, from 0; 0 for none.
int LowestBit(DWORD bits) {
  for (int i = 0; i < 32; ++i)
    if (bits & (1u << i)) return i;
  return 0;
}

SYSTEMTIME TriggerStart(const TASK_TRIGGER& t) {
  SYSTEMTIME time = {};
  GetLocalTime(&time);
  if (t.wBeginYear) {
    time.wYear = t.wBeginYear;
    time.wMonth = t.wBeginMonth;
    time.wDay = t.wBeginDay;
  }
  time.wHour = t.wStartHour;
  time.wMinute = t.wStartMinute;
  time.wSecond = 0;
  time.wMilliseconds = 0;
  return time;
}

}  // namespace

BEGIN_MESSAGE_MAP(CScheduleRobotDlg, CDialog)
  ON_WM_TIMER()
  ON_BN_CLICKED(IDC_SCHED_BACK, &CScheduleRobotDlg::OnBack)
  ON_BN_CLICKED(IDC_SCHED_NEXT, &CScheduleRobotDlg::OnNext)
  ON_BN_CLICKED(IDC_SCHED_CANCEL, &CScheduleRobotDlg::OnCancelButton)
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CScheduleRobotDlg::CScheduleRobotDlg(CWnd* parent) : CDialog(IDD_SCHEDULE_WIZARD, parent) {}

CScheduleRobotDlg::~CScheduleRobotDlg() {
  for (auto& page : m_Pages)
    if (page && page->m_hWnd) page->DestroyWindow();
}

CString CScheduleRobotDlg::JobNameOf(const CString& robotName) {
  CString name;
  name.Format("VantorelPindrel_%s.job", robotName.GetString());
  return name;
}

void CScheduleRobotDlg::EditExistingJob(const CScheduledTask& job) {
  m_ExistingJob = std::make_unique<CScheduledTask>(job);
}

BOOL CScheduleRobotDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  CRect frame;
  ::GetWindowRect(::GetDlgItem(m_hWnd, IDC_SCHED_FRAME), &frame);
  ScreenToClient(&frame);
  frame.DeflateRect(2, 2);
  for (int i = 0; i < kPageCount; ++i) {
    m_Pages[i] = std::make_unique<CChildDialog>(kPageTemplates[i], this);
    m_Pages[i]->Create(kPageTemplates[i], this);
    m_Pages[i]->SetWindowPos(nullptr, frame.left, frame.top, frame.Width(), frame.Height(), SWP_NOACTIVATE);
  }
  m_CurrentPage = kKindPage;
  SetDefaults();
  if (m_ExistingJob) PresetFromJob();
  ShowPage();
  SetTimer(kUpdateTimer, kUpdateMs);
  return TRUE;
}

void CScheduleRobotDlg::SetDefaults() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  CWnd* kind = GetPage(kKindPage);
  for (int id : kKindButtons) Check(kind, id, id == IDC_SCHED_KIND_DAILY);
  for (int page = kDailyPage; page <= kOncePage; ++page) {
    CWnd* p = GetPage(page);
    SetPicker(p, IDC_SCHED_TIME, now);
    if (::GetDlgItem(p->m_hWnd, IDC_SCHED_DATE)) SetPicker(p, IDC_SCHED_DATE, now);
    if (int limit = NumberLimit(page)) {
      p->SendDlgItemMessage(IDC_SCHED_SPIN, UDM_SETBUDDY, reinterpret_cast<WPARAM>(::GetDlgItem(p->m_hWnd, IDC_SCHED_NUMBER)));
      p->SendDlgItemMessage(IDC_SCHED_SPIN, UDM_SETRANGE32, 1, limit);
      p->SetDlgItemText(IDC_SCHED_NUMBER, "1");
    }
  }
  CWnd* daily = GetPage(kDailyPage);
  Check(daily, IDC_SCHED_DAILY, true);
  Check(daily, IDC_SCHED_WEEKDAYS, false);
  Check(daily, IDC_SCHED_EVERY, false);
  for (int id : kWeekdayButtons) Check(GetPage(kWeeklyPage), id, false);
  CWnd* monthly = GetPage(kMonthlyPage);
  Check(monthly, IDC_SCHED_DAY, true);
  Check(monthly, IDC_SCHED_THE, false);
  for (int id : kMonthButtons) Check(monthly, id, true);
  FillList(monthly, IDC_SCHED_WEEK_LIST, kWeekNames, 5);
  FillList(monthly, IDC_SCHED_WEEKDAY_LIST, kWeekdayNames, 7);
  CWnd* account = GetPage(kAccountPage);
  Check(account, IDC_SCHED_CURRENT_ACCOUNT, true);
  Check(account, IDC_SCHED_OTHER_ACCOUNT, false);
}

void CScheduleRobotDlg::PresetFromJob() {
  CWnd* account = GetPage(kAccountPage);
  char user[260];
  DWORD size = sizeof user;
  if (!GetUserNameA(user, &size)) user[0] = '\0';
  CString jobAccount = m_ExistingJob->GetAccountName();
  bool other = !jobAccount.IsEmpty() && jobAccount.CompareNoCase(user) != 0;
  Check(account, IDC_SCHED_CURRENT_ACCOUNT, !other);
  Check(account, IDC_SCHED_OTHER_ACCOUNT, other);
  if (other) account->SetDlgItemText(IDC_SCHED_USER, jobAccount);

  if (m_ExistingJob->GetTriggerCount() == 0) return;
  const TASK_TRIGGER& t = m_ExistingJob->GetTrigger(0);
  SYSTEMTIME start = TriggerStart(t);
  int kind = kDaily;
  CWnd* daily = GetPage(kDailyPage);
  CWnd* weekly = GetPage(kWeeklyPage);
  CWnd* monthly = GetPage(kMonthlyPage);
  auto setNumber = [](CWnd* page, int value) { page->SetDlgItemInt(IDC_SCHED_NUMBER, value, FALSE); };
  switch (t.TriggerType) {
    case TASK_TIME_TRIGGER_DAILY:
      Check(daily, IDC_SCHED_DAILY, t.Type.Daily.DaysInterval <= 1);
      Check(daily, IDC_SCHED_EVERY, t.Type.Daily.DaysInterval > 1);
      setNumber(daily, t.Type.Daily.DaysInterval > 1 ? t.Type.Daily.DaysInterval : 1);
      SetPicker(daily, IDC_SCHED_TIME, start);
      SetPicker(daily, IDC_SCHED_DATE, start);
      break;
    case TASK_TIME_TRIGGER_WEEKLY:
      if (t.Type.Weekly.WeeksInterval <= 1 && t.Type.Weekly.rgfDaysOfTheWeek == 0x3E) {
        // Monday to Friday every week is what the daily page's "Weekdays" makes.
        Check(daily, IDC_SCHED_DAILY, false);
        Check(daily, IDC_SCHED_WEEKDAYS, true);
        SetPicker(daily, IDC_SCHED_TIME, start);
        SetPicker(daily, IDC_SCHED_DATE, start);
        break;
      }
      kind = kWeekly;
      setNumber(weekly, t.Type.Weekly.WeeksInterval ? t.Type.Weekly.WeeksInterval : 1);
      for (int i = 0; i < 7; ++i) Check(weekly, kWeekdayButtons[i], (t.Type.Weekly.rgfDaysOfTheWeek & kWeekdayBits[i]) != 0);
      SetPicker(weekly, IDC_SCHED_TIME, start);
      break;
    case TASK_TIME_TRIGGER_MONTHLYDATE:
    case TASK_TIME_TRIGGER_MONTHLYDOW: {
      kind = kMonthly;
      bool byDate = t.TriggerType == TASK_TIME_TRIGGER_MONTHLYDATE;
      Check(monthly, IDC_SCHED_DAY, byDate);
      Check(monthly, IDC_SCHED_THE, !byDate);
      WORD months = byDate ? t.Type.MonthlyDate.rgfMonths : t.Type.MonthlyDOW.rgfMonths;
      for (int i = 0; i < 12; ++i) Check(monthly, kMonthButtons[i], (months & (1 << i)) != 0);
      if (byDate) {
        setNumber(monthly, LowestBit(t.Type.MonthlyDate.rgfDays) + 1);
      } else {
        int week = t.Type.MonthlyDOW.wWhichWeek;
        monthly->SendDlgItemMessage(IDC_SCHED_WEEK_LIST, CB_SETCURSEL, week >= 1 && week <= 5 ? week - 1 : 0);
        // Sunday is bit 0 in the record and the last entry of the list.
        int day = LowestBit(t.Type.MonthlyDOW.rgfDaysOfTheWeek);
        monthly->SendDlgItemMessage(IDC_SCHED_WEEKDAY_LIST, CB_SETCURSEL, (day + 6) % 7);
      }
      SetPicker(monthly, IDC_SCHED_TIME, start);
      break;
    }
    case TASK_TIME_TRIGGER_ONCE:
      kind = kOnce;
      SetPicker(GetPage(kOncePage), IDC_SCHED_TIME, start);
      SetPicker(GetPage(kOncePage), IDC_SCHED_DATE, start);
      break;
    case TASK_EVENT_TRIGGER_AT_SYSTEMSTART:
      kind = kStartup;
      break;
    case TASK_EVENT_TRIGGER_AT_LOGON:
      kind = kLogon;
      break;
    default:
      break;
  }
  for (int i = 0; i < 6; ++i) Check(GetPage(kKindPage), kKindButtons[i], i + 1 == kind);
}

int CScheduleRobotDlg::Kind() const {
  for (int i = 0; i < 6; ++i)
    if (Checked(GetPage(kKindPage), kKindButtons[i])) return i + 1;
  return kDaily;
}

int CScheduleRobotDlg::KindPage() const {
  switch (Kind()) {
    case kWeekly:
      return kWeeklyPage;
    case kMonthly:
      return kMonthlyPage;
    case kOnce:
      return kOncePage;
    case kStartup:
    case kLogon:
      return kAccountPage;
    default:
      return kDailyPage;
  }
}

void CScheduleRobotDlg::ShowPage() {
  if (m_CurrentPage >= kFinishedPage) {
    EndDialog(IDOK);
    return;
  }
  for (int i = 0; i < kPageCount; ++i) m_Pages[i]->ShowWindow(i == m_CurrentPage ? SW_SHOW : SW_HIDE);
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_SCHED_BACK), m_CurrentPage != kKindPage);
  SetDlgItemText(IDC_SCHED_NEXT, m_CurrentPage == kAccountPage ? "Finish" : "Next >");
  UpdateControls();
}

void CScheduleRobotDlg::OnNext() {
  switch (m_CurrentPage) {
    case kKindPage:
      m_CurrentPage = KindPage();
      break;
    case kAccountPage: {
      CWnd* account = GetPage(kAccountPage);
      if (Checked(account, IDC_SCHED_OTHER_ACCOUNT) &&
          account->GetDlgItemText(IDC_SCHED_PASSWORD) != account->GetDlgItemText(IDC_SCHED_CONFIRM)) {
        MessageBox("The password and its confirmation do not match.", nullptr, MB_OK | MB_ICONEXCLAMATION);
        return;
      }
      if (CreateTask()) {
        m_CurrentPage = kFinishedPage;
      } else {
        ShowSaveError(m_LastResult);
      }
      break;
    }
    default:
      m_CurrentPage = kAccountPage;
      break;
  }
  ShowPage();
}

void CScheduleRobotDlg::OnBack() {
  if (m_CurrentPage == kAccountPage) {
    m_CurrentPage = KindPage() == kAccountPage ? kKindPage : KindPage();
  } else if (m_CurrentPage > kKindPage && m_CurrentPage < kAccountPage) {
    m_CurrentPage = kKindPage;
  }
  ShowPage();
}

void CScheduleRobotDlg::OnCancelButton() { OnCancel(); }

void CScheduleRobotDlg::OnCancel() { CDialog::OnCancel(); }

void CScheduleRobotDlg::OnTimer(UINT_PTR id) {
  if (id != kUpdateTimer) {
    Default();
    return;
  }
  UpdateControls();
}

void CScheduleRobotDlg::OnDestroy() {
  KillTimer(kUpdateTimer);
  Default();
}

void CScheduleRobotDlg::UpdateControls() {
  if (m_CurrentPage >= kFinishedPage || !m_Pages[m_CurrentPage]) return;
  CWnd* page = GetPage(m_CurrentPage);
  bool next = true;
  switch (m_CurrentPage) {
    case kDailyPage: {
      bool every = Checked(page, IDC_SCHED_EVERY);
      Enable(page, IDC_SCHED_NUMBER, every);
      Enable(page, IDC_SCHED_SPIN, every);
      break;
    }
    case kWeeklyPage:
      next = false;
      for (int id : kWeekdayButtons) next = next || Checked(page, id);
      break;
    case kMonthlyPage: {
      next = false;
      for (int id : kMonthButtons) next = next || Checked(page, id);
      bool the = Checked(page, IDC_SCHED_THE);
      Enable(page, IDC_SCHED_WEEK_LIST, the);
      Enable(page, IDC_SCHED_WEEKDAY_LIST, the);
      break;
    }
    case kAccountPage: {
      bool other = Checked(page, IDC_SCHED_OTHER_ACCOUNT);
      for (int id : {IDC_SCHED_USER, IDC_SCHED_PASSWORD, IDC_SCHED_CONFIRM, IDC_SCHED_USER_LABEL,
                     IDC_SCHED_PASSWORD_LABEL, IDC_SCHED_CONFIRM_LABEL, IDC_SCHED_ACCOUNT_NOTE}) {
        Enable(page, id, other);
      }
      break;
    }
    default:
      break;
  }
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_SCHED_NEXT), next);
}

int CScheduleRobotDlg::PageNumber(int page) const {
  int value = StringToInt(GetPage(page)->GetDlgItemText(IDC_SCHED_NUMBER));
  int limit = NumberLimit(page);
  if (value < 1) return 1;
  return value > limit ? limit : value;
}

TASK_TRIGGER CScheduleRobotDlg::BuildTrigger() const {
  TASK_TRIGGER t = {};
  SYSTEMTIME date, time;
  GetLocalTime(&date);
  time = date;
  auto pickTime = [&](int page) { time = PickerTime(GetPage(page), IDC_SCHED_TIME); };
  auto pickDate = [&](int page) { date = PickerTime(GetPage(page), IDC_SCHED_DATE); };
  switch (Kind()) {
    case kDaily: {
      CWnd* daily = GetPage(kDailyPage);
      pickTime(kDailyPage);
      pickDate(kDailyPage);
      if (Checked(daily, IDC_SCHED_WEEKDAYS)) {
        t.TriggerType = TASK_TIME_TRIGGER_WEEKLY;
        t.Type.Weekly.WeeksInterval = 1;
        t.Type.Weekly.rgfDaysOfTheWeek = 0x3E;
      } else {
        t.TriggerType = TASK_TIME_TRIGGER_DAILY;
        t.Type.Daily.DaysInterval = Checked(daily, IDC_SCHED_EVERY) ? static_cast<WORD>(PageNumber(kDailyPage)) : 1;
      }
      break;
    }
    case kWeekly:
      pickTime(kWeeklyPage);
      t.TriggerType = TASK_TIME_TRIGGER_WEEKLY;
      t.Type.Weekly.WeeksInterval = static_cast<WORD>(PageNumber(kWeeklyPage));
      for (int i = 0; i < 7; ++i)
        if (Checked(GetPage(kWeeklyPage), kWeekdayButtons[i])) t.Type.Weekly.rgfDaysOfTheWeek |= kWeekdayBits[i];
      break;
    case kMonthly: {
      CWnd* monthly = GetPage(kMonthlyPage);
      pickTime(kMonthlyPage);
      WORD months = 0;
      for (int i = 0; i < 12; ++i)
        if (Checked(monthly, kMonthButtons[i])) months |= static_cast<WORD>(1 << i);
      if (Checked(monthly, IDC_SCHED_THE)) {
        t.TriggerType = TASK_TIME_TRIGGER_MONTHLYDOW;
        int week = IndexOf(ListText(monthly, IDC_SCHED_WEEK_LIST), kWeekNames, 5);
        int day = IndexOf(ListText(monthly, IDC_SCHED_WEEKDAY_LIST), kWeekdayNames, 7);
        t.Type.MonthlyDOW.wWhichWeek = static_cast<WORD>(week < 0 ? 1 : week + 1);
        t.Type.MonthlyDOW.rgfDaysOfTheWeek = kWeekdayBits[day < 0 ? 0 : day];
        t.Type.MonthlyDOW.rgfMonths = months;
      } else {
        t.TriggerType = TASK_TIME_TRIGGER_MONTHLYDATE;
        // PageNumber keeps the day within 1 to 31, so the bit always exists.
        t.Type.MonthlyDate.rgfDays = 1u << (PageNumber(kMonthlyPage) - 1);
        t.Type.MonthlyDate.rgfMonths = months;
      }
      break;
    }
    case kOnce:
      pickTime(kOncePage);
      pickDate(kOncePage);
      t.TriggerType = TASK_TIME_TRIGGER_ONCE;
      break;
    case kStartup:
      t.TriggerType = TASK_EVENT_TRIGGER_AT_SYSTEMSTART;
      break;
    default:
      t.TriggerType = TASK_EVENT_TRIGGER_AT_LOGON;
      break;
  }
  SYSTEMTIME start = date;
  start.wHour = time.wHour;
  start.wMinute = time.wMinute;
  TASK_TRIGGER dated = MakeTrigger(t.TriggerType, start);
  dated.Type = t.Type;
  return dated;
}

BOOL CScheduleRobotDlg::CreateTask() {
  CWnd* accountPage = GetPage(kAccountPage);
  bool other = Checked(accountPage, IDC_SCHED_OTHER_ACCOUNT);
  CScheduledTask job;
  job.SetApplicationName(GetProgramPath());
  job.SetParameters("-a " + m_RobotName);
  char directory[260];
  DWORD n = GetCurrentDirectoryA(sizeof directory, directory);
  job.SetWorkingDirectory(n > 0 && n < sizeof directory ? directory : "");
  if (other) {
    job.SetAccountName(accountPage->GetDlgItemText(IDC_SCHED_USER));
    job.SetPassword(accountPage->GetDlgItemText(IDC_SCHED_PASSWORD));
    job.SetFlags(kTaskFlagsOtherAccount);
  } else {
    job.SetFlags(kTaskFlagsCurrentAccount);
  }
  job.SetComment("");
  job.AddTrigger(BuildTrigger());
  CString jobName = m_ExistingJob ? m_ExistingJob->GetJobName() : JobNameOf(m_RobotName);
  m_LastResult = job.Save(jobName, FALSE, FALSE);
  return m_LastResult == S_OK;
}

void CScheduleRobotDlg::ShowSaveError(HRESULT hr) {
  char* system = nullptr;
  FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 static_cast<DWORD>(hr), 0, reinterpret_cast<char*>(&system), 0, nullptr);
  CString reason = system ? system : "Unknown error.";
  if (system) LocalFree(system);
  reason.TrimRight();
  CString text;
  text.Format("Error code: 0x%08X\n\n%s", static_cast<unsigned>(hr), reason.GetString());
  MessageBox(text, nullptr, MB_OK | MB_ICONEXCLAMATION);
}
