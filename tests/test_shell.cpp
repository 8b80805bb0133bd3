// The main dialog inside the test program: the robot list and its check boxes against the robot
// files and the system's hotkey table, removal, the editor's hotkey checks, and robot runs
// played into the logging target window.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/quorvexdlg.h"
#include "res/resource.h"
#include "tests/support/host_files.h"
#include "tests/support/hotkey_probe.h"
#include "tests/support/robot_folder.h"
#include "tests/support/test_support.h"
#include "tests/support/test_target.h"
#include "tests/support/ui_support.h"

using namespace testing_support;

namespace {

class ShellDialog : public ::testing::Test {
protected:
  void Open() { ASSERT_TRUE(dlg.Create(IDD_PINDREL_DIALOG)); }
  void TearDown() override {
    if (dlg.m_hWnd) dlg.DestroyWindow();
  }

  // "x Name Start End" per row in list order, x for a ticked row.
  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    CSortListCtrl& list = dlg.GetRobotList();
    for (int i = 0; i < list.GetItemCount(); ++i) {
      rows.push_back(std::string(dlg.GetItemChecked(i) ? "x " : "- ") + list.GetItemText(i, 1).GetString() + " | " +
                     list.GetItemText(i, 2).GetString() + " | " + list.GetItemText(i, 3).GetString());
    }
    return rows;
  }
  int RowOf(const char* name) {
    CSortListCtrl& list = dlg.GetRobotList();
    for (int i = 0; i < list.GetItemCount(); ++i)
      if (list.GetItemText(i, 1) == name) return i;
    return -1;
  }
  void Click(int id) { dlg.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dlg, id))); }

  RobotFolder folder;
  MessageBoxCapture boxes{IDYES};
  CQuorvexDlg dlg;
};

const char kBrokenRecord[] = "[RecWinInfo]\r\nWinIndex=1\r\nWinTitle=Notes\r\nWinPath=C:\\notes.exe\r\nWinParentLevel=0\r\nWinRect=1,2,3\r\n";

}  // namespace

TEST(ShellHotkeys, HotkeyTextsBecomeKeysUnderTheAtomOfTheirNotation) {
  struct Case {
    const char* text;
    UINT modifiers, vk;
    const char* atomName;  // null: the text names no key
  } cases[] = {
      {"Ctrl + Alt + S", MOD_CONTROL | MOD_ALT, 'S', "^!s"},
      {"Ctrl + Shift + Alt + M", MOD_CONTROL | MOD_SHIFT | MOD_ALT, 'M', "^+!m"},
      {"Shift + <F5>", MOD_SHIFT, VK_F5, "+<f5>"},
      {"<F2>", 0, VK_F2, "<f2>"},
      {"Alt + 9", MOD_ALT, '9', "!9"},
      {"None", 0, 0, nullptr},  // not set: never the N key
      {"", 0, 0, nullptr},
      {"Ctrl + ", 0, 0, nullptr},
      {"Ctrl + <NoSuchKey>", 0, 0, nullptr},
  };
  for (const Case& c : cases) {
    UINT modifiers = 0, vk = 0;
    ATOM id = CQuorvexDlg::ParseHotkeyText(c.text, modifiers, vk);
    if (!c.atomName) {
      EXPECT_EQ(id, 0) << c.text;
      continue;
    }
    char name[64] = "";
    GlobalGetAtomNameA(id, name, sizeof name);
    EXPECT_EQ(std::string(name), c.atomName) << c.text;
    EXPECT_EQ(modifiers, c.modifiers) << c.text;
    EXPECT_EQ(vk, c.vk) << c.text;
  }
}

