// Robot files the real program must survive at start-up and on its command line: files named
// like devices, a robot of about 100 MB, "-a" names that reach outside the robot folder, files
// in older header layouts, files it cannot read (held by another program, a path too long, a
// name the code page cannot hold), the writer's stale temporaries, and a rename in letter case.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "robot/datafolder.h"
#include "robot/robotfile.h"
#include "tests/support/pindrel_process.h"
#include "tests/support/robot_folder.h"
#include "tests/support/test_support.h"
#include "tests/support/ui_support.h"

using namespace testing_support;

namespace {

// A file whose name is a device name can only be made and removed by its literal path.
std::string Literal(const std::string& path) { return "\\\\?\\" + path; }

bool WriteLiteral(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(Literal(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

std::string BoxOf(const PindrelProcess& app, int timeoutMs) {
  HWND box = app.WaitForMessageBox(timeoutMs);
  return box ? PindrelProcess::BoxText(box) : "(no box)";
}

// The program's next box, answered with the button: its text without line ends (a box breaks
// a long path where it likes).
std::string Answer(const PindrelProcess& app, int button = IDOK) {
  HWND box = app.WaitForMessageBox(20000);
  if (!box) return "(no box)";
  std::string text = PindrelProcess::BoxText(box);
  PostMessageA(box, WM_COMMAND, button, 0);
  PumpUntil([&] { return !IsWindow(box); }, 5000);
  text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
  return text;
}

// Clicks a button of the main window on the robot's row.
void Click(const PindrelProcess& app, const std::string& robot, int button) {
  app.SelectRow(app.RowOf(robot));
  PostMessageA(app.main(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
}
const int kRunRobot = 1002, kEditRobot = 1006, kRemoveRobot = 1007;
const char kListUnreadable[] = "These robot files cannot be read, so their robots are listed unticked and without hotkeys:";

// A robot file made through the wide calls (which reach names the ANSI calls do not), deleted
// however the test ends: the robot folder's own clean-up reaches only what the ANSI calls reach.
struct WideFile {
  WideFile(const std::string& folder, const std::wstring& name, const std::string& bytes)
      : path(L"\\\\?\\" + std::wstring(folder.begin(), folder.end()) + L"\\" + name) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
  }
  ~WideFile() { DeleteFileW(path.c_str()); }
  bool Exists() const { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
  std::wstring path;
};

}  // namespace

TEST(AppRobotFiles, FilesNamedLikeDevicesAreNotRobots) {
  RobotFolder folder;
  folder.Write({"Plain", "None", "None", 0, 0, 1, {"WAIT(10)"}});
  const std::vector<std::string> devices = {"COM1.txt", "AUX.txt", "nul.robot.txt", "Lpt9 .txt"};
  for (const std::string& name : devices) ASSERT_TRUE(WriteLiteral(folder.path() + "\\" + name, RobotFileText({"Dev"})));

  PindrelProcess app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.WaitForMainWindow(20000)) << "start-up reads a device";
  EXPECT_EQ(app.ListRows(), std::vector<std::string>{"- Plain | None | None"});
  // A second instance asked for a robot that does not exist neither reads a device nor waits
  // on one: the running instance says the robot cannot be found.
  PindrelProcess second;
  ASSERT_TRUE(second.Start("-a nosuch"));
  EXPECT_EQ(BoxOf(app, 20000), "Can not find the robot scheduled to run.");
  app.Kill();
  EXPECT_NE(second.WaitForExit(10000), -1);
  for (const std::string& name : devices) DeleteFileA(Literal(folder.path() + "\\" + name).c_str());
}

// About 100 MB: the normal head and MouseMove lines (made here, never kept in the sources).
TEST(AppRobotFiles, ARobotOfAHundredMegabytesLoadsAtStartUp) {
  RobotFolder folder;
  std::string text = RobotFileText({"Large", "Ctrl + Shift + Alt + L", "None", 1});
  const std::string line = "MouseMove(1, 1)\r\n";
  text.reserve(100u << 20);
  while (text.size() + line.size() <= (100u << 20)) text += line;
  WriteFileBytes(folder.File("Large"), text);
  text.clear();
  text.shrink_to_fit();

  PindrelProcess app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.WaitForMainWindow(120000));
  EXPECT_EQ(app.ListRows(), std::vector<std::string>{"x Large | Ctrl + Shift + Alt + L | None"});
  EXPECT_EQ(app.WaitForMessageBox(1000), nullptr);
}

// "-a" takes a robot's name: one that names a folder too is refused, with or without an
// instance running, and the robot file it reaches is never played.
TEST(AppRobotFiles, ACommandLineNameWithAFolderPartIsRefused) {
  RobotFolder folder;
  TempFolder outside("pdloutside");
  const std::string played = outside.File("played.txt");
  // Reached as ..\..\..\<folder>\trav from the robot folder (three levels below the profile's).
  std::string appData = GetDataFolder().GetString();
  for (int i = 0; i < 2; ++i) appData = appData.substr(0, appData.rfind('\\'));
  const std::string outsideRobot = appData + "\\pdlreach.txt";
  WriteFileBytes(outsideRobot, RobotFileText({"trav", "None", "None", 0, 0, 1,
                                              {"$f = FileOpen(\"" + played + "\", 2)", "FileWriteLine($f, \"x\")",
                                               "FileClose($f)"}}));
  for (const char* name : {"..\\..\\..\\pdlreach", "../../../pdlreach", "c:pdlreach"}) {
    SCOPED_TRACE(name);
    PindrelProcess alone;
    ASSERT_TRUE(alone.Start(std::string("-a ") + name));
    EXPECT_EQ(BoxOf(alone, 20000), "Can not find the robot scheduled to run.");
    alone.Kill();
  }
  PindrelProcess app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.WaitForMainWindow());
  PindrelProcess second;
  ASSERT_TRUE(second.Start("-a ..\\..\\..\\pdlreach"));
  EXPECT_EQ(BoxOf(app, 20000), "Can not find the robot scheduled to run.");
  app.Kill();
  second.Kill();
  EXPECT_FALSE(FileExists(played));
  DeleteFileA(outsideRobot.c_str());
}

// A name longer than any file name can be names no robot: with no instance running it is said
// and ends as every other unknown name does, not as a file that cannot be read.
TEST(AppRobotFiles, ACommandLineNameTooLongForAFileIsNoRobot) {
  RobotFolder folder;
  PindrelProcess alone;
  ASSERT_TRUE(alone.Start("-a \"" + std::string(3000, 'a') + "\""));
  EXPECT_EQ(Answer(alone), "Can not find the robot scheduled to run.");
  EXPECT_EQ(alone.WaitForExit(10000), 2);
}

// The nine-line header of files written before the four later settings, and one with only two
// of them, are read whole: a tick and the editor write them in the full layout, without a box.
// (The list's own ticks at start-up rewrite only files already in the full layout.)
TEST(AppRobotFiles, OlderHeaderLayoutsAreTickedAndEditedInTheFullLayout) {
  RobotFolder folder;
  auto older = [](const RobotFixture& robot, const char* dropped) {
    std::string text = RobotFileText(robot);
    size_t from = text.find(dropped);
    return text.erase(from, text.find("[Script]") - from);
  };
  const RobotFixture ticked{"Ticked", "Ctrl + Alt + T", "None", 0, 0, 1, {"WAIT(10)"}};
  const RobotFixture plain{"Plain", "Ctrl + Alt + P", "Ctrl + Alt + Q", 0, 0, 2, {"WAIT(20)"}};
  WriteFileBytes(folder.File("Ticked"), older(ticked, "TriggerRobot="));
  WriteFileBytes(folder.File("Plain"), older(plain, "UseSimilarWin="));
  PindrelProcess app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.WaitForMainWindow());
  ASSERT_TRUE(BringToFront(app.main()));
  ClickAt(app.CheckBoxPoint(app.RowOf("Ticked")));
  // The file is read once the tick shows, and with it the write is done: Wine does not replace a
  // file that is open, so reading it while the tick writes it would make the write fail.
  EXPECT_TRUE(PumpUntil([&] { return app.ListRows()[app.RowOf("Ticked")] == "x Ticked | Ctrl + Alt + T | None"; }, 5000))
      << Answer(app);
  EXPECT_EQ(ReadFileBytes(folder.File("Ticked")),
            RobotFileText({"Ticked", "Ctrl + Alt + T", "None", 1, 0, 1, {"WAIT(10)"}}));
  Click(app, "Plain", kEditRobot);
  HWND editor = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (editor = app.FindWindowOfProcess("#32770", "Edit Robot")) != nullptr; }, 10000))
      << Answer(app);
  PostMessageA(editor, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(editor); }, 10000));
  EXPECT_EQ(ReadFileBytes(folder.File("Plain")), RobotFileText({"Plain", "Ctrl + Alt + P", "Ctrl + Alt + Q", 1, 0, 2, {"WAIT(20)"}}));
}

