// The robot editor in the real program under Wine, driven as a user drives it: Add Robot, a name
// and a hotkey typed through X, a click point taken by pointing at the target and pressing a
// key, a left click and a one-second wait added, Save; the robot file, the list, the hotkey that
// plays the click; then Edit renames the robot.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/host_files.h"
#include "tests/support/pindrel_process.h"
#include "tests/support/robot_folder.h"
#include "tests/support/test_support.h"
#include "tests/support/test_target.h"
#include "tests/support/ui_support.h"

using namespace testing_support;

namespace {

std::string TextOf(HWND hwnd) {
  char text[256] = "";
  SendMessageA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

// The text as the control holds it, characters outside the code page included.
std::wstring WideTextOf(HWND hwnd) {
  wchar_t text[256] = L"";
  SendMessageW(hwnd, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
  return text;
}

// Characters typed as a keyboard or an input method types them, each its own key press.
void TypeUnicode(const std::wstring& text) {
  for (wchar_t c : text) {
    INPUT keys[2] = {};
    for (INPUT& key : keys) {
      key.type = INPUT_KEYBOARD;
      key.ki.wScan = c;
      key.ki.dwFlags = KEYEVENTF_UNICODE;
    }
    keys[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
  }
}

POINT CentreOf(HWND hwnd, double fx = 0.5, double fy = 0.5) {
  RECT r;
  GetWindowRect(hwnd, &r);
  return {r.left + static_cast<LONG>((r.right - r.left) * fx), r.top + static_cast<LONG>((r.bottom - r.top) * fy)};
}

// The control with the keyboard focus in the window's thread (the program's own).
HWND FocusOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

// The window's rectangle is centred in `area` (within a pixel of rounding).
void ExpectCentredIn(HWND window, const RECT& area, const char* what) {
  RECT r;
  GetWindowRect(window, &r);
  EXPECT_NEAR(r.left + r.right, area.left + area.right, 2) << what << " left " << r.left;
  EXPECT_NEAR(r.top + r.bottom, area.top + area.bottom, 2) << what << " top " << r.top;
}

class EditorEndToEnd : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(target.Start("Pindrel Editor Target", 620, 560));
    folder.Write({"Other", "Ctrl + Alt + O", "Ctrl + Alt + Q", 0, 0, 1, {"Send(\"o\")"}});
    other = ReadFileBytes(folder.File("Other"));
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.WaitForMainWindow());
  }
  void TearDown() override { app.Kill(); }

  HWND OpenEditor(int command, const char* caption) {
    PostMessageA(app.main(), WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
    HWND editor = nullptr;
    PumpUntil([&] { return (editor = app.FindWindowOfProcess("#32770", caption)) != nullptr; }, 10000);
    if (editor) BringToFront(editor);
    PumpFor(300);
    return editor;
  }
  // A click on a control as the user makes it, then keys through X.
  void ClickControl(HWND control, double fx = 0.5, double fy = 0.5) {
    ClickAt(CentreOf(control, fx, fy));
    PumpFor(200);
  }

  // Presses keys into a hotkey field until it shows them: the first keys after a window comes
  // up can go to the window X still had focused (pressing again only sets the same text).
  void PressInto(HWND field, const char* keys, const char* shown) {
    for (int i = 0; i < 5 && TextOf(field) != shown; ++i) {
      ClickControl(field);
      Xdo(std::string("key ") + keys);
      PumpUntil([&] { return TextOf(field) == shown; }, 1000);
    }
    EXPECT_EQ(TextOf(field), shown);
  }

  RobotFolder folder;
  TestTarget target;
  PindrelProcess app;
  std::string other;
};

}  // namespace

TEST_F(EditorEndToEnd, AddARobotWithTheEditorPlayItAndRenameIt) {
  HWND editor = OpenEditor(1005, "Add Robot");
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(IsIconic(app.main()));  // the main window waits minimised

  PressInto(Control(editor, 1032), "ctrl+shift+m", "Ctrl + Shift + M");
  ClickControl(Control(editor, 1028));
  Xdo("type Clicker");
  EXPECT_TRUE(PumpUntil([&] { return TextOf(Control(editor, 1028)) == "Clicker"; }, 3000)) << TextOf(Control(editor, 1028));
  EXPECT_TRUE(PumpUntil([&] { return TextOf(Control(editor, 1032)) == "Ctrl + Shift + M"; }, 3000))
      << TextOf(Control(editor, 1032));

  // Point at the target, then press any key while the editor is active.
  ClickControl(Control(editor, 1028));
  POINT point = target.ScreenPoint(50, 60);
  MoveMouseTo(point);
  PumpFor(400);  // the pane shows the pointer every 100 ms
  Xdo("key End");
  EXPECT_TRUE(PumpUntil([&] { return TextOf(Control(editor, 1010)) == std::to_string(point.x); }, 3000));
  EXPECT_EQ(TextOf(Control(editor, 1011)), std::to_string(point.y));

  // The interval: one click on the spin's lower half takes it from 2 to 1; seconds stay.
  ClickControl(Control(editor, 1017), 0.5, 0.8);
  EXPECT_TRUE(PumpUntil([&] { return TextOf(Control(editor, 1016)) == "1"; }, 3000)) << TextOf(Control(editor, 1016));
  ClickControl(Control(editor, 1034));
  SaveWindowBitmap(editor, ArtifactFolder() + "\\editor.bmp");
  ClickControl(Control(editor, IDOK));
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(editor); }, 5000));

  std::vector<std::string> lines = {"MouseMove(" + std::to_string(point.x) + ", " + std::to_string(point.y) + ")",
                                    "MouseClick(\"left\", 1)", "WAIT(1000)"};
  EXPECT_EQ(ReadFileBytes(folder.File("Clicker")), RobotFileText({"Clicker", "Ctrl + Shift + M", "<F11>", 1, 0, 1, lines}));
  EXPECT_TRUE(PumpUntil([&] { return !IsIconic(app.main()); }, 3000));
  std::vector<std::string> rows = app.ListRows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1], "x Clicker | Ctrl + Shift + M | <F11>");
  // The keyboard is back on the list, on the robot just saved.
  EXPECT_TRUE(PumpUntil([&] { return FocusOf(app.main()) == app.list(); }, 3000));
  EXPECT_EQ(ListView_GetNextItem(app.list(), -1, LVNI_SELECTED | LVNI_FOCUSED), 1);

  // The new robot's hotkey clicks the target at the point.
  ASSERT_TRUE(BringToFront(target.hwnd()));
  PumpFor(200);
  target.ClearLog();
  Xdo("key ctrl+shift+m");
  ASSERT_TRUE(target.WaitForMessages("WM_LBUTTONUP", 1, 8000));
  bool clickedThere = false;
  for (const TargetEvent& e : target.Events())
    if ((e.message == "WM_LBUTTONDOWN" || e.message == "WM_LBUTTONDBLCLK") && e.a == 50 && e.b == 60) clickedThere = true;
  EXPECT_TRUE(clickedThere);
  PumpFor(1500);  // the robot's wait

  // Edit renames it: the old file goes, the new one is complete, nothing else changes.
  POINT row = app.CheckBoxPoint(1);
  row.x += 60;  // on the name: selects the row without touching its tick
  ClickAt(row);
  PumpFor(300);
  HWND edit = OpenEditor(1006, "Edit Robot");
  ASSERT_NE(edit, nullptr);
  PressInto(Control(edit, 1032), "ctrl+shift+j", "Ctrl + Shift + J");
  PressInto(Control(edit, 1032), "ctrl+shift+m", "Ctrl + Shift + M");
  ClickControl(Control(edit, 1028));
  // Keys from inside Wine this time: they go to Wine's active window whatever X focuses.
  PressKey(VK_END);
  for (int i = 0; i < 7; ++i) PressKey(VK_BACK);
  TypeText("renamed");
  EXPECT_TRUE(PumpUntil([&] { return TextOf(Control(edit, 1028)) == "renamed"; }, 3000)) << TextOf(Control(edit, 1028));
  ClickControl(Control(edit, IDOK));
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(edit); }, 5000));
  EXPECT_FALSE(FileExists(folder.File("Clicker")));
  EXPECT_EQ(ReadFileBytes(folder.File("renamed")), RobotFileText({"renamed", "Ctrl + Shift + M", "<F11>", 1, 0, 1, lines}));
  EXPECT_EQ(ReadFileBytes(folder.File("Other")), other);
  EXPECT_TRUE(PumpUntil([&] { return app.ListRows().size() == 2 && app.ListRows()[1] == "x renamed | Ctrl + Shift + M | <F11>"; }, 3000));
}