TEST_F(ShellDialog, TheListShowsEveryRobotAndItsTickHoldsTheKeys) {
  folder.Write({"Alpha", "Ctrl + Shift + Alt + A", "Ctrl + Shift + Alt + Z", 1});
  folder.Write({"Beta", "Ctrl + Shift + Alt + B", "Ctrl + Shift + Alt + Y", 0});
  // A window record that does not read back: its file must never be rewritten (and cut short).
  std::string broken = RobotFileText({"Broken", "Ctrl + Shift + Alt + C", "Ctrl + Shift + Alt + X", 1, 0, 1, {"WAIT(10)"}}) + kBrokenRecord;
  WriteFileBytes(folder.File("Broken"), broken);
  Open();

  std::vector<std::string> rows = Rows();
  std::sort(rows.begin(), rows.end(), [](const std::string& a, const std::string& b) { return a.substr(2) < b.substr(2); });
  EXPECT_EQ(rows, (std::vector<std::string>{"x Alpha | Ctrl + Shift + Alt + A | Ctrl + Shift + Alt + Z",
                                            "- Beta | Ctrl + Shift + Alt + B | Ctrl + Shift + Alt + Y",
                                            "x Broken | Ctrl + Shift + Alt + C | Ctrl + Shift + Alt + X"}));
  // Once per broken file: the list load reports it, the tick that follows does not.
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, "Failed to load record Window info\n" + folder.File("Broken"));

  struct Key {
    const char* text;
    bool taken;
  };
  auto keys = [&](std::vector<Key> table, const char* when) {
    for (const Key& k : table) EXPECT_EQ(KeyTaken(k.text), k.taken) << k.text << " " << when;
  };
  keys({{"Ctrl + Shift + Alt + A", true}, {"Ctrl + Shift + Alt + Z", true}, {"Ctrl + Shift + Alt + B", false},
        {"Ctrl + Shift + Alt + Y", false}, {"Ctrl + Shift + Alt + C", true}, {"Ctrl + Shift + Alt + X", true}},
       "after loading");

  dlg.SetItemChecked(RowOf("Beta"), TRUE);
  dlg.SetItemChecked(RowOf("Alpha"), FALSE);
  dlg.SetItemChecked(RowOf("Broken"), FALSE);
  // Unticking releases the start key only: end keys may be shared.
  keys({{"Ctrl + Shift + Alt + A", false}, {"Ctrl + Shift + Alt + Z", true}, {"Ctrl + Shift + Alt + B", true},
        {"Ctrl + Shift + Alt + Y", true}, {"Ctrl + Shift + Alt + C", false}, {"Ctrl + Shift + Alt + X", true}},
       "after ticking");
  EXPECT_NE(ReadFileBytes(folder.File("Beta")).find("\r\nEnable=1\r\n"), std::string::npos);
  EXPECT_NE(ReadFileBytes(folder.File("Alpha")).find("\r\nEnable=0\r\n"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(folder.File("Broken")), broken);
}

TEST_F(ShellDialog, TickingARobotWhoseKeysDoNotWorkSaysSoAtOnce) {
  // A key this test holds is taken by another program as far as the dialog goes.
  ASSERT_TRUE(RegisterHotKey(nullptr, 0x7AC0, MOD_CONTROL | MOD_SHIFT | MOD_ALT, 'T'));
  folder.Write({"Alpha", "Ctrl + Shift + Alt + A", "None", 1});
  folder.Write({"Beta", "Ctrl + Shift + Alt + T", "Ctrl + Shift + Alt + A", 0});
  Open();
  EXPECT_TRUE(boxes.boxes().empty());
  dlg.SetItemChecked(RowOf("Beta"), TRUE);
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text,
            "These hotkeys cannot be registered, so they do not work:\n\n"
            "Robot \"Beta\": end key Ctrl + Shift + Alt + A is the start key of robot \"Alpha\".\n"
            "Robot \"Beta\": start key Ctrl + Shift + Alt + T is taken by another program.\n"
            "\nPlease choose other hotkeys for these robots.");
  UnregisterHotKey(nullptr, 0x7AC0);
  // Unticked and ticked again once the key is free: only the clash with Alpha is left.
  dlg.SetItemChecked(RowOf("Beta"), FALSE);
  dlg.SetItemChecked(RowOf("Beta"), TRUE);
  ASSERT_EQ(boxes.boxes().size(), 2u);
  EXPECT_EQ(boxes.boxes()[1].text.find("taken by another program"), std::string::npos) << boxes.boxes()[1].text;
  EXPECT_TRUE(KeyTaken("Ctrl + Shift + Alt + T"));
}

