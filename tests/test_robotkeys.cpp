// The robot key and wait built-ins: key sequences and waits through the recording seam, speed
// modes, long waits ended by their timer or by a stop, and keys released when a run ends.
#include <gtest/gtest.h>

#include <windows.h>

#include <mmsystem.h>

#include <string>
#include <vector>

#include "script/builtins/robotkeys.h"
#include "tests/support/input_recorder.h"
#include "tests/support/script_harness.h"
#include "tests/support/test_support.h"

using namespace testing_support;

namespace {

std::vector<std::string> Seq(const std::string& text) {
  std::vector<std::string> items;
  std::string::size_type start = 0;
  while (start < text.size()) {
    std::string::size_type comma = text.find(", ", start);
    if (comma == std::string::npos) comma = text.size();
    items.push_back(text.substr(start, comma - start));
    start = comma + 2;
  }
  return items;
}

std::string Tap(int vk) {
  std::string n = std::to_string(vk);
  return "down " + n + ", wait 1, up " + n + ", wait 5";
}

std::string Times(const std::string& part, int n) {
  std::string text;
  for (int i = 0; i < n; ++i) text += (i ? ", " : "") + part;
  return text;
}

CQuorvex_Script* g_stopScript = nullptr;
void CALLBACK StopRunTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (g_stopScript) g_stopScript->StopRun = 1;
}

// The long-wait state is back at rest: no flag, no timer, no raised resolution.
void ExpectLongWaitAtRest(const CQuorvex_Script& script) {
  EXPECT_EQ(g_WaitLongPending, 0);
  EXPECT_EQ(script.WaitLongTimer, 0u);
  EXPECT_EQ(script.WaitLongResolution, 0u);
}

}  // namespace

TEST(RobotKeys, KeyStatementsAsTheEditorWritesThem) {
  struct Case {
    const char* statement;
    std::string events;
    const char* result;
    int titleMode = 1;
  } cases[] = {
      {"KeySend(\"\",\"\",\"\",\"<F5>\", \"\")", Tap(116), "1"},
      {"KeySend(\"\",\"\",\"\",\"<F5>\", 3)", Times(Tap(116), 3), "1"},
      {"KeySend(\"\",\"\",\"\",\"A\", 1)", Tap(65), "1"},
      {"KeySend(\"\",\"\",\"\",\",\", 2)", Times(Tap(188), 2), "1"},
      {"KeySend(\"\",\"\",\"\",\"<Enter>\", \" 2 times\")", Times(Tap(13), 2), "1"},
      {"KeySend(\"\",\"\",\"\",\"<F5>\", 0)", "", "1"},
      {"KeySend(\"\",\"\",\"\",\"<F5>\", -1)", "", "1"},
      {"KeySend(\"\",\"\",\"\",\"<F5>\", \"many\")", "", "1"},
      {"KeySend(\"\",\"\",\"\",\"<F5>\")", "", "1"},
      {"KeySend(\"\",\"\",\"\",\"<NoSuchKey>\", 1)", Tap(57), "1"},  // an unknown name presses "9"
      {"KeyDown(\"\",\"\",\"\",\"<Ctrl>\", 1)\nKeyUp(\"\",\"\",\"\",\"<Ctrl>\", 1)", "down 17, up 17", "1"},
      {"KeyUp(\"\",\"\",\"\",\"<Right>\", 1)", "up 39 ext", "1"},
      {"KeyDown(\"\",\"\",\"\",\"<Right>\", 1)", "down 39 ext, up 39 ext", "1"},  // released at the run's end
      {"KeySend(\"No such window anywhere\",\"\",\"\",\"a\", 1)", "", "0"},
      {"KeyDown(\"No such window anywhere\",\"\",\"\",\"a\", 1)", "", "0"},
      {"KeyUp(\"\",\"\",\"NoSuchControl7\",\"a\", 1)", "", "0"},
      // Title match mode 4: an empty title is the last window found, and none was found yet.
      {"KeySend(\"\",\"\",\"\",\"a\", 1)", "", "0", 4},
  };
  for (const Case& c : cases) {
    ScriptHarness harness;
    harness.script().WinTitleMatchMode = c.titleMode;
    InputRecorder rec;
    std::string statement = c.statement;
    size_t lastLine = statement.rfind('\n');
    statement.insert(lastLine == std::string::npos ? 0 : lastLine + 1, "$r = ");
    ASSERT_TRUE(harness.Run(statement)) << harness.LastBox();
    EXPECT_EQ(rec.events, Seq(c.events)) << c.statement;
    EXPECT_EQ(harness.Global("R"), c.result) << c.statement;
    EXPECT_EQ(harness.script().GetError(), 0) << c.statement;
  }
}

TEST(RobotKeys, ShortWaitsAreLeftOutAtTheFasterSpeeds) {
  struct Case {
    int speed;
    const char* statement;
    const char* events;
  } cases[] = {
      {0, "WAIT(200)", "wait 200"},   {1, "WAIT(200)", ""},         {2, "WAIT(200)", ""},
      {1, "WAIT(201)", "wait 201"},   {2, "WAIT(60000)", "wait 60000"}, {0, "WAIT(0)", "wait 0"},
      {1, "WAIT(0)", ""},             {0, "WAIT(-5)", "wait -5"},
      // A long wait whose timer cannot start waits as WAIT does.
      {0, "WAITLONG(0)", "wait 0"},   {1, "WAITLONG(0)", ""},       {2, "WAITLONG(-1)", ""},
  };
  for (const Case& c : cases) {
    ScriptHarness harness;
    harness.file().RobotSpeedMode = c.speed;
    InputRecorder rec;
    ASSERT_TRUE(harness.Run(std::string("$r = ") + c.statement));
    EXPECT_EQ(rec.events, Seq(c.events)) << c.statement << " at speed " << c.speed;
    EXPECT_EQ(harness.Global("R"), "1");
    ExpectLongWaitAtRest(harness.script());
  }
}