// The editor comes up in the middle of the screen while the main window waits minimised, and a
// dialog it opens comes up over it.
TEST_F(EditorEndToEnd, DialogsOpenInTheMiddleOfTheScreenOrOfTheirOwner) {
  HWND editor = OpenEditor(1005, "Add Robot");
  ASSERT_NE(editor, nullptr);
  ASSERT_TRUE(IsIconic(app.main()));
  // Run under CTest this process gets a 1 x 0 work area from Wine (the program the true one):
  // with no taskbar on the test display the work area is the desktop window's rectangle.
  RECT work = {};
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0) || work.right - work.left < 100) {
    std::printf("work area %ld,%ld,%ld,%ld\n", work.left, work.top, work.right, work.bottom);
    GetWindowRect(GetDesktopWindow(), &work);
  }
  ExpectCentredIn(editor, work, "editor");

  ClickControl(Control(editor, 1035));  // Repeat Options
  HWND options = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (options = app.FindWindowOfProcess("#32770", "Robot Repeat Options")) != nullptr; }, 5000));
  RECT over;
  GetWindowRect(editor, &over);
  ExpectCentredIn(options, over, "repeat options");
  PostMessageA(options, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(options); }, 5000));
}

// Keys typed into the X field edit the point typed there; the pointer's position stays out.
TEST_F(EditorEndToEnd, KeysTypedIntoThePointFieldsStayThere) {
  HWND editor = OpenEditor(1005, "Add Robot");
  ASSERT_NE(editor, nullptr);
  HWND x = Control(editor, 1010), y = Control(editor, 1011);
  for (int i = 0; i < 5 && TextOf(x) != "123"; ++i) {
    ClickControl(x);  // the pointer rests on the field, far from (123, 0)
    Xdo("key End BackSpace BackSpace BackSpace BackSpace BackSpace");
    PumpUntil([&] { return TextOf(x).empty(); }, 1000);
    // A digit at a time, each once the one before shows, after a pause: a key sent right
    // after others has been lost between X and Wine under CTest.
    PumpFor(300);
    std::string typed;
    for (char digit : std::string("123")) {
      Xdo(std::string("key ") + digit);
      typed += digit;
      PumpUntil([&] { return TextOf(x) == typed; }, 1000);
    }
  }
  EXPECT_EQ(TextOf(x), "123");
  EXPECT_EQ(TextOf(y), "0");
}