// Files that the positional reader takes otherwise than they were meant (a header of fewer or
// more lines than the writer writes) are never written back: ticking keeps the tick in memory.
TEST_F(ShellDialog, TickingNeverRewritesAFileOfAnotherLayout) {
  const std::string shortHeader =
      "[General]\r\nName=Short\r\nStartKey=Ctrl + Shift + Alt + Q\r\nEndKey=None\r\nDescription=d\r\nEnable=1\r\n"
      "RepeatOption=0\r\nRepeatTimes=1\r\n[Script]\r\n$a = 1\r\n$b = 2\r\n$c = 3\r\n$d = 4\r\n$e = 5\r\n$f = 6\r\n";
  std::string extraKey = RobotFileText({"Extra", "Ctrl + Shift + Alt + W", "None", 0, 0, 1, {"WAIT(10)"}});
  extraKey.insert(extraKey.find("[Script]"), "Comment=1\r\n");
  WriteFileBytes(folder.File("Short"), shortHeader);
  WriteFileBytes(folder.File("Extra"), extraKey);
  Open();
  EXPECT_TRUE(KeyTaken("Ctrl + Shift + Alt + Q"));
  dlg.SetItemChecked(RowOf("Short"), FALSE);
  dlg.SetItemChecked(RowOf("Extra"), TRUE);
  EXPECT_FALSE(KeyTaken("Ctrl + Shift + Alt + Q"));
  EXPECT_TRUE(KeyTaken("Ctrl + Shift + Alt + W"));
  EXPECT_EQ(ReadFileBytes(folder.File("Short")), shortHeader);
  EXPECT_EQ(ReadFileBytes(folder.File("Extra")), extraKey);
  dlg.SetItemChecked(RowOf("Extra"), FALSE);
  dlg.SetItemChecked(RowOf("Short"), TRUE);
  // The user is told once per robot that such a tick is not kept beyond this run of the program.
  std::vector<std::string> texts;
  for (const auto& box : boxes.boxes()) texts.push_back(box.text);
  auto told = [](const std::string& file) {
    return "The header of this robot file is not in the standard form, so the file is not rewritten:\n" + file +
           "\n\nTicking or unticking this robot lasts until Pindrel ends.";
  };
  EXPECT_EQ(texts, (std::vector<std::string>{told(folder.File("Short")), told(folder.File("Extra"))}));
}

// A tick whose file cannot be written lasts for this run, and the user is told once per robot.
TEST_F(ShellDialog, ATickWhoseFileCannotBeWrittenIsToldOncePerRobot) {
  folder.Write({"Locked", "Ctrl + Shift + Alt + Q", "None", 1});
  const std::string before = ReadFileBytes(folder.File("Locked"));
  ImmutableFile locked(folder.File("Locked"));
  ASSERT_TRUE(locked.ok());
  Open();
  dlg.SetItemChecked(RowOf("Locked"), FALSE);
  EXPECT_FALSE(KeyTaken("Ctrl + Shift + Alt + Q"));
  dlg.SetItemChecked(RowOf("Locked"), TRUE);
  dlg.SetItemChecked(RowOf("Locked"), FALSE);
  EXPECT_EQ(ReadFileBytes(folder.File("Locked")), before);
  std::vector<std::string> texts;
  for (const auto& box : boxes.boxes()) texts.push_back(box.text);
  EXPECT_EQ(texts, std::vector<std::string>{"This robot file could not be written:\n" + folder.File("Locked") +
                                            "\nAccess denied.\n\nTicking or unticking this robot lasts until Pindrel ends."});
}