// A file another program holds without sharing: the list, Run Robot, Edit Robot, a tick and a
// command-line run say that it cannot be read and why; the command line ends with a code that
// is neither a played run's nor a missing robot's.
TEST(AppRobotFiles, AFileThatCannotBeReadIsSaidWithTheReasonEverywhere) {
  RobotFolder folder;
  folder.Write({"Held", "Ctrl + Alt + H", "None", 1, 0, 1, {"WAIT(10)"}});
  HANDLE held = CreateFileA(folder.File("Held").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const std::string reason = SystemErrorText(ERROR_SHARING_VIOLATION).GetString();
  const std::string unreadable = "The robot file cannot be read:" + folder.File("Held") + reason;
  PindrelProcess app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.WaitForMainWindow());
  EXPECT_EQ(Answer(app), kListUnreadable + folder.File("Held") + reason);
  EXPECT_EQ(app.ListRows(), std::vector<std::string>{"- Held |  | "});
  Click(app, "Held", kRunRobot);
  EXPECT_EQ(Answer(app), unreadable) << "Run Robot";
  Click(app, "Held", kEditRobot);
  EXPECT_EQ(Answer(app), unreadable) << "Edit Robot";
  ASSERT_TRUE(BringToFront(app.main()));
  ClickAt(app.CheckBoxPoint(app.RowOf("Held")));
  EXPECT_EQ(Answer(app), unreadable + "Ticking or unticking this robot lasts until Pindrel ends.") << "a tick";
  app.Kill();
  PindrelProcess alone;
  ASSERT_TRUE(alone.Start("-a Held"));
  // The command line reaches the program lower-cased.
  EXPECT_EQ(Answer(alone), "The robot file cannot be read:" + folder.File("held") + reason);
  long code = alone.WaitForExit(10000);
  EXPECT_TRUE(code != 0 && code != 18 && code != -1) << code;
  CloseHandle(held);
}

