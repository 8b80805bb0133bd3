// Scheduling against the real Task Scheduler of the test prefix: the trigger records the wizard
// builds, saved and read back; the wrapper's saving, replacing, loading, listing and deleting;
// the wizard's pages; the schedule list's times, Modify and Delete.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "res/ids_schedule.h"
#include "robot/datafolder.h"
#include "schedule/schedulelistdlg.h"
#include "schedule/schedulerobotdlg.h"
#include "schedule/scheduledtask.h"
#include "tests/support/host_files.h"
#include "tests/support/test_support.h"
#include "tests/support/ui_support.h"

using namespace testing_support;

namespace {

// Every field of a trigger record, so a difference shows which one.
std::string Text(const TASK_TRIGGER& t) {
  char text[300];
  snprintf(text, sizeof text,
           "size=%u type=%d begin=%u-%u-%u end=%u-%u-%u at=%02u:%02u duration=%lu interval=%lu flags=%lu "
           "type words=%04x %04x %04x %04x random=%u",
           t.cbTriggerSize, t.TriggerType, t.wBeginYear, t.wBeginMonth, t.wBeginDay, t.wEndYear, t.wEndMonth,
           t.wEndDay, t.wStartHour, t.wStartMinute, t.MinutesDuration, t.MinutesInterval, t.rgFlags,
           reinterpret_cast<const WORD*>(&t.Type)[0], reinterpret_cast<const WORD*>(&t.Type)[1],
           reinterpret_cast<const WORD*>(&t.Type)[2], reinterpret_cast<const WORD*>(&t.Type)[3],
           t.wRandomMinutesInterval);
  return text;
}

SYSTEMTIME At(WORD year, WORD month, WORD day, WORD hour, WORD minute) {
  SYSTEMTIME t = {};
  t.wYear = year, t.wMonth = month, t.wDay = day, t.wHour = hour, t.wMinute = minute;
  return t;
}

CString JobName(const char* robot) { return CScheduleRobotDlg::JobNameOf(robot); }

// A job of this test program, removed before and after the test.
class ScheduledJob {
public:
  explicit ScheduledJob(const char* robot) : name_(JobName(robot)) { DeleteTaskJob(name_); }
  ~ScheduledJob() { DeleteTaskJob(name_); }
  const CString& name() const { return name_; }
  CScheduledTask Load() const { return CScheduledTask::LoadJob(name_.GetString()); }

private:
  CString name_;
};

CScheduledTask OnceJob(const char* parameters, const SYSTEMTIME& start) {
  CScheduledTask job;
  job.SetApplicationName(GetProgramPath());
  job.SetParameters(parameters);
  job.AddTrigger(MakeTrigger(TASK_TIME_TRIGGER_ONCE, start));
  return job;
}

// The wizard, modeless, driven through its controls.
class WizardTest : public ::testing::Test {
protected:
  void Open(const char* robot) {
    wizard.m_RobotName = robot;
    ASSERT_TRUE(wizard.Create(IDD_SCHEDULE_WIZARD));
    wizard.ShowWindow(SW_SHOW);
  }
  void TearDown() override {
    if (wizard.m_hWnd) wizard.DestroyWindow();
  }
  CWnd* Page(int page) { return wizard.GetPage(page); }
  void Button(int id) {
    wizard.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(wizard, id)));
  }
  void Next() { Button(IDC_SCHED_NEXT); }
  void Back() { Button(IDC_SCHED_BACK); }
  // Clicks a radio button or check box of the current page.
  void Click(int id) { ::SendMessageA(::GetDlgItem(Page(wizard.GetCurrentPage())->m_hWnd, id), BM_CLICK, 0, 0); }
  void SetTime(int page, int id, const SYSTEMTIME& time) {
    SYSTEMTIME copy = time;
    Page(page)->SendDlgItemMessage(id, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&copy));
  }
  void SetText(int id, const char* text) { Page(wizard.GetCurrentPage())->SetDlgItemText(id, text); }
  void Select(int id, const char* text) {
    Page(wizard.GetCurrentPage())->SendDlgItemMessage(id, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
  }
  bool NextEnabled() { return ::IsWindowEnabled(::GetDlgItem(wizard, IDC_SCHED_NEXT)) != FALSE; }
  CString NextText() { return wizard.GetDlgItemText(IDC_SCHED_NEXT); }

  MessageBoxCapture boxes;
  CScheduleRobotDlg wizard;
};

}  // namespace

