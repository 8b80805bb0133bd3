// The robot editor inside the test program: the checks of Save with their texts and focus,
// adding, moving and deleting action rows, the repeat options, the hotkey field, the click pane,
// the numeric field, the collapsible pane, and what Save writes into the robot folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/checkmsgbox.h"
#include "res/resource.h"
#include "controls/skinabledialog.h"
#include "editor/hotkeyowner.h"
#include "editor/inputrobotdlg.h"
#include "editor/robotrepeatoption.h"
#include "robot/datafolder.h"
#include "robot/numbertext.h"
#include "robot/robotname.h"
#include "tests/support/robot_folder.h"
#include "tests/support/test_support.h"
#include "tests/support/ui_support.h"

using namespace testing_support;

namespace {

// A parent that answers the editor's hotkey questions: one key is taken.
class OwnerWindow : public CWnd, public CHotkeyOwner {
public:
  BOOL Make() { return CreateEx(0, nullptr, "editor owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr); }
  BOOL IsStartHotkeyFree(const CString& text) override { return text.CompareNoCase(taken) != 0; }
  BOOL IsEndHotkeyFree(const CString& text) override { return text.CompareNoCase(taken) != 0; }
  CString taken = "Ctrl + T";
};

class Editor : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(owner.Make()); }
  void TearDown() override {
    if (dlg.m_hWnd) dlg.DestroyWindow();
    owner.DestroyWindow();
    ::DeleteFileA(GetDataFolder() + "\\dcm.ini");
  }
  // The editor, modeless so the test can drive it directly; EndDialog hides it.
  void Open(const CRobot* edited = nullptr, const std::vector<const char*>& names = {}) {
    dlg.m_pParentWnd = &owner;
    CStringArray list;
    for (const char* n : names) list.Add(n);
    dlg.SetRobotNames(list);
    if (edited) dlg.SetEditedRobot(*edited);
    ASSERT_TRUE(dlg.Create(IDD_INPUT_ROBOT, &owner));
    dlg.ShowWindow(SW_SHOW);
  }
  void Fill(const char* name, const char* start, const char* end) {
    dlg.m_NameEdit.SetWindowText(name);
    dlg.m_StartKeyEdit.SetWindowText(start);
    dlg.m_EndKeyEdit.SetWindowText(end);
  }
  void Command(int id) { dlg.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dlg, id))); }
  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    for (int i = 0; i < dlg.m_ActionList.GetItemCount(); ++i) {
      bool selected = dlg.m_ActionList.GetItemState(i, LVIS_SELECTED) != 0;
      rows.push_back(std::string(selected ? "* " : "  ") + dlg.m_ActionList.GetItemText(i, 0).GetString() + " " +
                     dlg.m_ActionList.GetItemText(i, 1).GetString());
    }
    return rows;
  }
  void AddRows(int n) {
    for (int i = 1; i <= n; ++i) dlg.AddAction("Wait " + IntToString(i) + " milliseconds");
  }
  void SelectOnly(std::vector<int> rows) {
    dlg.m_ActionList.SetItemState(-1, 0, LVIS_SELECTED);
    for (int r : rows) dlg.m_ActionList.SetItemState(r, LVIS_SELECTED, LVIS_SELECTED);
  }

  RobotFolder folder;
  MessageBoxCapture boxes{IDOK};
  OwnerWindow owner;
  CInputRobotDlg dlg;
};

