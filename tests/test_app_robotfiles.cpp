// Robot files the real program must survive at start-up and on its command line: files named
// like devices, a robot of about 100 MB, "-a" names that reach outside the robot folder, the
// writer's stale temporaries, and a rename in letter case.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "robot/helpers.h"
#include "tests/support/pindrel_process.h"
#include "tests/support/robot_folder.h"
#include "tests/support/test_support.h"

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