TEST(ScheduleService, TheServiceRunsAndTheSchedulerAnswers) {
  EXPECT_TRUE(StartScheduleService());
  CTaskScheduler jobs;
  jobs.Enumerate("C:\\no\\such\\program.exe");
  EXPECT_EQ(jobs.GetCount(), 0);
}

// The trigger records of the wizard's choices, saved to the scheduler and read back unchanged.
TEST_F(WizardTest, TriggersTheWizardBuildsAreSavedAndReadBackEqual) {
  SYSTEMTIME today;
  GetLocalTime(&today);
  const SYSTEMTIME picked = At(2031, 3, 10, 9, 5);
  struct Case {
    const char* name;
    int kind;  // page 0's radio button
    std::vector<std::pair<int, const char*>> texts;  // number field and list choices
    std::vector<int> clicks;                          // radio buttons and check boxes of the page
    TASK_TRIGGER expected;
  };
  auto weekly = [&](WORD weeks, WORD days, const SYSTEMTIME& begin) {
    TASK_TRIGGER t = MakeTrigger(TASK_TIME_TRIGGER_WEEKLY, begin);
    t.Type.Weekly.WeeksInterval = weeks, t.Type.Weekly.rgfDaysOfTheWeek = days;
    return t;
  };
  auto daily = [&](WORD days) {
    TASK_TRIGGER t = MakeTrigger(TASK_TIME_TRIGGER_DAILY, picked);
    t.Type.Daily.DaysInterval = days;
    return t;
  };
  SYSTEMTIME todayDate = today;
  todayDate.wHour = todayDate.wMinute = 0;
  SYSTEMTIME todayAtPicked = today;
  todayAtPicked.wHour = picked.wHour, todayAtPicked.wMinute = picked.wMinute;
  auto monthlyDate = [&](DWORD days, WORD months) {
    TASK_TRIGGER t = MakeTrigger(TASK_TIME_TRIGGER_MONTHLYDATE, todayAtPicked);
    t.Type.MonthlyDate.rgfDays = days, t.Type.MonthlyDate.rgfMonths = months;
    return t;
  };
  TASK_TRIGGER lastSunday = MakeTrigger(TASK_TIME_TRIGGER_MONTHLYDOW, todayAtPicked);
  lastSunday.Type.MonthlyDOW.wWhichWeek = 5, lastSunday.Type.MonthlyDOW.rgfDaysOfTheWeek = 0x1,
  lastSunday.Type.MonthlyDOW.rgfMonths = 0x41;
  const std::vector<int> allMonthsButJanAndJuly = {1086, 1087, 1088, 1089, 1090, 1092, 1096, 1097, 1098, 1099};
  std::vector<int> lastSundayClicks = {IDC_SCHED_THE};
  lastSundayClicks.insert(lastSundayClicks.end(), allMonthsButJanAndJuly.begin(), allMonthsButJanAndJuly.end());

  const Case cases[] = {
      {"Weekdays", IDC_SCHED_KIND_DAILY, {}, {IDC_SCHED_WEEKDAYS}, weekly(1, 0x3E, picked)},
      {"Daily", IDC_SCHED_KIND_DAILY, {}, {}, daily(1)},
      {"Every3", IDC_SCHED_KIND_DAILY, {{IDC_SCHED_NUMBER, "3"}}, {IDC_SCHED_EVERY}, daily(3)},
      {"Every999", IDC_SCHED_KIND_DAILY, {{IDC_SCHED_NUMBER, "999"}}, {IDC_SCHED_EVERY}, daily(365)},
      {"Weekly", IDC_SCHED_KIND_WEEKLY, {{IDC_SCHED_NUMBER, "2"}}, {1085, 1091}, weekly(2, 0x3, todayAtPicked)},
      {"Day1", IDC_SCHED_KIND_MONTHLY, {}, {}, monthlyDate(0x1, 0xFFF)},
      {"Day31", IDC_SCHED_KIND_MONTHLY, {{IDC_SCHED_NUMBER, "31"}}, {}, monthlyDate(0x40000000, 0xFFF)},
      {"Day45", IDC_SCHED_KIND_MONTHLY, {{IDC_SCHED_NUMBER, "45"}}, {}, monthlyDate(0x40000000, 0xFFF)},
      {"Day0", IDC_SCHED_KIND_MONTHLY, {{IDC_SCHED_NUMBER, "0"}}, {}, monthlyDate(0x1, 0xFFF)},
      {"LastSunday", IDC_SCHED_KIND_MONTHLY, {{IDC_SCHED_WEEK_LIST, "last"}, {IDC_SCHED_WEEKDAY_LIST, "Sunday"}},
       lastSundayClicks, lastSunday},
      {"Once", IDC_SCHED_KIND_ONCE, {}, {}, MakeTrigger(TASK_TIME_TRIGGER_ONCE, picked)},
      {"Startup", IDC_SCHED_KIND_STARTUP, {}, {}, MakeTrigger(TASK_EVENT_TRIGGER_AT_SYSTEMSTART, todayDate)},
      {"Logon", IDC_SCHED_KIND_LOGON, {}, {}, MakeTrigger(TASK_EVENT_TRIGGER_AT_LOGON, todayDate)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string robot = std::string("Table ") + c.name;
    ScheduledJob job(robot.c_str());
    Open(robot.c_str());
    Click(c.kind);
    Next();
    int page = wizard.GetCurrentPage();
    if (page != CScheduleRobotDlg::kAccountPage) {
      SetTime(page, IDC_SCHED_TIME, picked);
      if (::GetDlgItem(Page(page)->m_hWnd, IDC_SCHED_DATE)) SetTime(page, IDC_SCHED_DATE, picked);
      for (int id : c.clicks) Click(id);
      for (const auto& [id, text] : c.texts) {
        if (id == IDC_SCHED_NUMBER) SetText(id, text);
        else Select(id, text);
      }
      Next();
    }
    ASSERT_EQ(wizard.GetCurrentPage(), CScheduleRobotDlg::kAccountPage);
    TASK_TRIGGER built = wizard.BuildTrigger();
    if (c.kind == IDC_SCHED_KIND_STARTUP || c.kind == IDC_SCHED_KIND_LOGON) {
      // Start-up and logon start "now": only the date is certain.
      built.wStartHour = built.wStartMinute = 0;
    }
    EXPECT_EQ(Text(built), Text(c.expected));
    Next();  // Finish
    EXPECT_FALSE(wizard.IsWindowVisible()) << "the wizard closes once the job is saved";
    EXPECT_TRUE(boxes.boxes().empty());

    CScheduledTask saved = job.Load();
    EXPECT_EQ(saved.GetApplicationName(), GetProgramPath());
    EXPECT_EQ(saved.GetParameters(), CString("-a ") + robot.c_str());
    EXPECT_EQ(saved.GetFlags(), 0x2001u) << "current account: only while logged on, interactive";
    ASSERT_EQ(saved.GetTriggerCount(), 1);
    EXPECT_EQ(Text(saved.GetTrigger(0)), Text(wizard.BuildTrigger()));
    wizard.DestroyWindow();
  }
}

TEST_F(WizardTest, StartUpAndLogonSkipTheTimePagesBothWays) {
  Open("Pages");
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(wizard, IDC_SCHED_BACK)));
  EXPECT_EQ(NextText(), "Next >");
  struct Case {
    int kind, page;
  } cases[] = {
      {IDC_SCHED_KIND_DAILY, CScheduleRobotDlg::kDailyPage},     {IDC_SCHED_KIND_WEEKLY, CScheduleRobotDlg::kWeeklyPage},
      {IDC_SCHED_KIND_MONTHLY, CScheduleRobotDlg::kMonthlyPage}, {IDC_SCHED_KIND_ONCE, CScheduleRobotDlg::kOncePage},
      {IDC_SCHED_KIND_STARTUP, CScheduleRobotDlg::kAccountPage}, {IDC_SCHED_KIND_LOGON, CScheduleRobotDlg::kAccountPage},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    Click(c.kind);
    Next();
    EXPECT_EQ(wizard.GetCurrentPage(), c.page);
    EXPECT_TRUE(Page(c.page)->IsWindowVisible());
    EXPECT_FALSE(Page(CScheduleRobotDlg::kKindPage)->IsWindowVisible());
    if (c.page != CScheduleRobotDlg::kAccountPage) {
      Next();
      EXPECT_EQ(wizard.GetCurrentPage(), CScheduleRobotDlg::kAccountPage);
    }
    EXPECT_EQ(NextText(), "Finish");
    Back();
    EXPECT_EQ(wizard.GetCurrentPage(), c.page == CScheduleRobotDlg::kAccountPage ? CScheduleRobotDlg::kKindPage : c.page);
    if (wizard.GetCurrentPage() != CScheduleRobotDlg::kKindPage) Back();
    EXPECT_EQ(wizard.GetCurrentPage(), CScheduleRobotDlg::kKindPage);
  }
}

