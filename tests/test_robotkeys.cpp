// The robot key and wait built-ins through the recording seam, long waits ended by their timer
// or by a stop, and what a run leaves pressed released when it ends.
#include <gtest/gtest.h>

#include <windows.h>

#include <mmsystem.h>

#include <string>
#include <vector>

#include "script/builtins/robotkeys.h"
#include "script/sysutil/sysutil.h"
#include "tests/support/input_recorder.h"
#include "tests/support/script_harness.h"
#include "tests/support/test_support.h"

using namespace testing_support;

namespace {

std::string Taps(int vk, int times) {
  std::string n = std::to_string(vk), text;
  for (int i = 0; i < times; ++i) text += (i ? ", " : "") + ("down " + n + ", wait 1, up " + n + ", wait 5");
  return text;
}

// The recording seam, also recording BLOCKINPUT.
class Recorder : public InputRecorder {
public:
  BOOL BlockInput(BOOL block) override {
    events.push_back(block ? "block 1" : "block 0");
    return TRUE;
  }
};

CQuorvex_Script* g_stopScript = nullptr;
void CALLBACK StopRunTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (g_stopScript) g_stopScript->StopRun = 1;
}

// Runs the script, stopped after `stopAfterMs` when that is not 0; the milliseconds it took.
DWORD RunTimed(ScriptHarness& harness, const std::string& text, UINT stopAfterMs = 0) {
  g_stopScript = &harness.script();
  UINT_PTR timer = stopAfterMs ? SetTimer(nullptr, 0, stopAfterMs, StopRunTimer) : 0;
  DWORD start = timeGetTime();
  harness.Run(text);
  DWORD elapsed = timeGetTime() - start;
  if (timer) KillTimer(nullptr, timer);
  g_stopScript = nullptr;
  return elapsed;
}

// No flag, no timer, no raised resolution.
void ExpectLongWaitAtRest(const CQuorvex_Script& script) {
  EXPECT_EQ(script.WaitLongPending, 0);
  EXPECT_EQ(script.WaitLongTimer, 0u);
  EXPECT_EQ(script.WaitLongResolution, 0u);
}

// The first long-wait timer started while `g_captureTimer` is set: its callback is called again by
// hand, later, as a callback that comes late would be.
bool g_captureTimer = false;
LPTIMECALLBACK g_lateCallback = nullptr;
UINT g_lateTimer = 0;
DWORD_PTR g_lateUser = 0;
MMRESULT WINAPI CapturingSetTimer(UINT delay, UINT resolution, LPTIMECALLBACK callback, DWORD_PTR user, UINT flags) {
  MMRESULT timer = timeSetEvent(delay, resolution, callback, user, flags);
  if (g_captureTimer) {
    g_captureTimer = false;
    g_lateCallback = callback;
    g_lateTimer = timer;
    g_lateUser = user;
  }
  return timer;
}

// What the wait in progress held just after the late callback came.
bool g_pendingAfterLate = false, g_resolutionAfterLate = false;
void CALLBACK FireLateCallback(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  g_lateCallback(g_lateTimer, 0, g_lateUser, 0, 0);
  g_pendingAfterLate = g_stopScript->WaitLongPending != 0;
  g_resolutionAfterLate = g_stopScript->WaitLongResolution != 0;
}

}  // namespace