TEST(RobotKeys, LongWaitEndsByItsTimerAtAnySpeed) {
  ScriptHarness harness;
  harness.file().RobotSpeedMode = 1;
  InputRecorder rec;
  DWORD start = timeGetTime();
  ASSERT_TRUE(harness.Run("WAITLONG(150)\n$after = 1"));
  DWORD elapsed = timeGetTime() - start;
  EXPECT_GE(elapsed, 140u);  // never left out, whatever the speed
  EXPECT_EQ(harness.Global("AFTER"), "1");
  EXPECT_TRUE(rec.events.empty());  // the timer waits, not the seam
  ExpectLongWaitAtRest(harness.script());
}

int g_ticks = 0;
void CALLBACK CountTicks(HWND, UINT, UINT_PTR, DWORD) { ++g_ticks; }

TEST(RobotKeys, WindowMessagesArriveDuringALongWait) {
  ScriptHarness harness;
  g_ticks = 0;
  UINT_PTR timer = SetTimer(nullptr, 0, 20, CountTicks);
  ASSERT_TRUE(harness.Run("WAITLONG(300)"));
  KillTimer(nullptr, timer);
  EXPECT_GE(g_ticks, 3);
}

TEST(RobotKeys, StopDuringALongWaitEndsTheRunAndANewRunWaitsAgain) {
  ScriptHarness harness;
  g_stopScript = &harness.script();
  UINT_PTR timer = SetTimer(nullptr, 0, 100, StopRunTimer);
  DWORD start = timeGetTime();
  ASSERT_TRUE(harness.Run("WAITLONG(600000)\n$after = 1"));
  DWORD elapsed = timeGetTime() - start;
  KillTimer(nullptr, timer);
  g_stopScript = nullptr;
  EXPECT_LT(elapsed, 10000u);  // the ten-minute wait did not run out
  EXPECT_EQ(harness.Global("AFTER"), "<undeclared>");
  ExpectLongWaitAtRest(harness.script());

  start = timeGetTime();
  ASSERT_TRUE(harness.Run("WAITLONG(150)\n$after = 2"));
  EXPECT_GE(timeGetTime() - start, 140u);
  EXPECT_EQ(harness.Global("AFTER"), "2");
  ExpectLongWaitAtRest(harness.script());
}

TEST(RobotKeys, LongWaitBeyondOneTimerRunsInParts) {
  UINT saved = g_WaitLongPartLimit;
  g_WaitLongPartLimit = 40;
  ScriptHarness harness;
  DWORD start = timeGetTime();
  ASSERT_TRUE(harness.Run("WAITLONG(300)\n$after = 1"));
  EXPECT_GE(timeGetTime() - start, 290u);
  EXPECT_EQ(harness.Global("AFTER"), "1");
  ExpectLongWaitAtRest(harness.script());
  // A stop between two parts ends it.
  g_stopScript = &harness.script();
  UINT_PTR timer = SetTimer(nullptr, 0, 100, StopRunTimer);
  start = timeGetTime();
  ASSERT_TRUE(harness.Run("WAITLONG(5000)\n$after = 2"));
  KillTimer(nullptr, timer);
  g_stopScript = nullptr;
  EXPECT_LT(timeGetTime() - start, 4000u);
  EXPECT_EQ(harness.Global("AFTER"), "1");
  ExpectLongWaitAtRest(harness.script());
  g_WaitLongPartLimit = saved;
}

TEST(RobotKeys, TimersThatFireAtOnceNeverHangTheRun) {
  // One-millisecond waits: the timer often fires before the built-in has kept its id.
  ScriptHarness harness;
  ASSERT_TRUE(harness.Run("For $i = 1 To 100\nWAITLONG(1)\nNext\n$done = $i"));
  EXPECT_EQ(harness.Global("DONE"), "101");
  ExpectLongWaitAtRest(harness.script());
  // Ending a wait twice (the timer's end and the run's end) releases it once.
  harness.script().EndWaitTimer(12345);
  harness.script().EndWaitTimer();
  ExpectLongWaitAtRest(harness.script());
}

TEST(RobotKeys, RunEndReleasesHeldKeysHoweverItEnds) {
  struct Case {
    const char* script;
    bool stop;
  } cases[] = {
      {"KeyDown(\"\",\"\",\"\",\"<Ctrl>\", 1)\nKeyDown(\"\",\"\",\"\",\"<Right>\", 1)\nKeySend(\"\",\"\",\"\",\"c\", 1)", false},
      {"KeyDown(\"\",\"\",\"\",\"<Ctrl>\", 1)\nKeyDown(\"\",\"\",\"\",\"<Right>\", 1)\nWAITLONG(600000)", true},
      {"KeyDown(\"\",\"\",\"\",\"<Ctrl>\", 1)\nKeyDown(\"\",\"\",\"\",\"<Right>\", 1)\n$x = 1 +", false},
  };
  for (const Case& c : cases) {
    ScriptHarness harness;
    InputRecorder rec;
    g_stopScript = &harness.script();
    UINT_PTR timer = c.stop ? SetTimer(nullptr, 0, 100, StopRunTimer) : 0;
    harness.Run(c.script);
    if (timer) KillTimer(nullptr, timer);
    g_stopScript = nullptr;
    EXPECT_TRUE(rec.down.empty()) << c.script;
    ASSERT_GE(rec.events.size(), 2u);
    std::vector<std::string> tail(rec.events.end() - 2, rec.events.end());
    EXPECT_EQ(tail, Seq("up 39 ext, up 17")) << c.script;  // the last pressed first
  }
}