TEST_F(WizardTest, NextWaitsForAWeekdayAndAMonthAndTheAccountFieldsForTheirRadio) {
  Open("Checks");
  Click(IDC_SCHED_KIND_WEEKLY);
  Next();
  EXPECT_TRUE(PumpUiUntil([&] { return !NextEnabled(); }, 2000)) << "no weekday checked";
  Click(1089);
  EXPECT_TRUE(PumpUiUntil([&] { return NextEnabled(); }, 2000));
  Back();
  Click(IDC_SCHED_KIND_MONTHLY);
  Next();
  for (int id : {1085, 1086, 1087, 1088, 1089, 1090, 1091, 1092, 1096, 1097, 1098, 1099}) Click(id);
  EXPECT_TRUE(PumpUiUntil([&] { return !NextEnabled(); }, 2000)) << "no month checked";
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(Page(CScheduleRobotDlg::kMonthlyPage)->m_hWnd, IDC_SCHED_WEEK_LIST)));
  Click(1092);
  Click(IDC_SCHED_THE);
  EXPECT_TRUE(PumpUiUntil([&] { return NextEnabled(); }, 2000));
  EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(Page(CScheduleRobotDlg::kMonthlyPage)->m_hWnd, IDC_SCHED_WEEK_LIST)));
  Next();
  HWND user = ::GetDlgItem(Page(CScheduleRobotDlg::kAccountPage)->m_hWnd, IDC_SCHED_USER);
  EXPECT_TRUE(PumpUiUntil([&] { return !::IsWindowEnabled(user); }, 2000));
  Click(IDC_SCHED_OTHER_ACCOUNT);
  EXPECT_TRUE(PumpUiUntil([&] { return ::IsWindowEnabled(user) != FALSE; }, 2000));
}