TEST(RobotKeys, KeyAndWaitStatements) {
  const char* kNone = "No such window anywhere";
  struct Case {
    std::string statement;
    std::string events;
    const char* result = "1";
    int speed = 0, titleMode = 1;
  } cases[] = {
      {"KeySend(\"\",\"\",\"\",\"<F5>\", \"\")", Taps(116, 1)},
      {"KeySend(\"\",\"\",\"\",\"<F5>\", 3)", Taps(116, 3)},
      {"KeySend(\"\",\"\",\"\",\",\", 2)", Taps(188, 2)},
      {"KeySend(\"\",\"\",\"\",\"<F5>\", 0)", ""},
      {"KeySend(\"\",\"\",\"\",\"<F5>\", -1)", ""},
      {"KeySend(\"\",\"\",\"\",\"<F5>\", \"many\")", ""},
      {"KeySend(\"\",\"\",\"\",\"<F5>\")", ""},
      {"KeySend(\"\",\"\",\"\",\"<NoSuchKey>\", 1)", Taps(57, 1)},  // an unknown name presses "9"
      {"KeyDown(\"\",\"\",\"\",\"<Ctrl>\", 1)\nKeyUp(\"\",\"\",\"\",\"<Ctrl>\", 1)", "down 17, up 17"},
      {"KeyUp(\"\",\"\",\"\",\"<Right>\", 1)", "up 39 ext"},
      {"KeySend(\"" + std::string(kNone) + "\",\"\",\"\",\"A\", 1)", "", "0"},
      {"KeyDown(\"" + std::string(kNone) + "\",\"\",\"\",\"A\", 1)", "", "0"},
      {"KeyUp(\"\",\"\",\"NoSuchControl7\",\"A\", 1)", "", "0"},
      // Title match mode 4: an empty title is the last window found, and none was found yet.
      {"KeySend(\"\",\"\",\"\",\"A\", 1)", "", "0", 0, 4},
      {"WAIT(200)", "wait 200"},
      {"WAIT(200)", "", "1", 1},
      {"WAIT(200)", "", "1", 2},
      {"WAIT(201)", "wait 201", "1", 1},
      {"WAIT(0)", "", "1", 2},
      // A long wait that no timer can take waits as WAIT does.
      {"WAITLONG(0)", "wait 0"},
      {"WAITLONG(0)", "", "1", 1},
      {"WAITLONG(-1)", "", "1", 2},
  };
  for (const Case& c : cases) {
    ScriptHarness harness;
    harness.script().WinTitleMatchMode = c.titleMode;
    harness.file().RobotSpeedMode = c.speed;
    InputRecorder rec;
    std::string text = c.statement;
    size_t lastLine = text.rfind('\n');
    text.insert(lastLine == std::string::npos ? 0 : lastLine + 1, "$r = ");
    ASSERT_TRUE(harness.Run(text)) << harness.LastBox();
    EXPECT_EQ(rec.events, Seq(c.events)) << c.statement << " at speed " << c.speed;
    EXPECT_EQ(harness.Global("R"), c.result) << c.statement;
    EXPECT_EQ(harness.script().GetError(), 0) << c.statement;
    ExpectLongWaitAtRest(harness.script());
  }
}

TEST(RobotKeys, LongWaits) {
  ScriptHarness harness;
  harness.file().RobotSpeedMode = 1;
  InputRecorder rec;
  // Never left out, whatever the speed; the timer waits, not the seam.
  EXPECT_GE(RunTimed(harness, "WAITLONG(150)\n$after = 1"), 140u);
  EXPECT_EQ(harness.Global("AFTER"), "1");
  EXPECT_TRUE(rec.events.empty());
  ExpectLongWaitAtRest(harness.script());
  // The end hotkey ends a ten-minute wait at the next poll; the next run waits in full.
  EXPECT_LT(RunTimed(harness, "WAITLONG(600000)\n$after = 2", 100), 10000u);
  EXPECT_EQ(harness.Global("AFTER"), "1");
  ExpectLongWaitAtRest(harness.script());
  EXPECT_GE(RunTimed(harness, "WAITLONG(150)\n$after = 3"), 140u);
  EXPECT_EQ(harness.Global("AFTER"), "3");
  // Timers that fire at once, often before the built-in has kept their id, never hang the run.
  RunTimed(harness, "For $i = 1 To 100\nWAITLONG(1)\nNext\n$done = $i");
  EXPECT_EQ(harness.Global("DONE"), "101");
  ExpectLongWaitAtRest(harness.script());
  // Ended twice, a wait is released once.
  harness.script().EndWaitTimer();
  harness.script().EndWaitTimer();
  ExpectLongWaitAtRest(harness.script());
}

TEST(RobotKeys, LongWaitEndsAtItsOwnDeadlineWhenItsTimerFiredEarly) {
  // The timer has fired (none is left) but the deadline of the performance counter is still
  // ahead: the next line waits for the deadline, and the wait is over afterwards.
  ScriptHarness harness;
  harness.script().WaitLongPending = 1;
  harness.script().WaitLongDeadline = PerfCounterNow() + 60 * PerfTicksPerMs();
  EXPECT_GE(RunTimed(harness, "$after = 1"), 59u);
  EXPECT_EQ(harness.Global("AFTER"), "1");
  ExpectLongWaitAtRest(harness.script());
  EXPECT_EQ(harness.script().WaitLongDeadline, 0);
  EXPECT_GE(RunTimed(harness, "WAITLONG(40)\n$after = 2"), 39u);
  EXPECT_EQ(harness.script().WaitLongDeadline, 0);
}