// Files the system's ANSI calls cannot reach (a path too long, a name the code page cannot hold)
// are listed as unreadable and never opened empty in the editor; Remove deletes the first and
// says that it cannot delete the other, whose row stays.
TEST(AppRobotFiles, FilesTheAnsiCallsCannotReachAreListedAsUnreadable) {
  RobotFolder folder;
  const std::string longName(MAX_PATH + 10 - folder.path().size() - 5, 'L');
  WideFile tooLong(folder.path(), std::wstring(longName.begin(), longName.end()) + L".txt",
                   RobotFileText({longName, "Ctrl + Alt + L", "None", 1, 0, 1, {"WAIT(10)"}}));
  WideFile foreign(folder.path(), L"\x673A\x5668\x4EBA.txt", RobotFileText({"Robot", "Ctrl + Alt + R"}));
  const std::string longReason = folder.File(longName) + SystemErrorText(ERROR_FILENAME_EXCED_RANGE).GetString();
  const std::string foreignReason = folder.File("???") + "Its name has characters that this system's code page cannot hold.";
  PindrelProcess app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.WaitForMainWindow());
  std::string listed = Answer(app);
  EXPECT_EQ(listed.size(), std::string(kListUnreadable).size() + longReason.size() + foreignReason.size()) << listed;
  EXPECT_NE(listed.find(longReason), std::string::npos) << listed;
  EXPECT_NE(listed.find(foreignReason), std::string::npos) << listed;
  std::vector<std::string> rows = app.ListRows();
  std::sort(rows.begin(), rows.end());
  EXPECT_EQ(rows, (std::vector<std::string>{"- ??? |  | ", "- " + longName + " |  | "}));
  for (const auto& [name, reason] : {std::pair(longName, longReason), std::pair(std::string("???"), foreignReason)}) {
    Click(app, name, kEditRobot);
    EXPECT_EQ(Answer(app), "The robot file cannot be read:" + reason) << "Edit Robot";
    Click(app, name, kRunRobot);
    EXPECT_EQ(Answer(app), "The robot file cannot be read:" + reason) << "Run Robot";
    Click(app, name, kRemoveRobot);
    EXPECT_EQ(Answer(app, IDYES), "Are you sure you want to delete the selected robot?");
  }
  EXPECT_EQ(Answer(app), "The robot file cannot be deleted:" + foreignReason + "The robot stays in the list.");
  EXPECT_EQ(app.ListRows(), std::vector<std::string>{"- ??? |  | "});
  EXPECT_FALSE(tooLong.Exists());
  EXPECT_TRUE(foreign.Exists());
  EXPECT_EQ(app.FindWindowOfProcess("#32770", "Edit Robot"), nullptr);
}

