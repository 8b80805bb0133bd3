// Recording in the real program under Wine: the editor's recorder, visible with its buttons or
// hidden behind Ctrl+Alt+R and Ctrl+Alt+S (neither of which it records), records two clicks
// into the logging target and the keys A and B through the real hook library; the rows land
// between the two comment lines, the robot is saved, and its start hotkey plays the clicks and
// keys back into the target.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/pindrel_process.h"
#include "tests/support/robot_folder.h"
#include "tests/support/test_support.h"
#include "tests/support/test_target.h"
#include "tests/support/ui_support.h"

using namespace testing_support;

namespace {

// Ids of the program's resources that the test drives.
const int kAddRobot = 1005;
const int kRobotName = 1028;
const int kStartKey = 1032;
const int kActionList = 1039;
const int kRecordStart = 1064;
const int kRecordStop = 1065;
const int kRecordActions = 1300;
const char kRecorderCaption[] = "Record keyboard and mouse actions";

void Command(HWND control) {
  PostMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED),
               reinterpret_cast<LPARAM>(control));
}

void Key(BYTE vk) {
  keybd_event(vk, static_cast<BYTE>(MapVirtualKeyA(vk, 0)), 0, 0);
  keybd_event(vk, static_cast<BYTE>(MapVirtualKeyA(vk, 0)), KEYEVENTF_KEYUP, 0);
}

std::string MoveLine(POINT p) { return "Mouse move to " + std::to_string(p.x) + ", " + std::to_string(p.y); }

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