TEST(RobotKeys, LongWaitBeyondOneTimerRunsInParts) {
  UINT saved = g_WaitLongPartLimit;
  g_WaitLongPartLimit = 40;
  ScriptHarness harness;
  EXPECT_GE(RunTimed(harness, "WAITLONG(300)\n$after = 1"), 290u);
  EXPECT_EQ(harness.Global("AFTER"), "1");
  ExpectLongWaitAtRest(harness.script());
  EXPECT_LT(RunTimed(harness, "WAITLONG(5000)\n$after = 2", 100), 4000u);  // stopped between two parts
  EXPECT_EQ(harness.Global("AFTER"), "1");
  ExpectLongWaitAtRest(harness.script());
  g_WaitLongPartLimit = saved;
}

TEST(RobotKeys, ATimerOfAnEarlierWaitThatFiresLateNeitherEndsNorLengthensTheNext) {
  ScriptHarness harness;
  g_WaitLongSetTimer = CapturingSetTimer;
  g_captureTimer = true;
  RunTimed(harness, "WAITLONG(30)");
  ASSERT_NE(g_lateCallback, nullptr);
  // The next wait is 100 ms old when the earlier one's timer fires again.
  g_stopScript = &harness.script();
  SetTimer(nullptr, 0, 100, FireLateCallback);
  DWORD start = timeGetTime();
  harness.Run("WAITLONG(300)\n$after = 1");
  DWORD took = timeGetTime() - start;
  g_WaitLongSetTimer = timeSetEvent;
  EXPECT_TRUE(g_pendingAfterLate);
  EXPECT_TRUE(g_resolutionAfterLate);
  EXPECT_GE(took, 299u);
  EXPECT_LT(took, 1000u);
  EXPECT_EQ(harness.Global("AFTER"), "1");
  ExpectLongWaitAtRest(harness.script());
}

TEST(RobotKeys, RunEndReleasesWhatTheScriptLeftDown) {
  const char* held = "KeyDown(\"\",\"\",\"\",\"<Ctrl>\", 1)\nKeyDown(\"\",\"\",\"\",\"<Right>\", 1)\n";
  struct Case {
    std::string script;
    const char* released;  // the last events of the run
    UINT stopAfterMs = 0;
  } cases[] = {
      {std::string(held) + "KeySend(\"\",\"\",\"\",\"C\", 1)", "up 39 ext, up 17"},  // the last pressed first
      {std::string(held) + "WAITLONG(600000)", "up 39 ext, up 17", 100},             // stopped
      {std::string(held) + "$x = 1 +", "up 39 ext, up 17"},                          // an error
      {"MouseDown(\"left\")\nMouseDown(\"middle\")", "mouse 4 0 0 0, mouse 40 0 0 0"},
      {"MouseDown(\"left\")\nMouseUp(\"left\")", "mouse 2 0 0 0, mouse 4 0 0 0"},
      {"BlockInput(1)", "block 1, block 0"},
      {"BlockInput(1)\nBlockInput(0)", "block 1, block 0"},
      {"Send(\"{a down}{DEL down}\")", "up 46 ext, up 65"},
      {"Send(\"{SHIFTDOWN}{b down}\")", "up 16, up 66"},
  };
  ScriptHarness harness;
  harness.Run("$x = 1");  // whatever earlier tests left held is released here
  for (const Case& c : cases) {
    Recorder rec;
    RunTimed(harness, c.script, c.stopAfterMs);
    EXPECT_TRUE(rec.down.empty()) << c.script;
    std::vector<std::string> released = Seq(c.released);
    ASSERT_GE(rec.events.size(), released.size()) << c.script;
    EXPECT_EQ(std::vector<std::string>(rec.events.end() - static_cast<long>(released.size()), rec.events.end()),
              released)
        << c.script;
    size_t before = rec.events.size();
    harness.Run("$x = 1");  // the next run has nothing left to release
    EXPECT_EQ(rec.events.size(), before) << c.script;
  }
}