TEST_F(Editor, SaveChecksInOrderWithTheirTextsAndFocus) {
  const char* kBare =
      "You can not specify key 'Ctrl + ' as Start or End Hotkey.\n\nPlease specify Start or End Hotkey like something "
      "below:\n'Ctrl + Shift + Alt + M', 'Ctrl + K', 'Ctrl + Shift + 9' or <F2>";
  struct Case {
    bool rows;
    const char *name, *start, *end, *text;
    int focus;          // the control with the focus afterwards, 0 to skip
    bool exclamation;   // the application's box rather than the dialog's own
  } cases[] = {
      {false, "R", "Ctrl + K", "<F11>", "No clicks added to robot. Please press 'Add Click' button to add a click.", 0, false},
      {true, "", "Ctrl + K", "<F11>", "Robot name is empty. Please enter robot name.", IDC_ROBOT_NAME, false},
      {true, "a:b", "Ctrl + K", "<F11>", "cannot contain any of the following characters:\n \\ / : * ? \" < > |", IDC_ROBOT_NAME, false},
      {true, "Taken", "Ctrl + K", "<F11>", "Robot name already exists, please choose another one.", IDC_ROBOT_NAME, false},
      {true, "taken", "Ctrl + K", "<F11>", "Robot name already exists, please choose another one.", IDC_ROBOT_NAME, false},
      {true, "R", "None", "<F11>", "Robot's Start/End Hotkey is not set. Please set the start/End Hotkey for robot.", IDC_START_KEY, false},
      {true, "R", "none", "<F11>", "Robot's Start/End Hotkey is not set. Please set the start/End Hotkey for robot.", IDC_START_KEY, false},
      {true, "R", "", "<F11>", "Robot's Start/End Hotkey is not set. Please set the start/End Hotkey for robot.", IDC_START_KEY, false},
      {true, "R", "Ctrl + Alt + r", "<F11>", "Hotkeys 'Ctrl+Alt+R' and 'Ctrl+Alt+S' are reserved for recording robots.\n\nPlease set the Start/End Hotkey for robot.", IDC_START_KEY, false},
      {true, "R", "Ctrl + ", "<F11>", kBare, IDC_START_KEY, false},
      {true, "R", "Ctrl + <F12>", "<F11>", "Key <F12> is reserved by Windows and it can not be used as Start/End Hotkey.\n\nPlease use another hotkey.", IDC_START_KEY, true},
      {true, "R", "Ctrl + K", "Ctrl + ", kBare, IDC_END_KEY, false},
      {true, "R", "Ctrl + K", "Ctrl + T", "", IDC_END_KEY, false},  // the owner refuses; it tells the user itself
      {true, "R", "<F11>", "<f11>", "Start Hotkey and End Hotkey can not be same.\nPlease use different key for Start Hotkey and End Hotkey.", IDC_START_KEY, true},
  };
  Open(nullptr, {"Taken"});
  for (const Case& c : cases) {
    dlg.m_ActionList.DeleteAllItems();
    if (c.rows) dlg.AddAction("Mouse Left Click");
    Fill(c.name, c.start, c.end);
    size_t before = boxes.boxes().size();
    Command(IDOK);
    EXPECT_TRUE(dlg.IsWindowVisible()) << c.name << " / " << c.start;
    if (*c.text) {
      ASSERT_EQ(boxes.boxes().size(), before + 1) << c.start;
      EXPECT_EQ(boxes.boxes().back().text, c.text);
      EXPECT_EQ(boxes.boxes().back().caption, "Vantorel Pindrel");
      EXPECT_EQ((boxes.boxes().back().type & MB_ICONEXCLAMATION) != 0, c.exclamation) << c.text;
    }
    if (c.focus) {
      EXPECT_EQ(::GetDlgCtrlID(::GetFocus()), c.focus) << c.name << " / " << c.start << " / " << c.end;
    }
  }
  EXPECT_FALSE(FileExists(folder.File("R")));
}