// Under Wine, deleting a link of the host deletes the file it links to: Remove Robot refuses.
TEST_F(ShellDialog, RemoveRobotNeverDeletesTheFileALinkLeadsTo) {
  TempFolder outside("pdllinked");
  const std::string target = outside.File("Linked.txt");
  WriteFileBytes(target, RobotFileText({"Linked"}));
  // The link goes however the test ends: Wine never lists a link whose file is gone.
  struct HostLink {
    std::string path;
    ~HostLink() { RunHost("rm -f '" + path + "'"); }
  } link{UnixPath(folder.path()) + "/Linked.txt"};
  ASSERT_TRUE(RunHost("ln -sf '" + UnixPath(target) + "' '" + link.path + "'"));
  Open();
  dlg.GetRobotList().SetItemState(RowOf("Linked"), LVIS_SELECTED, LVIS_SELECTED);
  Click(IDC_REMOVE_ROBOT);
  EXPECT_EQ(ReadFileBytes(target), RobotFileText({"Linked"}));
  EXPECT_EQ(Rows(), std::vector<std::string>{"- Linked | None | None"});
  ASSERT_EQ(boxes.boxes().size(), 2u);
  EXPECT_EQ(boxes.boxes()[1].text, "This robot file is a link to a file outside the robot folder:\n" + folder.File("Linked") +
                                       "\n\nThe robot was not removed: deleting the link would delete the file it links to.");
}

// The editor writes the standard layout only: on a file of another layout Edit Robot names the
// file and opens nothing, so Save can never drop or misplace what the file holds.
TEST_F(ShellDialog, EditRobotRefusesAFileOfAnotherLayout) {
  const std::string shortHeader =
      "[General]\r\nName=Short\r\nStartKey=Ctrl + Shift + Alt + Q\r\nEndKey=None\r\nDescription=d\r\nEnable=0\r\n"
      "RepeatOption=0\r\n[Script]\r\nMouseMove(10, 10)\r\nMouseMove(11, 11)\r\nMouseMove(12, 12)\r\n"
      "MouseMove(13, 13)\r\nMouseMove(14, 14)\r\nMouseMove(15, 15)\r\n";
  std::string extraKey = RobotFileText({"Extra", "None", "None", 0, 0, 1, {"MouseMove(1, 1)"}});
  extraKey.insert(extraKey.find("[Script]"), "Extra=1\r\n");
  WriteFileBytes(folder.File("Short"), shortHeader);
  WriteFileBytes(folder.File("Extra"), extraKey);
  Open();
  for (const char* name : {"Short", "Extra"}) {
    SCOPED_TRACE(name);
    size_t before = boxes.boxes().size();
    dlg.GetRobotList().SetItemState(RowOf(name), LVIS_SELECTED, LVIS_SELECTED);
    // An editor that opens anyway is cancelled, so the test goes on to say so.
    RunLater(1500, [] {
      if (HWND editor = FindWindowA("#32770", "Edit Robot")) PostMessageA(editor, WM_COMMAND, IDCANCEL, 0);
    });
    Click(IDC_EDIT_ROBOT);
    ASSERT_EQ(boxes.boxes().size(), before + 1);
    EXPECT_EQ(boxes.boxes().back().text, "The header of this robot file is not in the expected form:\n" + folder.File(name) +
                                         "\n\nThe robot cannot be edited here; its file is left unchanged.");
    dlg.GetRobotList().SetItemState(RowOf(name), 0, LVIS_SELECTED);
  }
  EXPECT_EQ(ReadFileBytes(folder.File("Short")), shortHeader);
  EXPECT_EQ(ReadFileBytes(folder.File("Extra")), extraKey);
}

// A broken window record is named as such by Edit Robot and a tick, not taken for a header of
// another form, and the editor does not open.
TEST_F(ShellDialog, ABrokenRecordIsNamedAsSuchByEditAndTick) {
  WriteFileBytes(folder.File("Broken"), RobotFileText({"Broken", "None", "None", 0, 0, 1, {"WAIT(10)"}}) + kBrokenRecord);
  Open();
  const std::string failed = "Failed to load record Window info\n" + folder.File("Broken");
  dlg.GetRobotList().SetItemState(RowOf("Broken"), LVIS_SELECTED, LVIS_SELECTED);
  RunLater(1500, [] {
    if (HWND editor = FindWindowA("#32770", "Edit Robot")) PostMessageA(editor, WM_COMMAND, IDCANCEL, 0);
  });
  Click(IDC_EDIT_ROBOT);
  dlg.SetItemChecked(RowOf("Broken"), TRUE);
  std::vector<std::string> texts;
  for (const auto& box : boxes.boxes()) texts.push_back(box.text);
  EXPECT_EQ(texts, (std::vector<std::string>{failed, failed, failed + "\n\nTicking or unticking this robot lasts until Pindrel ends."}));
}