// A write ended half-way leaves its temporary file behind: the next start removes the writer's
// own temporaries and nothing else.
TEST(AppRobotFiles, StartUpRemovesTheWritersStaleTemporaries) {
  RobotFolder folder;
  folder.Write({"Plain"});
  const std::vector<std::string> stale = {"rob13BC.tmp", "rob1.tmp", "robffff.tmp"};
  std::vector<std::string> kept = {"rob12345.tmp", "robot.tmp", "pdl0001.tmp", "notes.tmp"};
  for (const std::string& name : stale) WriteFileBytes(folder.path() + "\\" + name, std::string(1000, 'x'));
  for (const std::string& name : kept) WriteFileBytes(folder.path() + "\\" + name, std::string(1000, 'x'));
  PindrelProcess app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.WaitForMainWindow());
  std::vector<std::string> left;
  for (const std::string& path : FilesIn(folder.path(), "*.tmp")) left.push_back(path.substr(folder.path().size() + 1));
  std::sort(left.begin(), left.end());
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(left, kept);
}

// A rename in letter case alone renames the file, so the next start keeps the new name.
TEST(AppRobotFiles, ARenameInLetterCaseRenamesTheFile) {
  RobotFolder folder;
  const RobotFixture renamed("PLAIN", "Ctrl + Alt + P", "<F11>", 1, 0, 1, {"WAIT(10)"});
  folder.Write({"plain", "Ctrl + Alt + P", "<F11>", 1, 0, 1, {"WAIT(10)"}});
  {
    PindrelProcess app;
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.WaitForMainWindow());
    app.SelectRow(app.RowOf("plain"));
    PostMessageA(app.main(), WM_COMMAND, MAKEWPARAM(1006, BN_CLICKED), 0);
    HWND editor = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (editor = app.FindWindowOfProcess("#32770", "Edit Robot")) != nullptr; }, 10000));
    SendMessageA(GetDlgItem(editor, 1028), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("PLAIN"));
    PostMessageA(editor, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(editor); }, 5000)) << BoxOf(app, 1000);
    EXPECT_EQ(FilesIn(folder.path(), "*.txt"), std::vector<std::string>{folder.File("PLAIN")});
    EXPECT_EQ(ReadFileBytes(folder.File("PLAIN")), RobotFileText(renamed));
  }
  PindrelProcess again;
  ASSERT_TRUE(again.Start());
  ASSERT_TRUE(again.WaitForMainWindow());
  EXPECT_EQ(again.ListRows(), std::vector<std::string>{"x PLAIN | Ctrl + Alt + P | <F11>"});
  EXPECT_EQ(ReadFileBytes(folder.File("PLAIN")), RobotFileText(renamed));
}