// The name is the robot file's name: one the file system cannot carry would be saved and lost.
TEST_F(Editor, SaveRefusesNamesNoRobotFileCanCarry) {
  const std::string tooLong = "Robot name is too long, please use at most " +
                              std::to_string(MaxRobotNameLength(GetRobotFolder())) + " characters.";
  const struct {
    std::string name, text;
  } cases[] = {
      {"   ", "Robot name is empty. Please enter robot name."},
      {std::string(250, 'x'), tooLong},
      {"COM1", "Robot name \"COM1\" is reserved by Windows for a device, please choose another one."},
      {"nul.backup", "Robot name \"nul.backup\" is reserved by Windows for a device, please choose another one."},
  };
  Open();
  dlg.AddAction("Mouse Left Click");
  for (const auto& c : cases) {
    Fill(c.name.c_str(), "Ctrl + K", "<F11>");
    size_t before = boxes.boxes().size();
    Command(IDOK);
    EXPECT_TRUE(dlg.IsWindowVisible()) << c.name;
    ASSERT_EQ(boxes.boxes().size(), before + 1) << c.name;
    EXPECT_EQ(boxes.boxes().back().text, c.text);
    EXPECT_EQ(::GetDlgCtrlID(::GetFocus()), IDC_ROBOT_NAME) << c.name;
  }
  EXPECT_TRUE(FilesIn(folder.path(), "*").empty());
  // The longest name that fits is saved.
  Fill(std::string(MaxRobotNameLength(GetRobotFolder()), 'y').c_str(), "Ctrl + K", "<F11>");
  Command(IDOK);
  EXPECT_FALSE(dlg.IsWindowVisible());
  EXPECT_EQ(FilesIn(folder.path(), "*.txt").size(), 1u);
}

// Characters the program's code page cannot hold are named as such, not as characters the user
// did not type.
TEST_F(Editor, SaveRefusesANameTheCodePageCannotHold) {
  Open();
  dlg.AddAction("Mouse Left Click");
  Fill("", "Ctrl + K", "<F11>");
  // Pasted, the characters reach the field as they are.
  const wchar_t name[] = L"\u30ed\u30dc";
  ASSERT_TRUE(::OpenClipboard(nullptr));
  ::EmptyClipboard();
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, sizeof name);
  memcpy(::GlobalLock(memory), name, sizeof name);
  ::GlobalUnlock(memory);
  ::SetClipboardData(CF_UNICODETEXT, memory);
  ::CloseClipboard();
  dlg.m_NameEdit.SendMessage(WM_PASTE, 0, 0);
  EXPECT_EQ(dlg.m_NameEdit.GetWindowText(), "??");
  Command(IDOK);
  EXPECT_TRUE(dlg.IsWindowVisible());
  ASSERT_FALSE(boxes.boxes().empty());
  EXPECT_EQ(boxes.boxes().back().text,
            "Robot name contains characters that cannot be used in a robot name on this system. Please choose another "
            "name.");
  EXPECT_TRUE(FilesIn(folder.path(), "*").empty());
}

TEST_F(Editor, AddedLinesGoBeforeTheSelectedRowInOrder) {
  Open();
  AddRows(5);
  EXPECT_EQ(dlg.m_ActionList.GetSelectedCount(), 0u);  // appended rows select nothing
  SelectOnly({2});
  dlg.AddAction("Key Press A");
  dlg.AddAction("Key Press B");
  dlg.AddAction("Key Press C");
  EXPECT_EQ(Rows(), (std::vector<std::string>{"  1 Wait 1 milliseconds", "  2 Wait 2 milliseconds", "  3 Key Press A",
                                              "  4 Key Press B", "  5 Key Press C", "* 6 Wait 3 milliseconds",
                                              "  7 Wait 4 milliseconds", "  8 Wait 5 milliseconds"}));
}

TEST_F(Editor, MovingSelectedRowsKeepsBlocksAndNumbers) {
  Open();
  AddRows(5);
  SelectOnly({0, 1, 3});
  Command(IDC_MOVE_UP);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"* 1 Wait 1 milliseconds", "* 2 Wait 2 milliseconds",
                                              "* 3 Wait 4 milliseconds", "  4 Wait 3 milliseconds",
                                              "  5 Wait 5 milliseconds"}));
  SelectOnly({4});
  Command(IDC_MOVE_DOWN);
  EXPECT_EQ(Rows().back(), "* 5 Wait 5 milliseconds");
  SelectOnly({1, 2});
  Command(IDC_MOVE_DOWN);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"  1 Wait 1 milliseconds", "  2 Wait 3 milliseconds",
                                              "* 3 Wait 2 milliseconds", "* 4 Wait 4 milliseconds",
                                              "  5 Wait 5 milliseconds"}));
  SelectOnly({});
  Command(IDC_MOVE_UP);
  EXPECT_EQ(boxes.boxes().back().text, "No item selected, please select one item from list above.");
}

