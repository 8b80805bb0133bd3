// Robot files the real program must survive at start-up and on its command line: files named
// like devices, a robot of about 100 MB, "-a" names that reach outside the robot folder, files
// in older header layouts, and files it cannot read (held by another program, a path too long,
// a name the code page cannot hold).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "robot/helpers.h"
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

// The text of the program's next box, which is then answered with the button.
std::string Answer(const PindrelProcess& app, int timeoutMs = 5000, int button = IDOK) {
  HWND box = app.WaitForMessageBox(timeoutMs);
  if (!box) return "(no box)";
  std::string text = PindrelProcess::BoxText(box);
  PostMessageA(box, WM_COMMAND, button, 0);
  PumpUntil([&] { return !IsWindow(box); }, 5000);
  return text;
}

// Clicks a button of the main window on the row of the robot.
void Click(const PindrelProcess& app, const std::string& robot, int button) {
  app.SelectRow(app.RowOf(robot));
  PostMessageA(app.main(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
}
const int kRunRobot = 1002, kEditRobot = 1006, kRemoveRobot = 1007;

std::wstring Wide(const std::string& path) {
  std::wstring wide(path.begin(), path.end());
  return L"\\\\?\\" + wide;
}

// Deletes a file the test made by its wide path when the test ends, however it ends: the robot
// folder's own clean-up reaches only what the ANSI calls reach.
class WideFile {
public:
  explicit WideFile(std::wstring path) : path_(std::move(path)) {}
  ~WideFile() { DeleteFileW(path_.c_str()); }
  WideFile(const WideFile&) = delete;
  WideFile& operator=(const WideFile&) = delete;
  const std::wstring& path() const { return path_; }

private:
  std::wstring path_;
};

bool FileExistsW(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool WriteWide(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

// A box's text without its line ends: the box breaks a long path where it likes.
std::string Unwrapped(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
  return text;
}

const char kListUnreadable[] = "These robot files cannot be read, so their robots are listed unticked and without hotkeys:\n\n";

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

// The nine-line header of files written before the four later settings, and one with only two
// of them, are read whole: a tick and the editor write them in the full layout, without a box.
TEST(AppRobotFiles, OlderHeaderLayoutsAreTickedAndEditedInTheFullLayout) {
  RobotFolder folder;
  auto older = [](const RobotFixture& robot, const char* dropped) {
    std::string text = RobotFileText(robot);
    size_t from = text.find(dropped);
    return text.erase(from, text.find("[Script]") - from);
  };
  const RobotFixture ticked{"Ticked", "Ctrl + Alt + T", "None", 1, 0, 1, {"WAIT(10)"}};
  const RobotFixture plain{"Plain", "Ctrl + Alt + P", "Ctrl + Alt + Q", 0, 0, 2, {"WAIT(20)"}};
  WriteFileBytes(folder.File("Ticked"), older(ticked, "TriggerRobot="));
  WriteFileBytes(folder.File("Plain"), older(plain, "UseSimilarWin="));
  PindrelProcess app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.WaitForMainWindow());
  EXPECT_EQ(ReadFileBytes(folder.File("Ticked")), RobotFileText(ticked));

  Click(app, "Plain", kEditRobot);
  HWND editor = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (editor = app.FindWindowOfProcess("#32770", "Edit Robot")) != nullptr; }, 10000))
      << BoxOf(app, 10);
  PostMessageA(editor, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(editor); }, 10000));
  EXPECT_EQ(ReadFileBytes(folder.File("Plain")), RobotFileText({"Plain", "Ctrl + Alt + P", "Ctrl + Alt + Q", 1, 0, 2, {"WAIT(20)"}}));
  EXPECT_EQ(app.WaitForMessageBox(500), nullptr);
}