TEST_F(WizardTest, EnterAndAMismatchedPasswordNeverEndTheWizardWithoutAJob) {
  ScheduledJob job("Guarded");
  Open("Guarded");
  Click(IDC_SCHED_KIND_LOGON);
  Next();
  // Enter in a page and in the wizard itself.
  Page(CScheduleRobotDlg::kAccountPage)->SendMessage(WM_COMMAND, IDOK);
  wizard.SendMessage(WM_COMMAND, IDOK);
  EXPECT_TRUE(wizard.IsWindowVisible());
  Click(IDC_SCHED_OTHER_ACCOUNT);
  SetText(IDC_SCHED_USER, "someone");
  SetText(IDC_SCHED_PASSWORD, "secret");
  SetText(IDC_SCHED_CONFIRM, "secrets");
  Next();
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, "The password and its confirmation do not match.");
  EXPECT_EQ(boxes.boxes()[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
  EXPECT_EQ(wizard.GetCurrentPage(), CScheduleRobotDlg::kAccountPage);
  EXPECT_TRUE(wizard.IsWindowVisible());
  EXPECT_TRUE(job.Load().GetApplicationName().IsEmpty()) << "no job yet";
}

TEST_F(WizardTest, AFailedSaveShowsTheResultAndItsTextAndStays) {
  // A name the scheduler cannot make into a file.
  Open("bad|name");
  Next();
  Next();
  Next();
  ASSERT_EQ(boxes.boxes().size(), 1u);
  CString expected;
  expected.Format("Error code: 0x%08X\n\n", static_cast<unsigned>(wizard.GetLastResult()));
  EXPECT_TRUE(FAILED(wizard.GetLastResult()));
  EXPECT_EQ(boxes.boxes()[0].text.rfind(expected.GetString(), 0), 0u) << boxes.boxes()[0].text;
  EXPECT_GT(boxes.boxes()[0].text.size(), static_cast<size_t>(expected.GetLength()));
  EXPECT_EQ(boxes.boxes()[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
  EXPECT_EQ(wizard.GetCurrentPage(), CScheduleRobotDlg::kAccountPage);
  DeleteTaskJob(JobName("bad|name"));
}

TEST(ScheduledTask, SavingRefusesOrReplacesAnExistingJobAndKeepsTheFlagsRule) {
  ScheduledJob job("Wrapper");
  CScheduledTask empty;
  EXPECT_EQ(empty.Save(job.name(), FALSE, FALSE), E_FAIL) << "no program";
  EXPECT_EQ(CScheduledTask().Save("", FALSE, FALSE), E_FAIL);
  EXPECT_TRUE(job.Load().GetApplicationName().IsEmpty());

  CScheduledTask first = OnceJob("-a Wrapper", At(2031, 1, 15, 10, 30));
  first.SetFlags(kTaskFlagsCurrentAccount);
  first.SetComment("first");
  first.SetPriority(HIGH_PRIORITY_CLASS);
  first.SetIdleWait(5, 10);
  ASSERT_EQ(first.Save(job.name(), TRUE, FALSE), S_OK) << "a scheduler without priorities or idle waits still saves";
  CScheduledTask loaded = job.Load();
  EXPECT_TRUE(loaded.IsLoaded());
  EXPECT_EQ(loaded.GetJobName(), job.name());
  EXPECT_EQ(loaded.GetFlags(), 0x2001u);
  EXPECT_EQ(loaded.GetComment(), "first");

  CScheduledTask second = OnceJob("-a Other", At(2032, 2, 16, 11, 45));
  EXPECT_EQ(second.Save(job.name(), TRUE, FALSE), kJobExists);
  EXPECT_EQ(job.Load().GetParameters(), "-a Wrapper") << "the old job stays";

  // The name without ".job" names the same job.
  CString bare = job.name().Left(job.name().GetLength() - 4);
  ASSERT_EQ(second.Save(bare, FALSE, TRUE), S_OK);
  loaded = job.Load();
  EXPECT_EQ(loaded.GetParameters(), "-a Other");
  EXPECT_EQ(loaded.GetComment(), "") << "the replaced job keeps none of the old texts";
  EXPECT_EQ(loaded.GetFlags(), kTaskFlagsDefault | TASK_FLAG_INTERACTIVE) << "the given account: the given flags";
  ASSERT_EQ(loaded.GetTriggerCount(), 1) << "the old trigger went with the old job";
  EXPECT_EQ(Text(loaded.GetTrigger(0)), Text(MakeTrigger(TASK_TIME_TRIGGER_ONCE, At(2032, 2, 16, 11, 45))));
}

TEST(ScheduledTask, QueriesOfAJobAndOfOneThatDoesNotExist) {
  ScheduledJob job("Queries");
  ASSERT_EQ(OnceJob("-a Queries", At(2031, 1, 15, 10, 30)).Save(job.name(), FALSE, FALSE), S_OK);
  CScheduledTask loaded = job.Load();
  SYSTEMTIME next = loaded.GetNextRunTime();
  EXPECT_EQ(FormatRunTime(next), "Wednesday, January 15, 2031  10:30:00");
  EXPECT_EQ(FormatRunTime(loaded.GetMostRecentRunTime()), "Never") << "a job that never ran";
  SYSTEMTIME recent = loaded.GetMostRecentRunTime();
  EXPECT_EQ(recent.wYear + recent.wMonth + recent.wDay + recent.wHour, 0);
  HRESULT status = S_OK;
  EXPECT_EQ(loaded.GetStatus(&status), S_OK);
  EXPECT_EQ(status, SCHED_S_TASK_HAS_NOT_RUN);
  EXPECT_EQ(loaded.GetTriggerString(0), DescribeTrigger(loaded.GetTrigger(0)));
  EXPECT_EQ(loaded.GetTriggerString(1), "") << "there is one trigger";

  CScheduledTask notLoaded(job.name(), FALSE);
  EXPECT_EQ(notLoaded.GetTriggerString(0), "");
  EXPECT_EQ(FormatRunTime(notLoaded.GetNextRunTime()), "Never");

  CScheduledTask missing = CScheduledTask::LoadJob("VantorelPindrel_NoSuchRobot.job");
  EXPECT_TRUE(missing.IsLoaded());
  EXPECT_EQ(missing.GetJobName(), "VantorelPindrel_NoSuchRobot.job");
  EXPECT_TRUE(missing.GetApplicationName().IsEmpty());
  EXPECT_EQ(missing.GetTriggerCount(), 0);
  EXPECT_EQ(missing.GetFlags(), kTaskFlagsDefault);
  EXPECT_EQ(missing.GetTriggerString(0), "");
}

TEST(ScheduledTask, TheListHoldsThisProgramsJobsAndFindsARobotsJobWithoutCase) {
  ScheduledJob robot("Lister"), prefixless("Lister2"), shortOne("Lister3"), foreign("Lister4");
  ASSERT_EQ(OnceJob("-A LISTER", At(2031, 1, 15, 10, 30)).Save(robot.name(), FALSE, FALSE), S_OK);
  ASSERT_EQ(OnceJob("xyLister2", At(2031, 1, 15, 10, 30)).Save(prefixless.name(), FALSE, FALSE), S_OK);
  ASSERT_EQ(OnceJob("-a", At(2031, 1, 15, 10, 30)).Save(shortOne.name(), FALSE, FALSE), S_OK);
  CScheduledTask other = OnceJob("-a Lister4", At(2031, 1, 15, 10, 30));
  other.SetApplicationName("C:\\elsewhere\\pindrel.exe");
  ASSERT_EQ(other.Save(foreign.name(), FALSE, FALSE), S_OK);

  CTaskScheduler jobs;
  EXPECT_TRUE(jobs.Enumerate(GetProgramPath()));
  std::vector<std::string> names;
  for (int i = 0; i < jobs.GetCount(); ++i) names.push_back(jobs.GetTask(i).GetJobName().GetString());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"VantorelPindrel_Lister.job", "VantorelPindrel_Lister2.job",
                                             "VantorelPindrel_Lister3.job"}));
  struct Case {
    const char* robot;
    bool found;
  } cases[] = {{"lister", true}, {"Lister2", false}, {"", false}, {"Lister4", false}, {"Lister", true}};
  for (const Case& c : cases) {
    int index = jobs.FindRobotJob(c.robot);
    EXPECT_EQ(index >= 0, c.found) << c.robot;
    if (index >= 0) {
      EXPECT_EQ(jobs.GetTask(index).GetJobName(), robot.name());
    }
  }
  // Lower-case path: the program is the same.
  CString lower = GetProgramPath();
  lower.MakeLower();
  EXPECT_TRUE(jobs.Enumerate(lower));
  EXPECT_EQ(jobs.GetCount(), 3);
}