// Answers the delete question: ticks "Do not show this again" when asked, then Yes or No.
void AnswerDeleteQuestion(int button, bool tick, std::string* question) {
  RunLater(150, [=] {
    HWND box = nullptr;
    PumpUiUntil([&] { return (box = FindWindowA(nullptr, "Vantorel Pindrel")) && IsWindowVisible(box); }, 3000);
    if (!box) return;
    char text[256] = "";
    GetDlgItemTextA(box, IDC_CHECKMSG_TEXT, text, sizeof text);
    *question = text;
    if (tick) CheckDlgButton(box, IDC_CHECKMSG_DONTSHOW, BST_CHECKED);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  });
}

TEST_F(Editor, DeleteAsksUntilTheUserSaysNotAgain) {
  Open();
  AddRows(5);
  std::string question;
  SelectOnly({1, 3});
  AnswerDeleteQuestion(IDNO, true, &question);
  Command(IDC_DELETE_ACTION);
  EXPECT_EQ(question, "Are you sure you want to delete selected robot actions?");
  EXPECT_EQ(Rows().size(), 5u);
  EXPECT_FALSE(FileExists(GetDataFolder().GetString() + std::string("\\dcm.ini")));

  AnswerDeleteQuestion(IDYES, true, &question);
  Command(IDC_DELETE_ACTION);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"  1 Wait 1 milliseconds", "* 2 Wait 3 milliseconds",
                                              "  3 Wait 5 milliseconds"}));
  EXPECT_EQ(ReadFileBytes(GetDataFolder().GetString() + std::string("\\dcm.ini")), "showcofm=0\r\n");

  SelectOnly({2});
  Command(IDC_DELETE_ACTION);  // asks nothing now
  EXPECT_EQ(Rows(), (std::vector<std::string>{"  1 Wait 1 milliseconds", "* 2 Wait 3 milliseconds"}));

  // Only the exact line turns the question off.
  for (const char* text : {"showcofm=0 \r\n", "SHOWCOFM=0\r\n", "showcofm=1\r\n", "other=0\r\n"}) {
    WriteFileBytes(GetDataFolder().GetString() + std::string("\\dcm.ini"), text);
    EXPECT_FALSE(CListCtrlEx::IsConfirmOff()) << text;
  }
  WriteFileBytes(GetDataFolder().GetString() + std::string("\\dcm.ini"), "x=1\nshowcofm=0\n");
  EXPECT_TRUE(CListCtrlEx::IsConfirmOff());
}

TEST(CheckMsgBox, EscapeIsNo) {
  CCheckMsgBox box;
  box.m_Question = "Go on?";
  RunLater(300, [] {
    HWND hwnd = FindWindowA(nullptr, "Vantorel Pindrel");
    CheckDlgButton(hwnd, IDC_CHECKMSG_DONTSHOW, BST_CHECKED);
    PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
  });
  box.DoModal();
  EXPECT_EQ(box.m_Answer, 0);
}