TEST_F(ShellDialog, RemovingTheRobotOfASortedRowKeepsTheEndKeyOthersShare) {
  folder.Write({"Alpha", "Ctrl + Shift + Alt + A", "Ctrl + Shift + Alt + Z", 1});
  folder.Write({"Gamma", "Ctrl + Shift + Alt + G", "Ctrl + Shift + Alt + Z", 1});
  folder.Write({"Omega", "Ctrl + Shift + Alt + O", "Ctrl + Shift + Alt + Y", 0});
  Open();
  dlg.GetRobotList().Sort(1, FALSE);
  ASSERT_EQ(RowOf("Alpha"), 2);
  dlg.GetRobotList().SetItemState(RowOf("Alpha"), LVIS_SELECTED, LVIS_SELECTED);
  Click(IDC_REMOVE_ROBOT);

  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, "Are you sure you want to delete the selected robot?");
  EXPECT_EQ(boxes.boxes()[0].caption, "Vantorel Pindrel");
  EXPECT_EQ(boxes.boxes()[0].type, static_cast<UINT>(MB_YESNO));
  EXPECT_FALSE(FileExists(folder.File("Alpha")));
  EXPECT_EQ(Rows(), (std::vector<std::string>{"- Omega | Ctrl + Shift + Alt + O | Ctrl + Shift + Alt + Y",
                                              "x Gamma | Ctrl + Shift + Alt + G | Ctrl + Shift + Alt + Z"}));
  std::vector<std::string> names;
  for (const CRobot& r : dlg.GetRobots()) names.push_back(r.Name.GetString());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Gamma", "Omega"}));
  EXPECT_FALSE(KeyTaken("Ctrl + Shift + Alt + A"));
  EXPECT_TRUE(KeyTaken("Ctrl + Shift + Alt + Z")) << "Gamma keeps the end key it shared with Alpha";
  EXPECT_TRUE(KeyTaken("Ctrl + Shift + Alt + G"));
}

TEST_F(ShellDialog, ButtonsSayWhatIsMissing) {
  folder.Write({"Alpha"});
  Open();
  struct Case {
    int button;
    const char* text;
    UINT type;
  } noSelection[] = {
      {IDC_RUN_ROBOT, "No robot selected! Please select a robot from list above to run.", MB_OK},
      {IDC_SCHEDULE, "No robot selected! Please select a robot from list above to run.", MB_OK},
      {IDC_EDIT_ROBOT, "No robot selected! Please select a robot from list above to edit.", MB_OK},
      {IDC_REMOVE_ROBOT, "No robot selected! Please select a robot from list above to delete.", MB_OK},
      {IDC_HELP_BUTTON, "Help file not found. Please visit support website\nhttps://vantorel.example/pindrel/support",
       MB_OK | MB_ICONSTOP},
  };
  for (const Case& c : noSelection) {
    size_t before = boxes.boxes().size();
    Click(c.button);
    ASSERT_EQ(boxes.boxes().size(), before + 1) << c.button;
    EXPECT_EQ(boxes.boxes().back().text, c.text);
    EXPECT_EQ(boxes.boxes().back().caption, "Vantorel Pindrel");
    EXPECT_EQ(boxes.boxes().back().type, c.type);
  }
  // A robot without a job: Schedule opens the schedule wizard, which Cancel closes.
  dlg.GetRobotList().SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
  size_t before = boxes.boxes().size();
  bool wizardSeen = false;
  RunLater(300, [&] {
    HWND wizard = FindWindowA("#32770", "Schedule Macro");
    wizardSeen = wizard != nullptr;
    if (wizard) PostMessageA(wizard, WM_COMMAND, MAKEWPARAM(IDC_SCHED_CANCEL, BN_CLICKED), 0);
  });
  Click(IDC_SCHEDULE);
  EXPECT_TRUE(wizardSeen);
  EXPECT_EQ(boxes.boxes().size(), before);
  EXPECT_TRUE(FileExists(folder.File("Alpha")));
}