TEST(ScheduledTask, DeletingAJobOnceSucceedsAndAgainFails) {
  ScheduledJob job("Deleted");
  ASSERT_EQ(OnceJob("-a Deleted", At(2031, 1, 15, 10, 30)).Save(job.name(), FALSE, FALSE), S_OK);
  EXPECT_TRUE(DeleteScheduledTask(job.name()));
  EXPECT_FALSE(DeleteScheduledTask(job.name()));
  EXPECT_EQ(DeleteTaskJob(""), E_FAIL);
  EXPECT_TRUE(job.Load().GetApplicationName().IsEmpty());
}

// The schedule service holds a job file it reads after a change, as this thread does here for a
// moment: a delete in that moment still removes the job.
TEST(ScheduledTask, AJobTheServiceIsReadingIsDeletedOnceItLetsGo) {
  ScheduledJob job("Busy");
  ASSERT_EQ(OnceJob("-a Busy", At(2031, 1, 15, 10, 30)).Save(job.name(), FALSE, FALSE), S_OK);
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  std::string path = std::string(windows) + "\\Tasks\\" + job.name().GetString();
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::thread reader([held] {
    Sleep(300);
    CloseHandle(held);
  });
  EXPECT_EQ(DeleteTaskJob(job.name()), S_OK);
  reader.join();
  EXPECT_TRUE(job.Load().GetApplicationName().IsEmpty());
}