TEST_F(Editor, RepeatOptionsAlwaysOpenOnTheFirstChoice) {
  Open();
  struct Case {
    int radio;
    const char* count;
    int mode, times;
    const char* text;
  } cases[] = {{IDC_REPEAT_UNTIL_RADIO, "7", 1, 7, "Run until pressing end key"},
               {IDC_REPEAT_UNTIL_RADIO, "", 1, 1, "Run until pressing end key"},
               {IDC_REPEAT_TIMES_RADIO, "12", 0, 12, "Run 12 times"}};
  for (const Case& c : cases) {
    int firstChecked = -1;
    std::string firstCount;
    RunLater(200, [&] {
      HWND box = FindWindowA(nullptr, "Robot Repeat Options");
      firstChecked = IsDlgButtonChecked(box, IDC_REPEAT_TIMES_RADIO);
      char text[32] = "";
      GetDlgItemTextA(box, IDC_REPEAT_COUNT, text, sizeof text);
      firstCount = text;
      CheckRadioButton(box, IDC_REPEAT_TIMES_RADIO, IDC_REPEAT_UNTIL_RADIO, c.radio);
      SetDlgItemTextA(box, IDC_REPEAT_COUNT, c.count);
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    Command(IDC_REPEAT_OPTIONS);
    EXPECT_EQ(firstChecked, BST_CHECKED);
    EXPECT_EQ(firstCount, "1");
    EXPECT_EQ(dlg.m_RepeatMode, c.mode);
    EXPECT_EQ(dlg.m_RepeatCount, c.times);
    EXPECT_EQ(dlg.m_RepeatText.GetWindowText(), c.text);
  }
}

// A count outside the spin's range (an empty field, 0, a million) is refused with the field's
// own message; the dialog stays open and the editor keeps its repeat option.
TEST_F(Editor, RepeatOptionsRefuseACountOutsideTheRange) {
  Open();
  const struct {
    const char* count;
    const char* message;
  } cases[] = {{"", "Characters must be a number.\n"},
               {"0", "Given value is out of range.\n"},
               {"1000000", "Given value is out of range.\n"}};
  for (const auto& c : cases) {
    size_t before = boxes.boxes().size();
    bool stayedOpen = false;
    RunLater(200, [&] {
      HWND box = FindWindowA(nullptr, "Robot Repeat Options");
      SetDlgItemTextA(box, IDC_REPEAT_COUNT, c.count);
      PostMessageA(box, WM_COMMAND, IDOK, 0);
      RunLater(200, [&, box] {
        stayedOpen = IsWindowVisible(box) != FALSE;
        PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
      });
    });
    Command(IDC_REPEAT_OPTIONS);
    EXPECT_TRUE(stayedOpen) << c.count;
    ASSERT_EQ(boxes.boxes().size(), before + 1) << c.count;
    EXPECT_EQ(boxes.boxes().back().text, c.message);
    EXPECT_EQ(dlg.m_RepeatCount, 1);
    EXPECT_EQ(dlg.m_RepeatText.GetWindowText(), "Run 1 times");
  }
}

TEST(KeyEdit, TextOfAKeyPress) {
  struct Case {
    UINT vk;
    bool ctrl, shift, alt;
    BOOL restricted;
    const char* text;
  } cases[] = {
      {'M', true, true, false, TRUE, "Ctrl + Shift + M"}, {VK_MENU, false, false, true, TRUE, "Alt + "},
      {VK_TAB, true, false, false, TRUE, "None"},         {VK_F5, false, false, false, TRUE, "<F5>"},
      {VK_NUMPAD5, false, false, false, TRUE, "None"},    {'9', true, true, true, TRUE, "Ctrl + Shift + Alt + 9"},
      {VK_F12, false, true, false, TRUE, "Shift + <F12>"}, {'M', true, false, false, FALSE, "M"},
      {VK_TAB, false, false, false, FALSE, "<Tab>"},
  };
  for (const Case& c : cases) EXPECT_EQ(CKeyEditCtrl::KeyText(c.vk, c.restricted, c.ctrl, c.shift, c.alt), c.text);
}

void HoldAndPress(std::vector<BYTE> held, BYTE key) {
  for (BYTE k : held) keybd_event(k, static_cast<BYTE>(MapVirtualKeyA(k, 0)), 0, 0);
  PressKey(key);
  for (auto it = held.rbegin(); it != held.rend(); ++it) keybd_event(*it, static_cast<BYTE>(MapVirtualKeyA(*it, 0)), KEYEVENTF_KEYUP, 0);
}

TEST_F(Editor, HotkeyFieldShowsTheKeysPressedAndKeyPressesTakeThePointer) {
  Open();
  ASSERT_TRUE(BringToFront(dlg));
  dlg.m_StartKeyEdit.SetFocus();
  HoldAndPress({VK_CONTROL, VK_SHIFT}, 'M');
  EXPECT_TRUE(PumpUiUntil([&] { return dlg.m_StartKeyEdit.GetWindowText() == "Ctrl + Shift + M"; }));
  TypeText("q");
  EXPECT_TRUE(PumpUiUntil([&] { return dlg.m_StartKeyEdit.GetWindowText() == "Q"; }));  // a name, never typed text

  // Any key pressed in the editor copies the pointer position into X and Y.
  SetCursorPos(321, 234);
  PumpUiFor(250);
  dlg.m_NameEdit.SetFocus();
  PressKey(VK_END);
  CInputMouseDlg* pane = dlg.GetClickPane();
  EXPECT_TRUE(PumpUiUntil([&] { return pane->m_EditX.GetWindowText() == "321" && pane->m_EditY.GetWindowText() == "234"; }));
}

TEST_F(Editor, ClickPaneLines) {
  Open();
  CInputMouseDlg* pane = dlg.GetClickPane();
  ASSERT_NE(pane, nullptr);
  CStringArray lines;
  pane->GetClickLines(lines);
  ASSERT_EQ(lines.GetSize(), 3);
  EXPECT_EQ(lines[0], "Mouse move to 0, 0");
  EXPECT_EQ(lines[1], "Mouse Left Click");
  EXPECT_EQ(lines[2], "Wait 2 seconds");

  pane->m_ClickType.SetCurSel(3);  // Click-Hold
  pane->m_Unit.SetCurSel(2);       // minutes
  pane->m_IntervalSpin.SetPos(5);
  pane->CheckDlgButton(IDC_WHEREVER_MOUSE, BST_CHECKED);
  pane->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_WHEREVER_MOUSE, BN_CLICKED), 0);
  EXPECT_FALSE(pane->m_EditX.IsWindowVisible());
  pane->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_ADD_CLICK, BN_CLICKED), 0);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"  1 Mouse Left Down", "  2 Wait 5 minutes"}));
}