// Tab and Shift+Tab go from field to field and leave the hotkeys as they were.
TEST_F(EditorEndToEnd, TabAndShiftTabLeaveTheHotkeysAsTheyWere) {
  HWND editor = OpenEditor(1005, "Add Robot");
  ASSERT_NE(editor, nullptr);
  HWND start = Control(editor, 1032), end = Control(editor, 1033);
  PressInto(start, "ctrl+shift+m", "Ctrl + Shift + M");
  const struct {
    const char* keys;
    HWND focus;
  } steps[] = {{"Tab", end}, {"Tab", nullptr}, {"shift+Tab", end}, {"shift+Tab", start}};
  for (const auto& step : steps) {
    HWND before = FocusOf(editor);
    Xdo(std::string("key ") + step.keys);
    EXPECT_TRUE(PumpUntil([&] { return step.focus ? FocusOf(editor) == step.focus : FocusOf(editor) != before; }, 3000))
        << step.keys;
    EXPECT_EQ(TextOf(start), "Ctrl + Shift + M") << step.keys;
    EXPECT_EQ(TextOf(end), "<F11>") << step.keys;
  }
}

// Escape in an editor that holds work asks first: No keeps the editor with its rows, Yes closes it.
TEST_F(EditorEndToEnd, EscapeAsksBeforeTheRowsAreThrownAway) {
  HWND editor = OpenEditor(1005, "Add Robot");
  ASSERT_NE(editor, nullptr);
  HWND list = Control(editor, 1039);
  ClickControl(Control(editor, 1034));  // Add Click: three rows
  ASSERT_TRUE(PumpUntil([&] { return ListView_GetItemCount(list) == 3; }, 3000));
  for (int answer : {IDNO, IDYES}) {
    ASSERT_TRUE(BringToFront(editor));
    PressKey(VK_ESCAPE);
    HWND box = app.WaitForMessageBox();
    ASSERT_NE(box, nullptr) << "no question before the rows went";
    EXPECT_EQ(PindrelProcess::BoxText(box), "The robot has been changed. Are you sure you want to discard the changes?");
    PostMessageA(box, WM_COMMAND, answer, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(box); }, 3000));
    if (answer == IDNO) {
      PumpFor(300);
      ASSERT_TRUE(IsWindow(editor));
      EXPECT_EQ(ListView_GetItemCount(list), 3);
    }
  }
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(editor); }, 5000));
}

