// Process and run built-ins played by scripts: exit codes, working directory and show flag of the
// started program, the exact fatal texts, process look-up, waits with time-outs, closing,
// priorities, RunAs credentials and the shut-down seam.
#include <gtest/gtest.h>

#include <windows.h>

#include <mmsystem.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "script/osversion.h"
#include "script/sysutil/sysutil.h"
#include "tests/support/script_harness.h"
#include "tests/support/test_support.h"

using namespace testing_support;

namespace {

const char kProgramName[] = "pindrel_exitcode.exe";

std::string Q(const std::string& text) { return "\"" + text + "\""; }
std::string Program() { return ProgramFolder() + "\\" + kProgramName; }

class ProcessBuiltins : public ::testing::Test {
public:
  void SetUp() override { h.script().WinWaitDelay = 0; }
  void TearDown() override {
    for (DWORD id : started_) {
      if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, id)) {
        TerminateProcess(process, 1);
        CloseHandle(process);
      }
    }
  }

  // Runs "$r = <call>" and gives "result|@error".
  std::string Do(const std::string& call) {
    EXPECT_TRUE(h.Run("$r = " + call + "\n$e = @error")) << h.LastBox();
    return h.Global("R") + "|" + h.Global("E");
  }
  // The program text of RUN: the test program in single quotes and its arguments.
  static std::string Launch(const std::string& arguments) { return Q("'" + Program() + "' " + arguments); }
  // Starts a test program that sleeps; its process id.
  DWORD StartSleeper(int ms = 60000) {
    std::string outcome = Do("Run(" + Launch("0 --sleep " + std::to_string(ms)) + ")");
    DWORD id = static_cast<DWORD>(std::stoul(outcome.substr(0, outcome.find('|'))));
    started_.push_back(id);
    return id;
  }
  DWORD Timed(const std::string& call, std::string& outcome) {
    DWORD start = timeGetTime();
    outcome = Do(call);
    return timeGetTime() - start;
  }

  ScriptHarness h;
  std::vector<DWORD> started_;
};

bool Running(DWORD id) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
  if (!process) return false;
  bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
}

std::vector<UINT> g_shutdowns;
bool g_shutdownAnswer = true;
bool RecordShutdown(UINT flags) {
  g_shutdowns.push_back(flags);
  return g_shutdownAnswer;
}

}  // namespace

TEST_F(ProcessBuiltins, RunWaitGivesTheExitCodeWhateverItIs) {
  for (const char* code : {"0", "3", "259", "-1"}) {
    EXPECT_EQ(Do("RunWait(" + Launch(code) + ")"), std::string(code) + "|0") << code;
    EXPECT_EQ(h.script().Run.Wait, nullptr);  // the wait and its process are gone
    EXPECT_EQ(h.script().Depth, 0);
  }
  EXPECT_EQ(h.script().AfterRun, 1) << "the next recorded window may take longer to appear";
  // A path that does not exist is tried again by its file name (found beside this program).
  EXPECT_EQ(Do("RunWait(" + Q("'C:\\pindrel\\nowhere\\" + std::string(kProgramName) + "' 5") + ")"), "5|0");
}

TEST_F(ProcessBuiltins, TheProgramGetsItsWorkingDirectoryShowFlagAndArguments) {
  TempFolder folder("pindrel_run");
  std::string report = folder.File("report.txt");
  char current[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, current);
  struct Case {
    std::string extra;
    std::string cwd;
    int show;
  } cases[] = {
      {"", current, SW_SHOWNORMAL},
      {", " + Q(folder.path()) + ", 7", folder.path(), 7},
      {", \"\", 0", current, 0},  // an empty directory is the current one
  };
  for (const Case& c : cases) {
    DeleteFileA(report.c_str());
    EXPECT_EQ(Do("RunWait(" + Launch("4 --report " + report) + c.extra + ")"), "4|0") << c.extra;
    std::vector<std::string> lines = SplitLines(ReadFileBytes(report));
    ASSERT_EQ(lines.size(), 3u) << c.extra;
    EXPECT_EQ(lines[0], "cwd=" + c.cwd);
    EXPECT_EQ(lines[1], "show=" + std::to_string(c.show));
    EXPECT_EQ(lines[2], "args=4 --report " + report);
  }
}