TEST_F(Editor, SaveWritesTheRobotAndKeepsWhatItCannotShow) {
  CRobot robot;
  robot.Name = "A";
  robot.StartKey = "Ctrl + K";
  robot.EndKey = "<F11>";
  robot.RepeatOption = 1;
  robot.RepeatTimes = 9;
  robot.RunAtBackground = 1;
  const char* lines[] = {"MouseMove(1, 2)", "While $i < 3", "MouseClick(\"left\", 1)-> At Win [0]=> [remove on faster speed]",
                         "$i = $i + 1", "Wend"};
  for (const char* l : lines) robot.ActionLines.Add(l);
  RecWinInfo window;
  window.WinTitle = "Target";
  robot.AddWindowRecord(window);
  ASSERT_TRUE(robot.SaveToFile(folder.path().c_str()));

  Open(&robot, {"Other"});
  EXPECT_EQ(dlg.GetWindowText(), "Edit Robot");
  EXPECT_EQ(dlg.m_RepeatText.GetWindowText(), "Run until pressing end key");
  EXPECT_EQ(dlg.m_BackgroundCheck.GetCheck(), BST_CHECKED);
  EXPECT_EQ(dlg.m_ActionList.GetItemText(1, 1), "");  // shown empty, kept whole
  EXPECT_EQ(dlg.m_ActionList.GetItemText(2, 1), "Mouse Left Click At Win [0]=> [remove on faster speed]");
  SelectOnly({1});
  Command(IDC_MOVE_UP);  // the kept line travels with its row
  dlg.m_NameEdit.SetWindowText("B");
  Command(IDOK);
  EXPECT_FALSE(dlg.IsWindowVisible());
  EXPECT_FALSE(FileExists(folder.File("A")));
  CRobot saved;
  ASSERT_TRUE(saved.LoadFromFile(folder.File("B").c_str()));
  std::vector<std::string> got;
  for (int i = 0; i < saved.ActionLines.GetSize(); ++i) got.push_back(saved.ActionLines[i].GetString());
  EXPECT_EQ(got, (std::vector<std::string>{"While $i < 3", "MouseMove(1, 2)",
                                           "MouseClick(\"left\", 1)-> At Win [0]=> [remove on faster speed]",
                                           "$i = $i + 1", "Wend"}));
  EXPECT_EQ(saved.RepeatOption, 1);
  EXPECT_EQ(saved.RepeatTimes, 1);
  EXPECT_EQ(saved.Enable, 1);
  EXPECT_EQ(saved.WinRecords.GetSize(), 1);
  EXPECT_EQ(dlg.GetRobot().Name, "B");
}