TEST_F(ShellDialog, TheEditorsHotkeyChecks) {
  folder.Write({"Alpha", "Ctrl + K", "Ctrl + E"});
  folder.Write({"Beta", "Ctrl + J", "Ctrl + E"});
  Open();
  const std::string examples = "\n\nYou may try to use different hotkeys like:\n'Ctrl + Shift + Alt + M', 'Ctrl + K', 'Ctrl + Shift + 9'";
  const std::string startTaken = "Start hotkey you specified for this robot has been taken by another robot." + examples;
  const std::string endTaken = "End hotkey you specified for this robot has been taken by another robot." + examples;
  struct Case {
    const char* edited;
    bool start;  // which check
    const char* key;
    const char* box;  // null: free
  } cases[] = {
      {"Beta", true, "ctrl + e", startTaken.c_str()},  // another robot's end key, in any case
      {"Beta", true, "Ctrl + J", nullptr},             // the edited robot's own key
      {"Beta", false, "Ctrl + E", nullptr},            // end keys may be shared
      {"Beta", false, "Ctrl + K", endTaken.c_str()},
      {"", true, "None", nullptr},  // a key that is not set is never taken
  };
  for (const Case& c : cases) {
    dlg.m_EditedRobot = c.edited;
    size_t before = boxes.boxes().size();
    BOOL free = c.start ? dlg.IsStartHotkeyFree(c.key) : dlg.IsEndHotkeyFree(c.key);
    EXPECT_EQ(free, c.box == nullptr) << c.key;
    if (c.box) {
      ASSERT_EQ(boxes.boxes().size(), before + 1) << c.key;
      EXPECT_EQ(boxes.boxes().back().text, c.box);
    } else {
      EXPECT_EQ(boxes.boxes().size(), before) << c.key;
    }
  }
}

namespace {

class ShellRuns : public ShellDialog {
protected:
  void SetUp() override {
    ASSERT_TRUE(target.Start("Shell Runs Target", 150, 150));
    ASSERT_TRUE(BringToFront(target.hwnd()));
  }
  // The characters the target's edit control received.
  std::string Typed() {
    std::string text;
    for (const TargetEvent& e : target.Events())
      if (e.message == "WM_CHAR") text += static_cast<char>(e.a);
    return text;
  }
  TestTarget target;
};

}  // namespace

TEST_F(ShellRuns, RepetitionsLinkedRobotsAndScriptErrors) {
  folder.Write({"Thrice", "None", "None", 0, 0, 3, {"Send(\"a\")"}});
  folder.Write({"Never", "None", "None", 0, 0, 0, {"Send(\"n\")"}});
  folder.Write({"Faulty", "None", "None", 0, 0, 3, {"Send(\"b\")", "Dim $a[0]", "Send(\"c\")"}});
  folder.Write({"Linked", "None", "None", 0, 0, 1, {"Send(\"d\")"}, "Thrice"});
  folder.Write({"Orphan", "None", "None", 0, 0, 1, {"Send(\"e\")"}, "Missing"});
  Open();
  struct Case {
    const char* robot;
    BOOL result;
    const char* typed;
    const char* box;  // the start of the one box shown, or null for none
  } cases[] = {
      {"Thrice", TRUE, "aaa", nullptr},
      {"Never", TRUE, "", nullptr},
      {"Faulty", TRUE, "b", "Line 2:\n\nDim $a[0]\n"},  // one report ends every repetition
      {"Linked", TRUE, "d", nullptr},                // the linked robot exists and is not run
      {"Orphan", FALSE, "", "Can not find the robot: \"Missing\" which will run after current robot"},
  };
  char before[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, before);
  for (const Case& c : cases) {
    target.ClearLog();
    size_t shown = boxes.boxes().size();
    EXPECT_EQ(dlg.RunRobot(RobotFilePath(c.robot)), c.result) << c.robot;
    PumpFor(100);
    EXPECT_EQ(Typed(), c.typed) << c.robot;
    ASSERT_EQ(boxes.boxes().size(), shown + (c.box ? 1 : 0)) << c.robot;
    if (c.box) {
      EXPECT_EQ(boxes.boxes().back().text.rfind(c.box, 0), 0u) << boxes.boxes().back().text;
    }
    EXPECT_FALSE(dlg.IsRunning());
  }
  char after[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, after);
  EXPECT_STREQ(after, before);
}