TEST_F(ProcessBuiltins, RunGivesTheProcessIdAndReportsWhatCannotStart) {
  DWORD id = StartSleeper();
  EXPECT_TRUE(Running(id));
  std::string upper = Do("Run(" + Q("'" + ProgramFolder() + "\\PINDREL_EXITCODE.EXE' 0") + ")");
  EXPECT_NE(upper.substr(0, 2), "0|") << upper;
  std::string ready = Do("RunReadyInput(" + Launch("0") + ")");
  EXPECT_GT(std::stoul(ready), 0u) << ready;

  struct Case {
    std::string program;
    const char* error;
  } cases[] = {
      {"notepad.exe", "Invalid program to launch"},
      {" 'notepad.exe'", "Invalid program to launch"},
      {"", "Invalid program to launch"},
      {"''", "Empty program to launch"},
      {"'", "Empty program to launch"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(h.Run("Run(" + Q(c.program) + ")\n$after = 1")) << c.program;
    EXPECT_EQ(h.LastError(), c.error) << c.program;
    EXPECT_EQ(h.Global("AFTER"), "<undeclared>");
  }
  // A missing program: fatal with the system's text, or @error 1 when errors are not fatal.
  std::string missing = Q("'C:\\pindrel\\nowhere\\pindrel_missing.exe' x");
  EXPECT_FALSE(h.Run("Run(" + missing + ")"));
  EXPECT_EQ(h.LastError().rfind("Unable to execute the external program.\n\n", 0), 0u) << h.LastError();
  EXPECT_GT(h.LastError().size(), strlen("Unable to execute the external program.\n\n"));
  h.script().RunErrorsFatal = 0;
  EXPECT_EQ(Do("Run(" + missing + ")"), "0|1");
  EXPECT_EQ(Do("RunWait(" + missing + ")"), "0|1");
  // A document opens in the program of its type: the result stays 1.
  TempFolder folder("pindrel_doc");
  WriteFileBytes(folder.File("document.ini"), "[a]\r\n");
  EXPECT_EQ(Do("Run(" + Q("'" + folder.File("document.ini") + "'") + ")"), "1|0");
  EXPECT_EQ(Do("ProcessWait(\"notepad.exe\", 10)"), "1|0");
  EXPECT_EQ(Do("ProcessClose(\"notepad.exe\")"), "1|0");
  EXPECT_EQ(Do("ProcessWaitClose(\"notepad.exe\", 10)"), "1|0");
  // A document that cannot be opened is fatal all the same.
  EXPECT_FALSE(h.Run("Run(" + Q("'C:\\pindrel\\nowhere\\missing.txt'") + ")"));
  EXPECT_EQ(h.LastError().rfind("Unable to execute the external program.\n\n", 0), 0u) << h.LastError();
}

TEST_F(ProcessBuiltins, ProcessesAreFoundWaitedForAndClosed) {
  std::string name = Q(kProgramName);
  EXPECT_EQ(Do("ProcessExists(\"pindrel_no_such.exe\")"), "0|0");
  DWORD id = StartSleeper();
  std::string text = std::to_string(id);
  EXPECT_EQ(Do("ProcessExists(" + name + ")"), text + "|0");
  EXPECT_EQ(Do("ProcessExists(\"PINDREL_exitcode.EXE\")"), text + "|0");  // any case
  EXPECT_EQ(Do("ProcessExists(" + Q(text) + ")"), text + "|0");

  struct Case {
    std::string call, outcome;
    DWORD atLeast, below;
  } cases[] = {
      {"ProcessWait(" + name + ", 2)", "1|0", 0, 1500},
      {"ProcessWait(\"pindrel_no_such.exe\", 1)", "0|0", 1000, 3000},
      {"ProcessWaitClose(\"pindrel_no_such.exe\")", "1|0", 0, 1500},
      {"ProcessWaitClose(" + name + ", 1)", "0|0", 1000, 3000},
  };
  for (const Case& c : cases) {
    std::string outcome;
    DWORD elapsed = Timed(c.call, outcome);
    EXPECT_EQ(outcome, c.outcome) << c.call;
    EXPECT_GE(elapsed, c.atLeast) << c.call;
    EXPECT_LT(elapsed, c.below) << c.call;
  }

  EXPECT_EQ(Do("ProcessClose(" + Q(text) + ")"), "1|0");
  EXPECT_TRUE(PumpUntil([&] { return !Running(id); }, 5000));
  EXPECT_EQ(Do("ProcessClose(" + Q(text) + ")"), "1|0");  // no longer there: still 1
  // This program is never ended by its own script.
  EXPECT_EQ(Do("ProcessClose(" + Q(std::to_string(GetCurrentProcessId())) + ")"), "1|0");

  // A process that ends during the wait.
  DWORD shortOne = StartSleeper(600);
  std::string outcome;
  DWORD elapsed = Timed("ProcessWaitClose(" + Q(std::to_string(shortOne)) + ", 10)", outcome);
  EXPECT_EQ(outcome, "1|0");
  EXPECT_GE(elapsed, 300u);
  EXPECT_LT(elapsed, 5000u);
}

TEST_F(ProcessBuiltins, AProcessNameFindsTheFirstProcessOfTheList) {
  StartSleeper();
  StartSleeper();
  // The system's own order of the process list.
  DWORD first = 0;
  HANDLE list = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  ASSERT_NE(list, INVALID_HANDLE_VALUE);
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(list, &entry); more && !first; more = Process32Next(list, &entry))
    if (_stricmp(entry.szExeFile, kProgramName) == 0) first = entry.th32ProcessID;
  CloseHandle(list);
  EXPECT_EQ(Do("ProcessExists(" + Q(kProgramName) + ")"), std::to_string(first) + "|0");
}