// A renamed robot's job keeps what only the scheduler holds (the password of its account): a job
// under another account changes its parameters in place; one that runs while its user is logged
// on needs no password and takes the new name. A job that cannot be changed is reported.
TEST(ScheduledTask, ARenamedRobotsJobKeepsItsAccountOrIsReported) {
  ScheduledJob other("Mover"), moved("Moved"), mine("Logged"), mineMoved("LoggedMoved"), frozen("Frozen"),
      thawed("Thawed");
  CScheduledTask job = OnceJob("-a Mover", At(2031, 1, 15, 10, 30));
  job.SetFlags(kTaskFlagsOtherAccount);
  ASSERT_EQ(job.Save(other.name(), FALSE, TRUE), S_OK);
  ASSERT_EQ(OnceJob("-a Logged", At(2031, 1, 15, 10, 30)).Save(mine.name(), FALSE, FALSE), S_OK);
  ASSERT_EQ(OnceJob("-a Frozen", At(2031, 1, 15, 10, 30)).Save(frozen.name(), FALSE, FALSE), S_OK);
  CTaskScheduler jobs;
  EXPECT_TRUE(MoveRobotJobs(jobs, "Mover", "Moved"));
  EXPECT_TRUE(MoveRobotJobs(jobs, "Logged", "LoggedMoved"));
  CScheduledTask kept = other.Load();
  EXPECT_EQ(kept.GetParameters(), "-a Moved");
  EXPECT_EQ(kept.GetFlags(), kTaskFlagsOtherAccount);
  EXPECT_TRUE(moved.Load().GetApplicationName().IsEmpty());
  EXPECT_TRUE(mine.Load().GetApplicationName().IsEmpty());
  EXPECT_EQ(mineMoved.Load().GetParameters(), "-a LoggedMoved");

  char windows[MAX_PATH];
  ASSERT_TRUE(GetWindowsDirectoryA(windows, MAX_PATH));
  // A folder that takes no new file and loses none: the job can be read but not moved or removed.
  ImmutableFile locked(std::string(windows) + "\\Tasks");
  ASSERT_TRUE(locked.ok());
  EXPECT_FALSE(MoveRobotJobs(jobs, "Frozen", "Thawed"));
  EXPECT_FALSE(DeleteRobotJobs(jobs, "Frozen"));
  EXPECT_EQ(frozen.Load().GetParameters(), "-a Frozen");
}