// A file another program holds without sharing: the list, Run Robot, Edit Robot, a tick and a
// command-line run say that it cannot be read and why; the command line ends with a code that
// is neither a played run's nor a missing robot's.
TEST(AppRobotFiles, AFileThatCannotBeReadIsSaidWithTheReasonEverywhere) {
  RobotFolder folder;
  folder.Write({"Held", "Ctrl + Alt + H", "None", 1, 0, 1, {"WAIT(10)"}});
  const std::string path = folder.File("Held");
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const std::string reason = SystemErrorText(ERROR_SHARING_VIOLATION).GetString();
  const std::string unreadable = "The robot file cannot be read:\n" + path + "\n\n" + reason;
  PindrelProcess app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.WaitForMainWindow());
  EXPECT_EQ(Answer(app), kListUnreadable + path + "\n" + reason);
  EXPECT_EQ(app.ListRows(), std::vector<std::string>{"- Held |  | "});
  Click(app, "Held", kRunRobot);
  EXPECT_EQ(Answer(app), unreadable) << "Run Robot";
  Click(app, "Held", kEditRobot);
  EXPECT_EQ(Answer(app), unreadable) << "Edit Robot";
  EXPECT_EQ(app.FindWindowOfProcess("#32770", "Edit Robot"), nullptr);
  ASSERT_TRUE(BringToFront(app.main()));
  ClickAt(app.CheckBoxPoint(app.RowOf("Held")));
  EXPECT_EQ(Answer(app), unreadable + "\n\nTicking or unticking this robot lasts until Pindrel ends.") << "a tick";
  app.Kill();

  // The command line reaches the program lower-cased.
  PindrelProcess alone;
  ASSERT_TRUE(alone.Start("-a Held"));
  EXPECT_EQ(Answer(alone, 20000), "The robot file cannot be read:\n" + folder.File("held") + "\n\n" + reason);
  long code = alone.WaitForExit(10000);
  EXPECT_NE(code, 0);
  EXPECT_NE(code, 18);
  EXPECT_NE(code, -1);
  CloseHandle(held);
}

// A file whose path is longer than the system's ANSI calls take is listed as unreadable and
// never opened empty in the editor; Remove deletes it.
TEST(AppRobotFiles, AFileWithAPathTooLongIsListedAsUnreadableAndRemoved) {
  RobotFolder folder;
  const std::string name(MAX_PATH + 10 - folder.path().size() - 5, 'L');
  const std::string path = folder.File(name);
  WideFile file(Wide(path));
  ASSERT_TRUE(WriteWide(file.path(), RobotFileText({name, "Ctrl + Alt + L", "None", 1, 0, 1, {"WAIT(10)"}})));
  const std::string reason = SystemErrorText(ERROR_FILENAME_EXCED_RANGE).GetString();
  PindrelProcess app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.WaitForMainWindow());
  EXPECT_EQ(Unwrapped(Answer(app)), Unwrapped(kListUnreadable + path + reason));
  EXPECT_EQ(app.ListRows(), std::vector<std::string>{"- " + name + " |  | "});
  Click(app, name, kEditRobot);
  EXPECT_EQ(Unwrapped(Answer(app)), Unwrapped("The robot file cannot be read:" + path + reason));
  EXPECT_EQ(app.FindWindowOfProcess("#32770", "Edit Robot"), nullptr);
  Click(app, name, kRemoveRobot);
  EXPECT_EQ(Answer(app, 5000, IDYES), "Are you sure you want to delete the selected robot?");
  EXPECT_TRUE(PumpUntil([&] { return app.RowOf(name) < 0; }, 5000));
  EXPECT_FALSE(FileExistsW(file.path()));
}

// A file whose name the code page cannot hold is listed under the name the system gives it; it
// cannot be read, played, edited or deleted, and each says so, and Remove keeps its row.
TEST(AppRobotFiles, ANameTheCodePageCannotHoldIsSaidAndNeverEditedEmpty) {
  RobotFolder folder;
  WideFile file(Wide(folder.path()) + L"\\\x673A\x5668\x4EBA.txt");
  ASSERT_TRUE(WriteWide(file.path(), RobotFileText({"Robot", "Ctrl + Alt + R", "None", 0, 0, 1, {"WAIT(10)"}})));
  const std::string path = folder.File("???");
  const std::string reason = "Its name has characters that this system's code page cannot hold.";
  const std::string unreadable = "The robot file cannot be read:\n" + path + "\n\n" + reason;
  PindrelProcess app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.WaitForMainWindow());
  EXPECT_EQ(Answer(app), kListUnreadable + path + "\n" + reason);
  EXPECT_EQ(app.ListRows(), std::vector<std::string>{"- ??? |  | "});
  Click(app, "???", kRunRobot);
  EXPECT_EQ(Answer(app), unreadable) << "Run Robot";
  Click(app, "???", kEditRobot);
  EXPECT_EQ(Answer(app), unreadable) << "Edit Robot";
  EXPECT_EQ(app.FindWindowOfProcess("#32770", "Edit Robot"), nullptr);
  Click(app, "???", kRemoveRobot);
  EXPECT_EQ(Answer(app, 5000, IDYES), "Are you sure you want to delete the selected robot?");
  EXPECT_EQ(Answer(app), "The robot file cannot be deleted:\n" + path + "\n\n" + reason + "\n\nThe robot stays in the list.");
  EXPECT_EQ(app.ListRows(), std::vector<std::string>{"- ??? |  | "});
  EXPECT_TRUE(FileExistsW(file.path()));
}