TEST_F(ProcessBuiltins, PrioritiesAreSetOrRefused) {
  DWORD id = StartSleeper();
  std::string text = Q(std::to_string(id));
  const DWORD classes[] = {IDLE_PRIORITY_CLASS,         BELOW_NORMAL_PRIORITY_CLASS, NORMAL_PRIORITY_CLASS,
                           ABOVE_NORMAL_PRIORITY_CLASS, HIGH_PRIORITY_CLASS,         REALTIME_PRIORITY_CLASS};
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, id);
  ASSERT_TRUE(process);
  for (int code = 0; code < 6; ++code) {
    EXPECT_EQ(Do("ProcessSetPriority(" + text + ", " + std::to_string(code) + ")"), "1|0") << code;
    EXPECT_EQ(GetPriorityClass(process), classes[code]) << code;
  }
  CloseHandle(process);
  EXPECT_EQ(Do("ProcessSetPriority(" + text + ", 6)"), "0|1");
  EXPECT_EQ(Do("ProcessSetPriority(" + text + ", -1)"), "0|1");
  EXPECT_EQ(Do("ProcessSetPriority(\"pindrel_no_such.exe\", 2)"), "0|1");
}

TEST_F(ProcessBuiltins, ShutdownGoesThroughTheSeam) {
  ShutdownFunction previous = SetShutdownFunction(RecordShutdown);
  g_shutdowns.clear();
  g_shutdownAnswer = true;
  for (int code : {0, 1, 2, 8, 5}) EXPECT_EQ(Do("Shutdown(" + std::to_string(code) + ")"), "1|0");
  g_shutdownAnswer = false;
  EXPECT_EQ(Do("Shutdown(1)"), "0|0");
  SetShutdownFunction(previous);
  EXPECT_EQ(g_shutdowns, (std::vector<UINT>{0, 1, 2, 8, 5, 1}));
}

TEST_F(ProcessBuiltins, RunAsCredentialsOnlyOnWindows2000AndXP) {
  // Elsewhere RUNASSET does nothing and answers 0, whatever its arguments.
  EXPECT_EQ(Do("RunAsSet(\"user\", \"domain\", \"secret\")"), "0|0");
  EXPECT_EQ(Do("RunAsSet(\"user\")"), "0|0");
  EXPECT_EQ(h.script().RunAsActive, 0);

  OSVersionInfo saved = g_OSVersion;
  OSVERSIONINFOA xp = {};
  xp.dwOSVersionInfoSize = sizeof xp;
  xp.dwMajorVersion = 5;
  xp.dwMinorVersion = 1;
  xp.dwPlatformId = VER_PLATFORM_WIN32_NT;
  g_OSVersion = OSVersionInfo(xp);
  EXPECT_FALSE(h.Run("RunAsSet(\"user\", \"domain\")"));
  EXPECT_EQ(h.LastError(), "Incorrect number of parameters in function call.");
  struct Case {
    std::string extra;
    DWORD flags;
  } cases[] = {{"", LOGON_WITH_PROFILE}, {", 0", 0}, {", 2", LOGON_NETCREDENTIALS_ONLY}, {", 5", LOGON_WITH_PROFILE}};
  for (const Case& c : cases) {
    EXPECT_EQ(Do("RunAsSet(\"user\", \"domain\", \"secret\"" + c.extra + ")"), "1|0");
    EXPECT_EQ(h.script().RunAsActive, 1);
    EXPECT_EQ(h.script().RunAsLogonFlags, c.flags) << c.extra;
    EXPECT_TRUE(h.script().RunAsUser == L"user" && h.script().RunAsDomain == L"domain" &&
                h.script().RunAsPassword == L"secret");
  }
  EXPECT_EQ(Do("RunAsSet()"), "1|0");
  EXPECT_EQ(h.script().RunAsActive, 0);
  EXPECT_TRUE(h.script().RunAsPassword.empty());
  g_OSVersion = saved;
}