// Enter in the question before the work goes answers No: the editor stays with its rows.
TEST_F(EditorEndToEnd, EnterInTheDiscardQuestionKeepsTheWork) {
  HWND editor = OpenEditor(1005, "Add Robot");
  ASSERT_NE(editor, nullptr);
  HWND list = Control(editor, 1039);
  ClickControl(Control(editor, 1034));
  ASSERT_TRUE(PumpUntil([&] { return ListView_GetItemCount(list) == 3; }, 3000));
  ASSERT_TRUE(BringToFront(editor));
  PressKey(VK_ESCAPE);
  HWND box = app.WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(BringToFront(box));
  PressKey(VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(box); }, 3000));
  PumpFor(300);
  ASSERT_TRUE(IsWindow(editor)) << "Enter threw the work away";
  EXPECT_EQ(ListView_GetItemCount(list), 3);
}

// Ctrl+Alt+R in a hotkey field starts a hidden recording; the field keeps the key it had.
TEST_F(EditorEndToEnd, CtrlAltRInAHotkeyFieldKeepsItsKey) {
  HWND editor = OpenEditor(1005, "Add Robot");
  ASSERT_NE(editor, nullptr);
  PressInto(Control(editor, 1032), "ctrl+shift+m", "Ctrl + Shift + M");
  for (const auto& field : {std::make_pair(1032, "Ctrl + Shift + M"), std::make_pair(1033, "<F11>")}) {
    ClickControl(Control(editor, field.first));
    Xdo("key ctrl+alt+r");
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(editor); }, 5000)) << field.first;
    PumpFor(300);
    Xdo("key ctrl+alt+s");
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(editor) != FALSE; }, 5000)) << field.first;
    EXPECT_EQ(TextOf(Control(editor, field.first)), field.second);
  }
}

// A name the code page cannot hold, typed or given by an input method, shows as it was typed, and
// Save says what is wrong with it.
TEST_F(EditorEndToEnd, ANameOutsideTheCodePageShowsAsTypedAndSaveSaysWhy) {
  HWND editor = OpenEditor(1005, "Add Robot");
  ASSERT_NE(editor, nullptr);
  ClickControl(Control(editor, 1034));  // rows: Save goes on to the name
  HWND name = Control(editor, 1028);
  const std::wstring robo = L"\u30ed\u30dc";
  const struct {
    const char* way;
    std::function<void()> give;
  } ways[] = {
      {"typed", [&] { ClickControl(name); TypeUnicode(robo); }},
      {"input method", [&] { ClickControl(name); for (wchar_t c : robo) PostMessageW(name, WM_IME_CHAR, c, 1); }},
  };
  for (const auto& w : ways) {
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    w.give();
    EXPECT_TRUE(PumpUntil([&] { return WideTextOf(name) == robo; }, 3000)) << w.way << ": " << TextOf(name);
    PostMessageA(editor, WM_COMMAND, IDOK, 0);
    HWND box = app.WaitForMessageBox();
    ASSERT_NE(box, nullptr) << w.way;
    EXPECT_EQ(PindrelProcess::BoxText(box), "Robot name contains characters that cannot be used in a robot name on this "
                                            "system. Please choose another name.") << w.way;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(box); }, 3000));
  }
}

// A rename whose old file cannot be deleted says so, and the list shows both robots.
TEST_F(EditorEndToEnd, ARenameThatCannotDeleteTheOldFileSaysSoAndListsBoth) {
  ImmutableFile locked(folder.File("Other"));
  ASSERT_TRUE(locked.ok());
  app.SelectRow(app.RowOf("Other"));
  HWND editor = OpenEditor(1006, "Edit Robot");
  ASSERT_NE(editor, nullptr);
  SendMessageA(Control(editor, 1028), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Renamed"));
  PostMessageA(editor, WM_COMMAND, IDOK, 0);
  HWND box = app.WaitForMessageBox();
  ASSERT_NE(box, nullptr) << "nothing said";
  EXPECT_EQ(PindrelProcess::BoxText(box), "The robot was saved as \"Renamed\", but its old file cannot be deleted:\n" +
                                              folder.File("Other") + "\n\nAccess denied.\n\nThe robot \"Other\" stays in "
                                              "the list.");
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(editor); }, 5000));
  EXPECT_EQ(ReadFileBytes(folder.File("Other")), other);
  EXPECT_TRUE(FileExists(folder.File("Renamed")));
  std::vector<std::string> rows;
  PumpUntil([&] { rows = app.ListRows(); return rows.size() == 2; }, 3000);
  std::sort(rows.begin(), rows.end());
  EXPECT_EQ(rows, (std::vector<std::string>{"- Other | Ctrl + Alt + O | Ctrl + Alt + Q",
                                            "x Renamed | Ctrl + Alt + O | Ctrl + Alt + Q"}));
}