class RecordEndToEnd : public ::testing::Test {
protected:
  void SetUp() override {
    // Below the band of Wine's stand-in tray, which grows with the icons of killed instances.
    ASSERT_TRUE(target.Start("Pindrel Record Target", 20, 60));
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.WaitForMainWindow());
    first = target.ScreenPoint(60, 20);    // the edit control
    second = target.ScreenPoint(300, 150);  // the window's own client area
  }
  void TearDown() override { app.Kill(); }

  HWND OpenEditor() {
    Command(GetDlgItem(app.main(), kAddRobot));
    HWND editor = nullptr;
    EXPECT_TRUE(PumpUntil([&] { return (editor = app.FindWindowOfProcess("#32770", "Add Robot")) != nullptr; }, 10000));
    return editor;
  }

  // The clicks and keys the user records, each a while after the one before.
  void DoTheJob() {
    ASSERT_TRUE(BringToFront(target.hwnd()));
    PumpFor(300);
    ClickAt(first);
    PumpFor(300);
    ClickAt(second);
    PumpFor(300);
    Key('A');
    PumpFor(100);
    Key('B');
    PumpFor(300);
  }

  std::vector<std::string> Rows(HWND editor) const {
    HWND list = GetDlgItem(editor, kActionList);
    std::vector<std::string> rows;
    for (int row = 0; row < ListView_GetItemCount(list); ++row) rows.push_back(app.ListText(list, row, 1));
    return rows;
  }

  // The rows hold the recording between the comment lines: each press after a move to its
  // place, the first with the window suffix, the keys in order, waits in between.
  void ExpectRecorded(const std::vector<std::string>& rows) {
    std::string all;
    for (const std::string& row : rows) all += row + "\n";
    SCOPED_TRACE(all);
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows.front(), "Comment: ==== Start recorded actions ====");
    EXPECT_EQ(rows.back(), "Comment: ==== End of recorded actions ====");
    std::vector<std::string> actions;
    int waits = 0;
    for (size_t i = 1; i + 1 < rows.size(); ++i) {
      const std::string& row = rows[i];
      if (StartsWith(row, "Wait ")) {
        ++waits;
        EXPECT_NE(row.find(" milliseconds"), std::string::npos) << row;
      } else if (!StartsWith(row, "Mouse move to ")) {
        actions.push_back(row);
        if (StartsWith(row, "Mouse Left Down")) {
          size_t before = i - 1;
          while (before > 0 && StartsWith(rows[before], "Wait ")) --before;
          EXPECT_TRUE(StartsWith(rows[before], "Mouse move to ")) << row;
        }
      }
    }
    EXPECT_EQ(actions, (std::vector<std::string>{"Mouse Left Down At Win [0]", "Mouse Left Up", "Mouse Left Down",
                                                 "Mouse Left Up", "Key Down A", "Key Up A", "Key Down B", "Key Up B"}));
    EXPECT_GE(waits, 2);
    EXPECT_NE(std::find(rows.begin(), rows.end(), MoveLine(first)), rows.end());
    EXPECT_NE(std::find(rows.begin(), rows.end(), MoveLine(second)), rows.end());
  }

  // Opens the recorder with the editor's Record Actions button; null when it does not come.
  HWND OpenRecorder(HWND editor) {
    Command(Control(editor, kRecordActions));
    HWND recorder = nullptr;
    PumpUntil([&] { return (recorder = app.FindWindowOfProcess("#32770", kRecorderCaption)) != nullptr; }, 10000);
    return recorder;
  }

  // Presses the recorder's start button: true once its stop button can be pressed.
  bool StartRecording(HWND recorder) {
    Command(GetDlgItem(recorder, kRecordStart));
    return PumpUntil([&] { return IsWindowEnabled(GetDlgItem(recorder, kRecordStop)) != FALSE; }, 5000);
  }

  // Saves the robot under a start hotkey and plays it with that key.
  void SaveAndPlay(HWND editor) {
    SendMessageA(GetDlgItem(editor, kRobotName), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Recorded"));
    SendMessageA(GetDlgItem(editor, kStartKey), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Ctrl + Alt + W"));
    PostMessageA(editor, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(editor) && app.ListRows().size() == 1; }, 10000));
    EXPECT_EQ(app.ListRows()[0], "x Recorded | Ctrl + Alt + W | <F11>");
    std::string file = ReadFileBytes(folder.File("Recorded"));
    EXPECT_NE(file.find("MouseDown(\"left\")-> At Win [0]"), std::string::npos) << file;
    EXPECT_NE(file.find("[RecWinInfo]\r\nWinIndex=1\r\nWinTitle=Pindrel Record Target\r\n"), std::string::npos) << file;

    target.ClearLog();
    ASSERT_TRUE(BringToFront(target.hwnd()));
    PumpFor(150);  // the X focus follows Wine's foreground window a moment later
    Xdo("key ctrl+alt+w");
    PumpUntil([&] { return Played().size() >= 8; }, 10000);
    PumpFor(300);
    const POINT a = {first.x - target.client_origin().x, first.y - target.client_origin().y};
    const POINT b = {second.x - target.client_origin().x, second.y - target.client_origin().y};
    auto at = [](const char* control, const char* message, POINT p) {
      return std::string(control) + " " + message + " " + std::to_string(p.x) + " " + std::to_string(p.y);
    };
    EXPECT_EQ(Played(), (std::vector<std::string>{at("edit", "WM_LBUTTONDOWN", a), at("edit", "WM_LBUTTONUP", a),
                                                  at("main", "WM_LBUTTONDOWN", b), at("main", "WM_LBUTTONUP", b),
                                                  "WM_KEYDOWN 65", "WM_KEYUP 65", "WM_KEYDOWN 66", "WM_KEYUP 66"}));
  }

  // The target's clicks (with their client points) and its key events of A and B.
  std::vector<std::string> Played() const {
    std::vector<std::string> lines;
    for (const TargetEvent& e : target.Events()) {
      if (e.message == "WM_LBUTTONDOWN" || e.message == "WM_LBUTTONUP") {
        lines.push_back(e.control + " " + e.message + " " + std::to_string(e.a) + " " + std::to_string(e.b));
      } else if ((e.message == "WM_KEYDOWN" || e.message == "WM_KEYUP") && (e.a == 'A' || e.a == 'B')) {
        lines.push_back(e.message + " " + std::to_string(e.a));
      }
    }
    return lines;
  }

  RobotFolder folder;
  TestTarget target;
  PindrelProcess app;
  POINT first = {0, 0}, second = {0, 0};
};

}  // namespace

