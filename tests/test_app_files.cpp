// A robot played by the real program that writes a log file, reads it back line by line and
// copies it: the files it leaves are checked byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/pindrel_process.h"
#include "tests/support/robot_folder.h"
#include "tests/support/test_support.h"

using namespace testing_support;

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

TEST(AppFiles, ARobotWritesALogReadsItBackLineByLineAndCopiesIt) {
  RobotFolder folder;
  TempFolder temp("pdlrobot");
  std::string log = Quoted(temp.File("log.txt")), numbered = Quoted(temp.File("numbered.txt")),
              copy = Quoted(temp.File("copy.txt"));
  std::vector<std::string> lines = {
      "$log = FileOpen(" + log + ", 2)",
      "FileWriteLine($log, \"first line\")",
      "FileWriteLine($log, \"second; with, \"\"quotes\"\"\")",
      "FileWriteLine($log, \"\")",
      "FileWrite($log, \"last without an end\")",
      "FileClose($log)",
      "$in = FileOpen(" + log + ", 0)",
      // Left open on purpose: the end of the process puts the written file in place.
      "$out = FileOpen(" + numbered + ", 2)",
      "$n = 0",
      "While 1",
      "$line = FileReadLine($in)",
      "If @error = -1 Then ExitLoop",
      "$n = $n + 1",
      "FileWriteLine($out, $n & \": \" & $line)",
      "Wend",
      "FileClose($in)",
      "FileCopy(" + log + ", " + copy + ")",
  };
  folder.Write({"Logger", "None", "None", 0, 0, 1, lines});

  PindrelProcess app;
  ASSERT_TRUE(app.Start("-a Logger"));
  long code = app.WaitForExit(20000);
  HWND box = app.FindWindowOfProcess("#32770", "Internal Error");
  EXPECT_EQ(box, nullptr) << PindrelProcess::BoxText(box);
  EXPECT_EQ(code, 18);

  const std::string written = "first line\r\nsecond; with, \"quotes\"\r\n\r\nlast without an end";
  EXPECT_EQ(ReadFileBytes(temp.File("log.txt")), written);
  EXPECT_EQ(ReadFileBytes(temp.File("numbered.txt")),
            "1: first line\r\n2: second; with, \"quotes\"\r\n3: \r\n4: last without an end\r\n");
  EXPECT_EQ(ReadFileBytes(temp.File("copy.txt")), written);
}

TEST(AppFiles, FileDialogsWithAnInitialFolderTooLongForAPathOpenInTheirDefaultFolder) {
  RobotFolder folder;
  TempFolder temp("pdlrobot");
  std::string out = Quoted(temp.File("out.txt"));
  std::vector<std::string> lines = {"$x = \"C:\\\""};
  for (const char* length : {"1100", "5000"})
    for (const char* name : {"FileOpenDialog", "FileSaveDialog"}) {
      lines.push_back("While StringLen($x) < " + std::string(length));
      lines.push_back("$x = $x & \"abcdefghi\\\"");
      lines.push_back("Wend");
      lines.push_back("$r = " + std::string(name) + "(\"Long " + name + "\", $x, \"Text (*.txt)\")");
      lines.push_back("$e = @error");
      lines.push_back("FileWriteLine(" + out + ", \"" + name + " \" & StringLen($x) & \" \" & $e)");
    }
  folder.Write({"LongFolder", "None", "None", 0, 0, 1, lines});

  PindrelProcess app;
  ASSERT_TRUE(app.Start("-a LongFolder"));
  // Each dialog must open; the test cancels it. It is found by its caption: the main window,
  // shown during the run, is a dialog too.
  for (int i = 0; i < 4 && app.Running(); ++i) {
    const char* caption = i % 2 ? "Long FileSaveDialog" : "Long FileOpenDialog";
    HWND box = nullptr;
    PumpUntil([&] { return (box = app.FindWindowOfProcess("#32770", caption)) != nullptr || !app.Running(); }, 15000);
    if (!box) break;
    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    PumpUntil([&] { return !IsWindow(box); }, 5000);
  }
  EXPECT_EQ(app.WaitForExit(20000), 18);
  EXPECT_EQ(ReadFileBytes(temp.File("out.txt")),
            "FileOpenDialog 1103 1\r\nFileSaveDialog 1103 1\r\nFileOpenDialog 5003 1\r\nFileSaveDialog 5003 1\r\n");
}

TEST(AppFiles, FileBuiltinsRefuseDevicesAndTheRunGoesOnToItsEnd) {
  RobotFolder folder;
  TempFolder temp("pdlrobot");
  std::string out = Quoted(temp.File("out.txt"));
  // COM1 is the host's serial port here: opened, a read from it never ends. Z:\dev\ttyS0 is
  // the same port under a name that is no device name: only its file type tells.
  std::vector<std::string> lines;
  for (const char* name : {"COM1", "com1.txt", "\\\\.\\COM1", "Z:\\dev\\ttyS0", "NUL"}) {
    std::string quoted = Quoted(name);
    lines.push_back("$h = FileOpen(" + quoted + ", 0)");
    lines.push_back("$line = FileReadLine(" + quoted + ")");
    lines.push_back("$e = @error");
    lines.push_back("$w = FileOpen(" + quoted + ", 2)");
    lines.push_back("FileWriteLine(" + out + ", \"" + name + " \" & $h & \" \" & $e & \" \" & $w)");
  }
  folder.Write({"Devices", "None", "None", 0, 0, 1, lines});

  PindrelProcess app;
  ASSERT_TRUE(app.Start("-a Devices"));
  EXPECT_EQ(app.WaitForExit(20000), 18);
  EXPECT_EQ(ReadFileBytes(temp.File("out.txt")),
            "COM1 -1 1 -1\r\ncom1.txt -1 1 -1\r\n\\\\.\\COM1 -1 1 -1\r\nZ:\\dev\\ttyS0 -1 1 -1\r\nNUL -1 1 -1\r\n");
}