TEST_F(Editor, AFailedSaveKeepsTheOldRobotAndTheDialog) {
  CRobot robot;
  robot.Name = "A";
  robot.StartKey = "Ctrl + K";
  robot.EndKey = "<F11>";
  robot.ActionLines.Add("MouseClick(\"left\", 1)");
  ASSERT_TRUE(robot.SaveToFile(folder.path().c_str()));
  std::string before = ReadFileBytes(folder.File("A"));
  // Another program holds B.txt open without sharing: the new file cannot take its place.
  WriteFileBytes(folder.File("B"), "x");
  HANDLE lock = CreateFileA(folder.File("B").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  Open(&robot);
  dlg.m_NameEdit.SetWindowText("B");
  Command(IDOK);
  CloseHandle(lock);
  EXPECT_TRUE(dlg.IsWindowVisible());
  ASSERT_FALSE(boxes.boxes().empty());
  EXPECT_NE(boxes.boxes().back().text.find("could not be saved"), std::string::npos) << boxes.boxes().back().text;
  EXPECT_EQ(ReadFileBytes(folder.File("A")), before);

  // A new letter case is the same file: it is rewritten, never deleted.
  dlg.m_NameEdit.SetWindowText("a");
  Command(IDOK);
  EXPECT_FALSE(dlg.IsWindowVisible());
  CRobot saved;
  EXPECT_TRUE(saved.LoadFromFile(folder.File("a").c_str()));
  EXPECT_EQ(saved.Name, "a");
}

TEST(NumEdit, ValidityValuesAndTyping) {
  CWnd parent;
  ASSERT_TRUE(parent.CreateEx(0, nullptr, "num", WS_POPUP | WS_VISIBLE, 0, 0, 200, 60, nullptr, nullptr));
  CNumEdit edit;
  CNumSpinCtrl spin;
  ASSERT_TRUE(edit.Create(WS_VISIBLE | WS_BORDER, CRect(0, 0, 100, 20), &parent, 10));
  ASSERT_TRUE(spin.CreateEx(0, UPDOWN_CLASSA, "", WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT, CRect(100, 0, 120, 20), &parent, 11));
  EXPECT_EQ(spin.SetBuddy(&edit), 1);  // the buddy shows 0, inside its default range
  spin.SetRange(1, 999999);
  spin.SetPos(1);
  spin.SetDelta(1);
  const struct {
    const char* text;
    int result;
  } texts[] = {{"5", 0}, {" 12 ", 0}, {"0", 1}, {"1000000", 1}, {"", 2}, {"12ab", 2}, {"nan", 2},
               {"inf", 2}, {"0x10", 2}, {"-", 3}, {"+", 3}, {"2.5", 0}};
  for (const auto& t : texts) EXPECT_EQ(edit.IsValidText(t.text), t.result) << t.text;
  EXPECT_FALSE(edit.SetValue(0));
  EXPECT_EQ(edit.GetWindowText(), "1");
  edit.ChangeAmount(-1);
  EXPECT_EQ(edit.GetWindowText(), "1");
  edit.ChangeAmount(1);
  EXPECT_EQ(edit.GetWindowText(), "2");
  EXPECT_FLOAT_EQ(spin.GetPos(), 2.0f);

  // Typing that leaves no number is undone; a number with decimals raises the places used after.
  edit.SetSel(0, -1);
  edit.SendMessage(WM_CHAR, 'x', 0);
  EXPECT_EQ(edit.GetWindowText(), "2");
  edit.SetSel(0, -1);
  edit.SendMessage(WM_CHAR, 8, 0);  // BackSpace empties the field: refused
  EXPECT_EQ(edit.GetWindowText(), "2");
  edit.SetRange(-10, 10);
  edit.SetValue(0.5f);
  edit.SetValue(2);
  EXPECT_EQ(edit.GetWindowText(), "2.0");
  parent.DestroyWindow();
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
  return TRUE;
}

// Every text of the panes shows whole: each control lies inside the pane stack, and its text,
// wrapped as the control wraps it, fits the control.
TEST_F(Editor, PaneTextsFitTheirPanes) {
  Open();
  HWND stack = dlg.GetPaneStack()->m_hWnd;
  RECT area;
  GetWindowRect(stack, &area);
  std::vector<HWND> controls;
  EnumChildWindows(stack, &CollectWindow, reinterpret_cast<LPARAM>(&controls));
  int measured = 0;
  for (HWND control : controls) {
    char cls[32] = "", text[256] = "";
    GetClassNameA(control, cls, sizeof cls);
    GetWindowTextA(control, text, sizeof text);
    LONG style = GetWindowLongA(control, GWL_STYLE);
    if (!IsWindowVisible(control) || !*text || _stricmp(cls, "Static") != 0 || (style & SS_TYPEMASK) > SS_RIGHT) continue;
    RECT r;
    GetWindowRect(control, &r);
    EXPECT_GE(r.left, area.left) << text;
    EXPECT_LE(r.right, area.right) << text;
    EXPECT_LE(r.bottom, area.bottom) << text;
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT need = {0, 0, r.right - r.left, 0};
    DrawTextA(dc, text, -1, &need, DT_CALCRECT | DT_WORDBREAK);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    EXPECT_LE(need.right, r.right - r.left) << text;
    EXPECT_LE(need.bottom, r.bottom - r.top) << text;
    ++measured;
  }
  EXPECT_GE(measured, 4);  // the labels, the live point, the two hints
}

TEST_F(Editor, PaneCollapsesAndExpandsToItsExactHeight) {
  Open();
  CItemPane* pane = dlg.GetItemPane();
  ASSERT_NE(pane, nullptr);
  int full = pane->GetFullHeight();
  EXPECT_GT(full, 100);
  EXPECT_EQ(pane->GetContentHeight(), full);
  pane->Toggle();
  pane->Toggle();  // a second click during the animation is ignored
  EXPECT_EQ(pane->GetState(), CItemPane::kCollapsed);
  EXPECT_TRUE(PumpUiUntil([&] { return !pane->IsAnimating(); }));
  EXPECT_EQ(pane->GetContentHeight(), 0);
  EXPECT_FALSE(pane->GetContent()->IsWindowVisible());
  pane->Toggle();
  EXPECT_TRUE(PumpUiUntil([&] { return !pane->IsAnimating(); }));
  EXPECT_EQ(pane->GetContentHeight(), full);
  EXPECT_TRUE(pane->GetContent()->IsWindowVisible());
  pane->Toggle();
  dlg.DestroyWindow();  // closing mid-animation is safe
  PumpUiFor(100);
}

TEST(SkinBitmap, RegionLeavesOutTheTransparentBand) {
  // Three pixels in a row: inside the band, green one too far, plain blue.
  DWORD pixels[3] = {0xF804F7, 0xF809F7, 0x0000FF};
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 3, -1, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateDIBitmap(screen, &info.bmiHeader, CBM_INIT, pixels, &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  HRGN region = CSkinBitmap::MakeRegion(bitmap, RGB(255, 0, 255), RGB(8, 8, 8));
  ASSERT_NE(region, nullptr);
  EXPECT_FALSE(PtInRegion(region, 0, 0));
  EXPECT_TRUE(PtInRegion(region, 1, 0));
  EXPECT_TRUE(PtInRegion(region, 2, 0));
  DeleteObject(region);
  DeleteObject(bitmap);
}

}  // namespace