TEST(ScheduleTexts, TriggerDescriptionsAndRunTimes) {
  const SYSTEMTIME start = At(2031, 1, 15, 9, 5);
  TASK_TRIGGER every3 = MakeTrigger(TASK_TIME_TRIGGER_DAILY, start);
  every3.Type.Daily.DaysInterval = 3;
  TASK_TRIGGER daily = MakeTrigger(TASK_TIME_TRIGGER_DAILY, start);
  daily.Type.Daily.DaysInterval = 1;
  TASK_TRIGGER weekly = MakeTrigger(TASK_TIME_TRIGGER_WEEKLY, start);
  weekly.Type.Weekly.WeeksInterval = 2, weekly.Type.Weekly.rgfDaysOfTheWeek = 0x43;
  TASK_TRIGGER date = MakeTrigger(TASK_TIME_TRIGGER_MONTHLYDATE, start);
  date.Type.MonthlyDate.rgfDays = 0x40000001, date.Type.MonthlyDate.rgfMonths = 0xFFF;
  TASK_TRIGGER dow = MakeTrigger(TASK_TIME_TRIGGER_MONTHLYDOW, start);
  dow.Type.MonthlyDOW.wWhichWeek = 5, dow.Type.MonthlyDOW.rgfDaysOfTheWeek = 0x1, dow.Type.MonthlyDOW.rgfMonths = 0x41;
  struct Case {
    TASK_TRIGGER trigger;
    const char* text;
  } cases[] = {
      {MakeTrigger(TASK_EVENT_TRIGGER_AT_SYSTEMSTART, start), "Run at system startup"},
      {MakeTrigger(TASK_EVENT_TRIGGER_AT_LOGON, start), "Run at user logon"},
      {MakeTrigger(TASK_TIME_TRIGGER_ONCE, start), "At 09:05 on 1/15/2031"},
      {daily, "At 09:05 every day, starting 1/15/2031"},
      {every3, "At 09:05 every 3 days, starting 1/15/2031"},
      {weekly, "At 09:05 every Mon, Sat, Sun of every 2 weeks, starting 1/15/2031"},
      {date, "At 09:05 on day 1, 31 of every month, starting 1/15/2031"},
      {dow, "At 09:05 on the last Sun of Jan, Jul, starting 1/15/2031"},
  };
  for (const Case& c : cases) EXPECT_EQ(DescribeTrigger(c.trigger), c.text);

  struct TimeCase {
    SYSTEMTIME time;
    const char* text;
  } times[] = {
      {At(2031, 1, 15, 10, 30), "Wednesday, January 15, 2031  10:30:00"},
      {At(2030, 12, 1, 0, 0), "Sunday, December 01, 2030  00:00:00"},
      {At(1900, 1, 1, 23, 59), "Monday, January 01, 1900  23:59:00"},
      {At(1899, 12, 31, 1, 1), "Never"},
      {SYSTEMTIME{}, "Never"},
  };
  for (const TimeCase& c : times) EXPECT_EQ(FormatRunTime(c.time), c.text);
}