TEST_F(RecordEndToEnd, TheVisibleRecorderRecordsIntoTheListAndTheRobotPlaysItBack) {
  HWND editor = OpenEditor();
  ASSERT_TRUE(editor);
  ASSERT_TRUE(Control(editor, kRecordActions));
  HWND recorder = OpenRecorder(editor);
  ASSERT_TRUE(recorder);
  EXPECT_FALSE(IsWindowVisible(editor));
  ASSERT_TRUE(StartRecording(recorder));

  DoTheJob();
  Command(GetDlgItem(recorder, kRecordStop));
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(recorder) && IsWindowVisible(editor); }, 10000));
  ExpectRecorded(Rows(editor));
  SaveAndPlay(editor);
}

// A monitor left of or above the primary one has negative coordinates: the hook reports them
// in its 16-bit halves, and the row and the saved robot keep their sign.
TEST_F(RecordEndToEnd, APointLeftOfAndAboveTheScreenKeepsItsSign) {
  HWND editor = OpenEditor();
  ASSERT_TRUE(editor);
  HWND recorder = OpenRecorder(editor);
  ASSERT_TRUE(recorder);
  ASSERT_TRUE(StartRecording(recorder));
  PostMessageA(recorder, WM_USER + 14, 0, MAKELPARAM(-5, -20));
  PostMessageA(recorder, WM_USER + 14, 0, MAKELPARAM(-1280, 7));
  PumpFor(100);
  Command(GetDlgItem(recorder, kRecordStop));
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(recorder) && IsWindowVisible(editor); }, 10000));
  std::string moves;
  for (const std::string& row : Rows(editor))
    if (StartsWith(row, "Mouse move to ")) moves += row.substr(0, row.find("=>")) + "\n";
  for (const char* move : {"Mouse move to -5, -20\n", "Mouse move to -1280, 7\n"})
    EXPECT_NE(moves.find(move), std::string::npos) << moves;
  SendMessageA(GetDlgItem(editor, kRobotName), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Signed"));
  SendMessageA(GetDlgItem(editor, kStartKey), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Ctrl + Alt + W"));
  PostMessageA(editor, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(editor); }, 10000));
  std::string file = ReadFileBytes(folder.File("Signed"));
  EXPECT_NE(file.find("MouseMove(-5, -20)"), std::string::npos) << file;
}

// The recorder takes automation.dll from pindrel.exe's own folder only (here a copy's, while the
// current folder holds the real library) and says when it is missing there or cannot set its
// hooks: neither the recorder nor Ctrl+Alt+R then records, and the editor comes back as it was.
TEST_F(RecordEndToEnd, ARecordingThatCannotWatchTheInputDoesNotStart) {
  app.Kill();
  TempFolder copy("pdlcopy");
  ASSERT_TRUE(CopyFileA((ProgramFolder() + "\\pindrel.exe").c_str(), copy.File("pindrel.exe").c_str(), FALSE));
  char before[MAX_PATH] = "";
  GetCurrentDirectoryA(MAX_PATH, before);
  SetCurrentDirectoryA(ProgramFolder().c_str());
  app.SetProgramFolder(copy.path());
  const struct {
    const char* library;
    const char* text;
  } cases[] = {{nullptr, "Failed to load automation.dll."},
               {"pindrel_failinghook.dll",
                "Failed to set the mouse and keyboard hooks of automation.dll. Recording has not started."}};
  auto answer = [&] {
    HWND box = app.WaitForMessageBox(5000);
    std::string text = box ? PindrelProcess::BoxText(box) : "(no box)";
    if (box) PostMessageA(box, WM_COMMAND, IDOK, 0);
    PumpUntil([&] { return !IsWindow(box); }, 5000);
    return text;
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    if (c.library) CopyFileA((ProgramFolder() + "\\" + c.library).c_str(), copy.File("automation.dll").c_str(), FALSE);
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.WaitForMainWindow());
    HWND editor = OpenEditor();
    ASSERT_TRUE(editor);
    HWND recorder = OpenRecorder(editor);
    ASSERT_TRUE(recorder);
    Command(GetDlgItem(recorder, kRecordStart));
    EXPECT_EQ(answer(), c.text);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(recorder, kRecordStart)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(recorder, kRecordStop)));
    PostMessageA(recorder, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(recorder) && IsWindowVisible(editor); }, 10000));
    ASSERT_TRUE(BringToFront(editor));
    PumpFor(150);
    Xdo("key ctrl+alt+r");
    EXPECT_EQ(answer(), c.text) << "Ctrl+Alt+R";
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(editor) != FALSE; }, 5000));
    EXPECT_TRUE(Rows(editor).empty());
    app.Kill();
  }
  SetCurrentDirectoryA(before);
}