// Add Click refuses a point field that does not hold a whole number and adds nothing.
TEST_F(EditorEndToEnd, AddClickRefusesAPointThatIsNotAWholeNumber) {
  HWND editor = OpenEditor(1005, "Add Robot");
  ASSERT_NE(editor, nullptr);
  const struct {
    const char *x, *y, *message;
  } cases[] = {
      {"", "20", "Click point X is not a whole number. Please enter X of the click point."},
      {"10", "2a", "Click point Y is not a whole number. Please enter Y of the click point."},
  };
  for (const auto& c : cases) {
    SendMessageA(Control(editor, 1010), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.x));
    SendMessageA(Control(editor, 1011), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.y));
    PostMessageA(GetParent(Control(editor, 1034)), WM_COMMAND, MAKEWPARAM(1034, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Control(editor, 1034)));
    HWND box = app.WaitForMessageBox();
    ASSERT_NE(box, nullptr) << c.x << ", " << c.y;
    EXPECT_EQ(PindrelProcess::BoxText(box), c.message);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(box); }, 3000));
    EXPECT_EQ(ListView_GetItemCount(Control(editor, 1039)), 0);
  }
}

namespace {

// Starts the program at the given DPI and opens Add Robot (its picture goes to the artifacts);
// null when the program or the editor does not come up.
HWND AddRobotAtDpi(PindrelProcess& app, DWORD dpi) {
  {
    LogPixels pixels(dpi);
    if (!app.Start() || !app.WaitForMainWindow()) return nullptr;
  }
  PostMessageA(app.main(), WM_COMMAND, MAKEWPARAM(1005, BN_CLICKED), 0);
  HWND editor = nullptr;
  if (!PumpUntil([&] { return (editor = app.FindWindowOfProcess("#32770", "Add Robot")) != nullptr; }, 10000))
    return nullptr;
  PumpFor(300);
  SaveWindowBitmap(editor, ArtifactFolder() + "\\editor" + std::to_string(dpi) + ".bmp");
  return editor;
}

}  // namespace

// At another DPI the editor's own controls stand right of the pane stack, which holds its
// panes, and inside the dialog.
TEST(EditorLayout, TheControlsStandBesideThePanesAtAnotherDpi) {
  RobotFolder folder;
  PindrelProcess app;
  HWND editor = AddRobotAtDpi(app, 72);
  ASSERT_TRUE(editor);
  HWND stack = GetParent(GetParent(Control(editor, 1034)));
  ASSERT_EQ(GetParent(stack), editor);
  RECT panes, client;
  GetWindowRect(stack, &panes);
  GetClientRect(editor, &client);
  MapWindowPoints(editor, nullptr, reinterpret_cast<POINT*>(&client), 2);
  for (HWND pane = GetWindow(stack, GW_CHILD); pane; pane = GetWindow(pane, GW_HWNDNEXT)) {
    RECT r;
    GetWindowRect(pane, &r);
    EXPECT_LE(r.right, panes.right) << "a pane is cut off";
  }
  for (HWND child = GetWindow(editor, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (child == stack || !IsWindowVisible(child)) continue;
    RECT r;
    GetWindowRect(child, &r);
    EXPECT_GE(r.left, panes.right) << "control " << GetDlgCtrlID(child) << " under the panes";
    EXPECT_LE(r.right, client.right) << "control " << GetDlgCtrlID(child) << " outside the dialog";
  }
  app.Kill();
}

// At 96 and at 150 % (144 DPI) every control of the editor can be seen whole: none reaches out
// of the pane or the dialog that holds it, and the editor lies inside the screen's work area.
TEST(EditorLayout, NoControlIsCutOffAt96And144Dpi) {
  RobotFolder folder;
  for (DWORD dpi : {96, 144}) {
    PindrelProcess app;
    HWND editor = AddRobotAtDpi(app, dpi);
    ASSERT_TRUE(editor) << dpi << " DPI";
    for (const std::string& line : CutOffWindows(editor)) ADD_FAILURE() << dpi << " DPI: " << line;
    app.Kill();
  }
}