TEST(ScheduleList, ModifyOpensTheWizardOnTheJobAndDeleteRemovesItOnce) {
  ScheduledJob job("Listed");
  ASSERT_EQ(OnceJob("-a Listed", At(2031, 1, 15, 10, 30)).Save(job.name(), FALSE, FALSE), S_OK);
  MessageBoxCapture boxes;
  CScheduleListDlg list;
  list.m_JobName = job.name();
  list.m_Description = "At 10:30 on 1/15/2031";
  list.m_NextRun = "Wednesday, January 15, 2031  10:30:00";
  list.m_LastRun = "Never";
  ASSERT_TRUE(list.Create(IDD_SCHEDULE_LIST));
  ASSERT_EQ(list.GetList().GetItemCount(), 1);
  EXPECT_EQ(list.GetList().GetItemText(0, 0), "At 10:30 on 1/15/2031");
  EXPECT_EQ(list.GetList().GetItemText(0, 1), "Wednesday, January 15, 2031  10:30:00");
  EXPECT_EQ(list.GetList().GetItemText(0, 2), "Never");

  // Wine's scheduler has no property sheet: Modify opens the wizard on the job's "once" page.
  bool seen = false;
  RunLater(300, [&] {
    HWND wizard = FindWindowA("#32770", "Schedule Macro");
    auto* dlg = dynamic_cast<CScheduleRobotDlg*>(CWnd::FromHandlePermanent(wizard));
    if (!dlg) return;
    seen = true;
    CWnd* kind = dlg->GetPage(CScheduleRobotDlg::kKindPage);
    EXPECT_EQ(kind->IsDlgButtonChecked(IDC_SCHED_KIND_ONCE), static_cast<UINT>(BST_CHECKED));
    auto next = [&] { dlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SCHED_NEXT, BN_CLICKED), 0); };
    next();
    SYSTEMTIME shown = {};
    dlg->GetPage(CScheduleRobotDlg::kOncePage)->SendDlgItemMessage(IDC_SCHED_DATE, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown));
    EXPECT_EQ(shown.wYear * 10000 + shown.wMonth * 100 + shown.wDay, 20310115);
    SYSTEMTIME later = At(2033, 5, 6, 7, 8);
    dlg->GetPage(CScheduleRobotDlg::kOncePage)->SendDlgItemMessage(IDC_SCHED_DATE, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&later));
    dlg->GetPage(CScheduleRobotDlg::kOncePage)->SendDlgItemMessage(IDC_SCHED_TIME, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&later));
    next();
    next();  // Finish
  });
  list.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SCHED_MODIFY, BN_CLICKED), 0);
  EXPECT_TRUE(seen);
  EXPECT_TRUE(boxes.boxes().empty());
  CScheduledTask changed = job.Load();
  EXPECT_EQ(changed.GetParameters(), "-a Listed");
  ASSERT_EQ(changed.GetTriggerCount(), 1);
  EXPECT_EQ(Text(changed.GetTrigger(0)), Text(MakeTrigger(TASK_TIME_TRIGGER_ONCE, At(2033, 5, 6, 7, 8))));

  list.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SCHED_DELETE, BN_CLICKED), 0);
  EXPECT_EQ(list.GetList().GetItemCount(), 0);
  EXPECT_TRUE(job.Load().GetApplicationName().IsEmpty());
  list.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SCHED_DELETE, BN_CLICKED), 0);
  EXPECT_EQ(list.GetList().GetItemCount(), 0);
  EXPECT_TRUE(boxes.boxes().empty());
  list.DestroyWindow();
}