// The X pointer moves to each place and clicks, on the recorder's buttons too: each place is
// recorded once, and nothing of the way to the recorder or on it.
TEST_F(RecordEndToEnd, TheVisibleRecorderRecordsEachPlaceOnceAndNothingOnItself) {
  HWND editor = OpenEditor();
  ASSERT_TRUE(editor);
  HWND recorder = OpenRecorder(editor);
  ASSERT_TRUE(recorder);
  RECT own;
  GetWindowRect(recorder, &own);
  auto xclick = [](POINT p) {
    Xdo("mousemove " + std::to_string(p.x) + " " + std::to_string(p.y));
    PumpFor(300);
    Xdo("click 1");
    PumpFor(300);
  };
  auto centre = [](HWND button) {
    RECT r;
    GetWindowRect(button, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  };
  xclick(centre(GetDlgItem(recorder, kRecordStart)));
  ASSERT_TRUE(PumpUntil([&] { return IsWindowEnabled(GetDlgItem(recorder, kRecordStop)) != FALSE; }, 5000));
  xclick(first);
  xclick(second);
  xclick(centre(GetDlgItem(recorder, kRecordStop)));
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(recorder) && IsWindowVisible(editor); }, 10000));

  std::vector<std::string> rows = Rows(editor);
  std::string all;
  for (const std::string& row : rows) all += row + "\n";
  SCOPED_TRACE(all);
  std::string before;
  int clicks = 0;
  for (const std::string& row : rows) {
    clicks += StartsWith(row, "Mouse Left Down");
    if (!StartsWith(row, "Mouse move to ")) {
      before.clear();
      continue;
    }
    EXPECT_NE(row.substr(0, row.find("=>")), before) << "the same place twice in a row";
    before = row.substr(0, row.find("=>"));
    POINT p = {0, 0};
    ASSERT_EQ(sscanf(row.c_str(), "Mouse move to %ld, %ld", &p.x, &p.y), 2) << row;
    EXPECT_FALSE(PtInRect(&own, p)) << row << " is on the recorder";
  }
  EXPECT_EQ(clicks, 2);
  EXPECT_NE(std::find(rows.begin(), rows.end(), MoveLine(first)), rows.end());
  EXPECT_NE(std::find(rows.begin(), rows.end(), MoveLine(second)), rows.end());
}

