// Action display lines and their script statements, both ways, with the window suffix and the
// speed mark; malformed lines never crash and translate to "" or a partial text.
#include <gtest/gtest.h>

#include "robot/actiontext.h"
#include "tests/support/test_support.h"

namespace {

const char kMark[] = "=> [remove on faster speed]";

// Rows that translate both ways exactly.
struct RoundTrip {
  const char* display;
  const char* script;
};

const RoundTrip kRoundTrips[] = {
    {"Mouse Left Click", "MouseClick(\"left\", 1)"},
    {"Mouse Left Click, 3 times", "MouseClick(\"left\", 3)"},
    {"Mouse Right Click", "MouseClick(\"right\", 1)"},
    {"Mouse Right Click, 2 times", "MouseClick(\"right\", 2)"},
    {"Mouse Double Click", "MouseDoubleClick(\"left\", 1)"},
    {"Mouse Double Click, 4 times", "MouseDoubleClick(\"left\", 4)"},
    {"Mouse Scroll Up", "MouseWheel(\"up\")"},
    {"Mouse Scroll Down", "MouseWheel(\"down\")"},
    {"Mouse Left Down", "MouseDown(\"left\")"},
    {"Mouse Left Up", "MouseUp(\"left\")"},
    {"Mouse Right Down", "MouseDown(\"right\")"},
    {"Mouse Right Up", "MouseUp(\"right\")"},
    {"Mouse move to 640, 480", "MouseMove(640, 480)"},
    {"Relative mouse move -5, 12", "MouseRelativeMove(-5, 12)"},
    {"Key Press A", "KeySend(\"\",\"\",\"\",\"A\", 1)"},
    {"Key Press <F5>, 3 times", "KeySend(\"\",\"\",\"\",\"<F5>\", 3)"},
    {"Key Up <Shift>", "KeyUp(\"\",\"\",\"\",\"<Shift>\", 1)"},
    {"Key Down <Ctrl>, 2 times", "KeyDown(\"\",\"\",\"\",\"<Ctrl>\", 2)"},
    {"Key Press ,, 3 times", "KeySend(\"\",\"\",\"\",\",\", 3)"},
    {"Wait 500 milliseconds", "WAIT(500)"},
    {"Wait 60000 milliseconds", "WAIT(60000)"},
    {"Wait 60001 milliseconds", "WAITLONG(60001)"},
    {"Input text hello world", "Send(\"hello world\")"},
    {"TAG start", "TAG $start"},
    {"Switch to TAG start", "GOTO $start"},
    {"Start loopA, loop 5 times", "For $countA = 1 To 5"},
    {"Start loop, loop 2 times", "For $count = 1 To 2"},
    {"End loop block", "Next"},
    {"If color at mouse point Equal to #FF8000, Then", "If CheckColor(-1,-1,255,128,0,0) Then"},
    {"If color at (10, 20) Unqual to #010203, Then", "If CheckColor(10,20,1,2,3,1) Then"},
    {"If color at (1, 2) Approximately equal to #ABCDEF, Then", "If CheckColor(1,2,171,205,239,2) Then"},
    {"Else", "Else"},
    {"EndIf", "EndIf"},
    {"Comment: MouseClick(\"left\", 1)", "Comment: MouseClick(\"left\", 1)"},
    {"Run notepad.exe|C:\\work|1|0", "Run(\"notepad.exe\", \"C:\\work\", 1)"},
    {"Run calc.exe||3|1", "RunReadyInput(\"calc.exe\", \"\", 3)"},
    {"Run cmd.exe|C:\\|0|2", "RunWait(\"cmd.exe\", \"C:\\\", 0)"},
    {"Shut down computer", "Shutdown(1)"},
    {"Power off computer", "Shutdown(8)"},
    {"Restart computer", "Shutdown(2)"},
    {"Log off computer", "Shutdown(0)"},
};

TEST(ActionText, EveryRowBothWaysWithAndWithoutSuffixes) {
  const struct {
    const char* display;
    const char* script;
  } suffixes[] = {{"", ""}, {" At Win [2]", "-> At Win [2]"}, {"", ""}, {" At Win [0]", "-> At Win [0]"}};
  for (const auto& row : kRoundTrips) {
    for (int i = 0; i < 4; ++i) {
      CString mark = i >= 2 ? kMark : "";
      CString display = CString(row.display) + suffixes[i].display + mark;
      CString script = CString(row.script) + suffixes[i].script + mark;
      EXPECT_EQ(ActionTextToScript(display), script) << display.GetString();
      EXPECT_EQ(ScriptToActionText(script), display) << script.GetString();
    }
  }
}

// Rows that translate one way into something the other way shows differently.
TEST(ActionText, OneWayRows) {
  const struct {
    const char* display;
    const char* script;
  } toScript[] = {
      {"Wait 2 seconds", "WAIT(2000)"},
      {"Wait 2 minutes", "WAITLONG(120000)"},
      {"Wait 60 seconds", "WAIT(60000)"},
      {"Wait 50000 minutes", "WAITLONG(3000000000)"},  // beyond 32 bits
      {"Key Press ,", "KeySend(\"\",\"\",\"\",\",\",1)"},
      {"Input text say \"hi\"", "Send(\"say hi\")"},
      {"Mouse Scroll uP", "MouseWheel(\"up\")"},
      {"Mouse Scroll sideways", "MouseWheel(\"down\")"},
      {"If color at (  7,  9) Equal to #ff00aa, Then", "If CheckColor(7,9,255,0,170,0) Then"},
      {"Something else", ""},
      {"", ""},
  };
  for (const auto& row : toScript) EXPECT_EQ(ActionTextToScript(row.display), row.script) << row.display;

  const struct {
    const char* script;
    const char* display;
  } toDisplay[] = {
      {"WAITLONG(120000)", "Wait 120000 milliseconds"},
      {"KeySend(\"\",\"\",\"\",\",\",1)", "Key Press ,"},
      {"MouseWheel(\"UP\")", "Mouse Scroll Up"},
      {"If CheckColor(1,2,3,4,5,5) Then", "If color at (1, 2) Approximately equal to #030405, Then"},
      {"Shutdown(4)", ""},
      {"While $i < 3", ""},
      {"$x = 1", ""},
  };
  for (const auto& row : toDisplay) EXPECT_EQ(ScriptToActionText(row.script), row.display) << row.script;
}

TEST(ActionText, SuffixesStandEvenWhenTheLineDoesNotTranslate) {
  EXPECT_EQ(ActionTextToScript(CString("Nothing At Win [1]") + kMark), CString("-> At Win [1]") + kMark);
  // A marker without a closing bracket is not a suffix.
  EXPECT_EQ(ScriptToActionText("Send(\"x-> At Win [3\")"), "Input text x-> At Win [3");
  // The last marker counts.
  EXPECT_EQ(ActionTextToScript("Input text a At Win [1] At Win [2]"), "Send(\"a At Win [1]\")-> At Win [2]");
}

TEST(ActionText, RunLineWithBadFlagWarnsAndStillTranslates) {
  testing_support::MessageBoxCapture boxes;
  EXPECT_EQ(ScriptToActionText("Run(\"a.exe\", \"C:\\\", 12)"), "Run a.exe|C:\\|12|0");
  EXPECT_EQ(ScriptToActionText("RunWait(\"a.exe\", \"\", )"), "Run a.exe|||2");
  ASSERT_EQ(boxes.boxes().size(), 2u);
  EXPECT_EQ(boxes.boxes()[0].text, "Some error may happened");
  EXPECT_EQ(boxes.boxes()[0].caption, "Warning");
}

// Truncated and malformed lines: every prefix of every row, both ways, never crashes.
TEST(ActionText, TruncatedLinesNeverReadOutsideTheLine) {
  testing_support::MessageBoxCapture boxes;
  for (const auto& row : kRoundTrips) {
    CString display = CString(row.display) + " At Win [1]" + kMark;
    CString script = CString(row.script) + "-> At Win [1]" + kMark;
    for (int n = 0; n <= display.GetLength(); ++n) ActionTextToScript(display.Left(n));
    for (int n = 0; n <= script.GetLength(); ++n) ScriptToActionText(script.Left(n));
  }
  EXPECT_EQ(ActionTextToScript("Mouse move to 12"), "MouseMove(12, )");
  EXPECT_EQ(ActionTextToScript("If color at (1"), "");
  EXPECT_EQ(ActionTextToScript("Run |"), "");
}

}  // namespace