TEST_F(RecordEndToEnd, CtrlAltRRecordsHiddenAndCtrlAltSStops) {
  HWND editor = OpenEditor();
  ASSERT_TRUE(editor);
  ASSERT_TRUE(BringToFront(editor));
  PumpFor(150);
  Xdo("key ctrl+alt+r");
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(editor); }, 5000)) << "the editor hides while recording";
  EXPECT_EQ(app.FindWindowOfProcess("#32770", kRecorderCaption), nullptr) << "the recorder stays hidden";
  PumpFor(200);  // the recording starts 30 ms after the key

  DoTheJob();
  // The start key again, while recording: none of its keys is recorded.
  ASSERT_TRUE(BringToFront(target.hwnd()));
  PumpFor(150);
  Xdo("key ctrl+alt+r");
  PumpFor(300);
  // Held like a person holds it: the keys come up after the recording has stopped.
  ASSERT_TRUE(BringToFront(target.hwnd()));
  PumpFor(150);
  Xdo("keydown ctrl+alt+s");
  PumpFor(400);
  Xdo("keyup ctrl+alt+s");
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(editor) != FALSE; }, 10000));
  ExpectRecorded(Rows(editor));
  SaveAndPlay(editor);
}

// The editor hides for a hidden recording while the user still types into one of its fields:
// the keys typed next are recorded and Ctrl+Alt+S stops at once, without a click anywhere first;
// the first click is recorded at its own place.
TEST_F(RecordEndToEnd, AHiddenRecordingStartedFromAFieldGetsTheKeyboard) {
  HWND editor = OpenEditor();
  ASSERT_TRUE(editor);
  ASSERT_TRUE(BringToFront(editor));
  PumpFor(150);
  RECT field;
  GetWindowRect(GetDlgItem(editor, kRobotName), &field);
  Xdo("mousemove " + std::to_string((field.left + field.right) / 2) + " " + std::to_string((field.top + field.bottom) / 2));
  Xdo("click 1");  // into the name field
  PumpFor(300);
  Xdo("key ctrl+alt+r");
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(editor); }, 5000));
  PumpFor(300);
  Xdo("key a");
  PumpFor(300);
  Xdo("mousemove " + std::to_string(second.x) + " " + std::to_string(second.y));
  PumpFor(300);
  Xdo("click 1");
  PumpFor(300);
  Xdo("key ctrl+alt+s");
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(editor) != FALSE; }, 5000)) << "Ctrl+Alt+S did not stop";
  std::vector<std::string> rows = Rows(editor);
  std::string all;
  for (const std::string& row : rows) all += row + "\n";
  SCOPED_TRACE(all);
  EXPECT_NE(std::find(rows.begin(), rows.end(), "Key Up A"), rows.end());
  auto down = std::find_if(rows.begin(), rows.end(), [](const std::string& r) { return StartsWith(r, "Mouse Left Down"); });
  ASSERT_NE(down, rows.end());
  while (down != rows.begin() && StartsWith(*(down - 1), "Wait ")) --down;
  ASSERT_NE(down, rows.begin());
  EXPECT_EQ((down - 1)->substr(0, (down - 1)->find("=>")), MoveLine(second));
}

// After a visible and a hidden recording the main window still takes no command while the editor
// is open: its Add Robot opens no second editor.
TEST_F(RecordEndToEnd, AfterRecordingsTheMainWindowStillWaitsForTheEditor) {
  HWND editor = OpenEditor();
  ASSERT_TRUE(editor);
  HWND recorder = OpenRecorder(editor);
  ASSERT_TRUE(recorder);
  ASSERT_TRUE(StartRecording(recorder));
  Command(GetDlgItem(recorder, kRecordStop));
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(recorder) && IsWindowVisible(editor); }, 10000));
  ASSERT_TRUE(BringToFront(editor));
  PumpFor(150);
  Xdo("key ctrl+alt+r");
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(editor); }, 5000));
  PumpFor(300);
  Xdo("key ctrl+alt+s");
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(editor) != FALSE; }, 5000));
  EXPECT_FALSE(IsWindowEnabled(app.main()));

  Command(GetDlgItem(app.main(), kAddRobot));
  PumpFor(1500);
  int editors = 0;
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char title[64] = "";
    GetWindowTextA(w, title, sizeof title);
    editors += pid == app.pid() && std::string(title) == "Add Robot";
  }
  EXPECT_EQ(editors, 1);
}
