// The robot file: exact bytes written, the positional reader's quirks, and safe saving.
#include <gtest/gtest.h>

#include "robot/robot.h"
#include "robot/robotfile.h"
#include "tests/support/host_files.h"
#include "tests/support/test_support.h"

using namespace testing_support;

namespace {

RecWinInfo Record(int index, const char* title, const char* path, int level, RECT rect) {
  RecWinInfo r;
  r.WinIndex = index;
  r.WinTitle = title;
  r.WinPath = path;
  r.WinParentLevel = level;
  r.WinRect = rect;
  r.hWnd = reinterpret_cast<HWND>(0x1234);  // never written
  return r;
}

CRobot SampleRobot() {
  CRobot r;
  r.Name = "Clicker";
  r.TriggerRobot = "Other";
  r.StartKey = "Ctrl + Shift + Alt + M";
  r.EndKey = "<F2>";
  r.Description = "clicks, = and ; stay as they are";
  r.Enable = 1;
  r.RepeatOption = -3;
  r.RepeatTimes = 7;
  r.RobotSpeedMode = 1;
  r.UseSimilarWin = 1;
  r.UseRecWin = 1;
  r.RunAtBackground = 0;
  r.ActionLines.Add("MouseMove(10, 20, 0)");
  r.ActionLines.Add("  MouseClick(\"left\") -> At Win [1]");
  r.ActionLines.Add("Wait(100) => [remove on faster speed]");
  r.AddWindowRecord(Record(1, "Untitled - Notepad", "C:\\windows\\notepad.exe", 0, {1, 2, 300, 400}));
  r.AddWindowRecord(Record(2, "Calc", "C:\\calc.exe", -1, {-5, -6, 7, 8}));
  return r;
}

const char kSampleFile[] =
    "[General]\r\n"
    "Name=Clicker\r\n"
    "StartKey=Ctrl + Shift + Alt + M\r\n"
    "EndKey=<F2>\r\n"
    "Description=clicks, = and ; stay as they are\r\n"
    "Enable=1\r\n"
    "RepeatOption=-3\r\n"
    "RepeatTimes=7\r\n"
    "OriginalSpeed=0\r\n"
    "UseSimilarWin=1\r\n"
    "UseRecWin=1\r\n"
    "TriggerRobot=Other\r\n"
    "RunAtBackground=0\r\n"
    "[Script]\r\n"
    "MouseMove(10, 20, 0)\r\n"
    "  MouseClick(\"left\") -> At Win [1]\r\n"
    "Wait(100) => [remove on faster speed]\r\n"
    "[RecWinInfo]\r\n"
    "WinIndex=1\r\n"
    "WinTitle=Untitled - Notepad\r\n"
    "WinPath=C:\\windows\\notepad.exe\r\n"
    "WinParentLevel=0\r\n"
    "WinRect=1,2,300,400\r\n"
    "WinIndex=2\r\n"
    "WinTitle=Calc\r\n"
    "WinPath=C:\\calc.exe\r\n"
    "WinParentLevel=-1\r\n"
    "WinRect=-5,-6,7,8\r\n";

void ExpectSameRobot(const CRobot& a, const CRobot& b) {
  EXPECT_EQ(a.Name, b.Name);
  EXPECT_EQ(a.TriggerRobot, b.TriggerRobot);
  EXPECT_EQ(a.StartKey, b.StartKey);
  EXPECT_EQ(a.EndKey, b.EndKey);
  EXPECT_EQ(a.Description, b.Description);
  EXPECT_EQ(a.Enable, b.Enable);
  EXPECT_EQ(a.RepeatOption, b.RepeatOption);
  EXPECT_EQ(a.RepeatTimes, b.RepeatTimes);
  EXPECT_EQ(a.RobotSpeedMode, b.RobotSpeedMode);
  EXPECT_EQ(a.UseSimilarWin, b.UseSimilarWin);
  EXPECT_EQ(a.UseRecWin, b.UseRecWin);
  EXPECT_EQ(a.RunAtBackground, b.RunAtBackground);
  ASSERT_EQ(a.ActionLines.GetSize(), b.ActionLines.GetSize());
  for (int i = 0; i < a.ActionLines.GetSize(); ++i) EXPECT_EQ(a.ActionLines[i], b.ActionLines[i]);
  ASSERT_EQ(a.WinRecords.GetSize(), b.WinRecords.GetSize());
  for (int i = 0; i < a.WinRecords.GetSize(); ++i) {
    const RecWinInfo &x = a.WinRecords[i], &y = b.WinRecords[i];
    EXPECT_EQ(x.WinIndex, y.WinIndex);
    EXPECT_EQ(x.WinTitle, y.WinTitle);
    EXPECT_EQ(x.WinPath, y.WinPath);
    EXPECT_EQ(x.WinParentLevel, y.WinParentLevel);
    EXPECT_TRUE(EqualRect(&x.WinRect, &y.WinRect));
  }
}

// A robot file of the given lines, named "<name>.txt" in the folder.
std::string WriteRobotFile(const TempFolder& folder, const char* name, const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\r\n";
  std::string path = folder.File(std::string(name) + ".txt");
  WriteFileBytes(path, text);
  return path;
}

std::vector<std::string> GeneralPart(const char* name, const char* speed) {
  return {"[General]", std::string("Name=") + name, "StartKey=<F3>", "EndKey=<F4>", "Description=d", "Enable=1",
          "RepeatOption=2", "RepeatTimes=5", std::string("OriginalSpeed=") + speed};
}

}  // namespace

TEST(RobotFile, WritesTheExactFormat) {
  TempFolder folder;
  ASSERT_TRUE(SampleRobot().SaveToFile(folder.path().c_str()));
  EXPECT_EQ(ReadFileBytes(folder.File("Clicker.txt")), kSampleFile);
}

TEST(RobotFile, RoundTripsEveryField) {
  TempFolder folder;
  CRobot saved = SampleRobot();
  ASSERT_TRUE(saved.SaveToFile(folder.path().c_str()));
  CRobot loaded;
  ASSERT_EQ(loaded.LoadFromFile(folder.File("Clicker.txt").c_str()), 1);
  ExpectSameRobot(loaded, saved);
  EXPECT_EQ(loaded.WinRecords[0].hWnd, nullptr);
}

TEST(RobotFile, NoRecordsMeansNoRecWinInfoSection) {
  TempFolder folder;
  CRobot r = SampleRobot();
  r.WinRecords.RemoveAll();
  ASSERT_TRUE(r.SaveToFile(folder.path().c_str()));
  std::vector<std::string> lines = SplitLines(ReadFileBytes(folder.File("Clicker.txt")));
  ASSERT_EQ(lines.size(), 17u);
  EXPECT_EQ(lines.back(), "Wait(100) => [remove on faster speed]");
  for (const std::string& l : lines) EXPECT_NE(l, "[RecWinInfo]");
}

TEST(RobotFile, SpeedModeTexts) {
  struct Case {
    int mode;
    const char* written;
    int readBack;
  } cases[] = {{0, "OriginalSpeed=1", 0}, {1, "OriginalSpeed=0", 1}, {2, "OriginalSpeed=2", 2}, {7, "OriginalSpeed=2", 2}};
  TempFolder folder;
  for (const Case& c : cases) {
    CRobot r = SampleRobot();
    r.RobotSpeedMode = c.mode;
    ASSERT_TRUE(r.SaveToFile(folder.path().c_str()));
    EXPECT_EQ(SplitLines(ReadFileBytes(folder.File("Clicker.txt")))[8], c.written);
    CRobot back;
    ASSERT_EQ(back.LoadFromFile(folder.File("Clicker.txt").c_str()), 1);
    EXPECT_EQ(back.RobotSpeedMode, c.readBack) << c.mode;
  }
  for (const char* odd : {"5", "", "01", " 2"}) {
    std::vector<std::string> lines = GeneralPart("Odd", odd);
    lines.push_back("[Script]");
    CRobot r;
    ASSERT_EQ(r.LoadFromFile(WriteRobotFile(folder, "Odd", lines).c_str()), 1);
    EXPECT_EQ(r.RobotSpeedMode, 0) << "'" << odd << "'";
  }
}

TEST(RobotFile, NameComesFromTheFileName) {
  TempFolder folder;
  for (const char* nameLine : {"Slow", "fast", "Fast"}) {
    std::vector<std::string> lines = GeneralPart(nameLine, "1");
    lines.push_back("[Script]");
    CRobot r;
    ASSERT_EQ(r.LoadFromFile(WriteRobotFile(folder, "Fast", lines).c_str()), 1);
    EXPECT_EQ(r.Name, "Fast");
  }
  // Only the last "." ends the base name.
  std::vector<std::string> lines = GeneralPart("x", "1");
  lines.push_back("[Script]");
  CRobot r;
  ASSERT_EQ(r.LoadFromFile(WriteRobotFile(folder, "v1.2", lines).c_str()), 1);
  EXPECT_EQ(r.Name, "v1.2");
}

TEST(RobotFile, OldFilesWithoutTheFourSettings) {
  TempFolder folder;
  std::vector<std::string> lines = GeneralPart("Old", "1");
  lines.insert(lines.end(), {"[script]", "first action", "second action"});
  CRobot r;
  r.UseRecWin = r.UseSimilarWin = r.RunAtBackground = 1;
  r.TriggerRobot = "stale";
  ASSERT_EQ(r.LoadFromFile(WriteRobotFile(folder, "Old", lines).c_str()), 1);
  EXPECT_EQ(r.UseSimilarWin, 0);
  EXPECT_EQ(r.UseRecWin, 0);
  EXPECT_EQ(r.RunAtBackground, 0);
  EXPECT_EQ(r.TriggerRobot, "");
  ASSERT_EQ(r.ActionLines.GetSize(), 2);
  EXPECT_EQ(r.ActionLines[0], "first action");
  EXPECT_EQ(r.StartKey, "<F3>");
  EXPECT_EQ(r.RepeatOption, 2);
  EXPECT_EQ(r.RepeatTimes, 5);
}

TEST(RobotFile, FilesWithSomeOfTheSettings) {
  struct Case {
    std::vector<std::string> settings;
    int similar, rec, background;
    const char* trigger;
  } cases[] = {
      {{"UseSimilarWin=1"}, 1, 0, 0, ""},
      {{"UseSimilarWin=1", "UseRecWin=1"}, 1, 1, 0, ""},
      {{"UseSimilarWin=0", "UseRecWin=1", "TriggerRobot="}, 0, 1, 0, ""},
      {{"UseSimilarWin=0", "UseRecWin=0", "TriggerRobot=Next"}, 0, 0, 0, "Next"},
  };
  TempFolder folder;
  for (const Case& c : cases) {
    std::vector<std::string> lines = GeneralPart("Part", "1");
    lines.insert(lines.end(), c.settings.begin(), c.settings.end());
    lines.insert(lines.end(), {"[Script]", "act"});
    CRobot r;
    ASSERT_EQ(r.LoadFromFile(WriteRobotFile(folder, "Part", lines).c_str()), 1);
    EXPECT_EQ(r.UseSimilarWin, c.similar);
    EXPECT_EQ(r.UseRecWin, c.rec);
    EXPECT_EQ(r.RunAtBackground, c.background);
    EXPECT_EQ(r.TriggerRobot, c.trigger);
    ASSERT_EQ(r.ActionLines.GetSize(), 1);
    EXPECT_EQ(r.ActionLines[0], "act");
  }
}

TEST(RobotFile, GeneralKeysAreNeverCompared) {
  TempFolder folder;
  // Each value is the line without as many characters as the expected key has.
  std::vector<std::string> lines = {"[General]", "Name=N",        "EndKey=<F5>",     "StartKey=<F6>",
                                    "Description", "Enable=abc",  "RepeatTimes=12",  "RepeatOption=9",
                                    "OriginalSpeed=2", "UseRecWin=1", "UseSimilarWin=1", "TriggerRobot=ab",
                                    "RunAtBackground=1", "not the script header", "a1"};
  CRobot r;
  ASSERT_EQ(r.LoadFromFile(WriteRobotFile(folder, "N", lines).c_str()), 1);
  EXPECT_EQ(r.StartKey, "5>");         // "EndKey=<F5>" cut by len("StartKey=")
  EXPECT_EQ(r.EndKey, "y=<F6>");       // "StartKey=<F6>" cut by len("EndKey=")
  EXPECT_EQ(r.Description, "");        // shorter than its key
  EXPECT_EQ(r.Enable, 0);
  EXPECT_EQ(r.RepeatOption, 2);        // "RepeatTimes=12" cut by 13 characters
  EXPECT_EQ(r.RepeatTimes, 0);         // "RepeatOption=9" cut by 12 characters: "=9"
  EXPECT_EQ(r.RobotSpeedMode, 2);
  EXPECT_EQ(r.UseSimilarWin, 0);       // "UseRecWin=1" cut by 14 characters
  EXPECT_EQ(r.UseRecWin, 0);           // "UseSimilarWin=1" cut by 10: "milarWin=1"
  EXPECT_EQ(r.TriggerRobot, "ab");
  EXPECT_EQ(r.RunAtBackground, 1);
  // The line after RunAtBackground is dropped unread, whatever it holds.
  ASSERT_EQ(r.ActionLines.GetSize(), 1);
  EXPECT_EQ(r.ActionLines[0], "a1");
}

TEST(RobotFile, ShortGeneralPartReadsAsEmpty) {
  TempFolder folder;
  CRobot r;
  r.StartKey = "x";
  ASSERT_EQ(r.LoadFromFile(WriteRobotFile(folder, "Short", {"[General]", "Name=Short", "StartKey=<F1>"}).c_str()), 1);
  EXPECT_EQ(r.StartKey, "<F1>");
  EXPECT_EQ(r.EndKey, "");
  EXPECT_EQ(r.RepeatTimes, 0);
  EXPECT_EQ(r.ActionLines.GetSize(), 0);
}

TEST(RobotFile, RecordsInheritOmittedKeys) {
  TempFolder folder;
  std::vector<std::string> lines = GeneralPart("Inh", "1");
  lines.insert(lines.end(), {"[Script]", "a", "[recwininfo]", "WinIndex=1", "WinTitle=T1", "WinPath=P1",
                             "WinParentLevel=2", "WinRect=1,2,3,4", "something else", "WinIndex=5",
                             "WinRect=10,20,30,40,50", "WinIndex=9", "WinTitle=dropped"});
  CRobot r;
  ASSERT_EQ(r.LoadFromFile(WriteRobotFile(folder, "Inh", lines).c_str()), 1);
  ASSERT_EQ(r.WinRecords.GetSize(), 2);
  EXPECT_EQ(r.WinRecords[1].WinIndex, 5);
  EXPECT_EQ(r.WinRecords[1].WinTitle, "T1");
  EXPECT_EQ(r.WinRecords[1].WinPath, "P1");
  EXPECT_EQ(r.WinRecords[1].WinParentLevel, 2);
  RECT expected = {10, 20, 30, 40};
  EXPECT_TRUE(EqualRect(&r.WinRecords[1].WinRect, &expected));
}

TEST(RobotFile, RecordKeysAreCaseSensitive) {
  TempFolder folder;
  std::vector<std::string> lines = GeneralPart("Case", "1");
  lines.insert(lines.end(), {"[Script]", "[RecWinInfo]", "wintitle=lower", "WinRect=1,1,1,1"});
  CRobot r;
  ASSERT_EQ(r.LoadFromFile(WriteRobotFile(folder, "Case", lines).c_str()), 1);
  ASSERT_EQ(r.WinRecords.GetSize(), 1);
  EXPECT_EQ(r.WinRecords[0].WinTitle, "");
  EXPECT_EQ(r.WinRecords[0].WinParentLevel, -1);
}

TEST(RobotFile, BadRectangleFailsTheLoadButKeepsWhatWasRead) {
  TempFolder folder;
  std::vector<std::string> lines = GeneralPart("Bad", "0");
  lines.insert(lines.end(), {"UseSimilarWin=1", "UseRecWin=1", "TriggerRobot=T", "RunAtBackground=1", "[Script]",
                             "a", "b", "[RecWinInfo]", "WinIndex=1", "WinRect=1,2,3,4", "WinIndex=2",
                             "WinRect=1,2,3", "WinIndex=3", "WinRect=5,6,7,8"});
  MessageBoxCapture boxes;
  CRobot r;
  std::string path = WriteRobotFile(folder, "Bad", lines);
  EXPECT_EQ(r.LoadFromFile(path.c_str()), 0);
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, "Failed to load record Window info\n" + path);
  EXPECT_EQ(boxes.boxes()[0].caption, "Vantorel Pindrel");
  EXPECT_EQ(boxes.boxes()[0].type & (MB_TYPEMASK | MB_ICONMASK), static_cast<UINT>(MB_OK));
  EXPECT_EQ(r.RobotSpeedMode, 1);
  EXPECT_EQ(r.TriggerRobot, "T");
  EXPECT_EQ(r.ActionLines.GetSize(), 2);
  EXPECT_EQ(r.WinRecords.GetSize(), 1);
}

TEST(RobotFile, ActionLinesKeepEveryByte) {
  TempFolder folder;
  CRobot r = SampleRobot();
  r.ActionLines.RemoveAll();
  for (const char* line : {"   leading blanks", "trailing blanks   ", "Send(\"{TAB}\") -> At Win [0]", "tab\there", ""})
    r.ActionLines.Add(line);
  ASSERT_TRUE(r.SaveToFile(folder.path().c_str()));
  CRobot back;
  ASSERT_EQ(back.LoadFromFile(folder.File("Clicker.txt").c_str()), 1);
  ExpectSameRobot(back, r);
}

TEST(RobotFile, LoadingEmptiesEarlierLinesAndRecords) {
  TempFolder folder;
  std::vector<std::string> lines = GeneralPart("E", "1");
  lines.push_back("[Script]");
  CRobot r = SampleRobot();
  ASSERT_EQ(r.LoadFromFile(WriteRobotFile(folder, "E", lines).c_str()), 1);
  EXPECT_EQ(r.ActionLines.GetSize(), 0);
  EXPECT_EQ(r.WinRecords.GetSize(), 0);
}

TEST(RobotFile, MissingFileLoadsNothing) {
  TempFolder folder;
  CRobot r;
  EXPECT_EQ(r.LoadFromFile(folder.File("nope.txt").c_str()), 0);
}

TEST(RobotFile, FailedSaveKeepsTheOldFile) {
  TempFolder folder;
  CRobot r = SampleRobot();
  ASSERT_TRUE(r.SaveToFile(folder.path().c_str()));
  std::string before = ReadFileBytes(folder.File("Clicker.txt"));

  // The target is locked against replacement: the save fails and the old file stays whole.
  HANDLE lock = CreateFileA(folder.File("Clicker.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  r.ActionLines.Add("more");
  EXPECT_FALSE(r.SaveToFile(folder.path().c_str()));
  CloseHandle(lock);
  EXPECT_EQ(ReadFileBytes(folder.File("Clicker.txt")), before);

  // A folder that does not exist cannot be written to.
  EXPECT_FALSE(r.SaveToFile((folder.path() + "\\missing").c_str()));

  // No temporary file is left behind.
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder.path() + "\\*.tmp").c_str(), &fd);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE);
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
}

// A failed save says why: the caller's message names the real cause.
TEST(RobotFile, AFailedSaveGivesItsCauseAndAReadOnlyFileIsKept) {
  TempFolder folder;
  CRobot r = SampleRobot();
  ASSERT_TRUE(r.SaveToFile(folder.path().c_str()));
  const std::string path = folder.File("Clicker.txt");
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  r.ActionLines.Add("more");
  SetLastError(0);
  EXPECT_FALSE(r.SaveToFile(folder.path().c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_READ_ONLY));
  EXPECT_EQ(ReadFileBytes(path), kSampleFile);
  EXPECT_EQ(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);

  // A disk with 8 KB left takes part of a 100 KB robot and then no more.
  TempFolder full("pdlfull");
  FullDisk disk(full.path(), 8192);
  ASSERT_TRUE(disk.ok());
  CRobot large = SampleRobot();
  for (int i = 0; i < 5000; ++i) large.ActionLines.Add("MouseMove(100, 200)");
  SetLastError(0);
  EXPECT_FALSE(large.SaveToFile(full.path().c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
}

// A file written back from what was read is replaced only while it is still what was read:
// lines another program added meanwhile are never cut off.
TEST(RobotFile, ARewriteLeavesAFileThatChangedSinceItWasRead) {
  TempFolder folder;
  const std::string path = folder.File("Clicker.txt");
  WriteFileBytes(path, kSampleFile);
  CRobot r;
  ASSERT_EQ(r.LoadFromFile(path.c_str()), 1);
  const std::string grown = std::string(kSampleFile) + "MouseMove(1, 1)\r\n";
  WriteFileBytes(path, grown);
  r.Enable = 0;
  SetLastError(0);
  EXPECT_FALSE(r.RewriteFile(folder.path().c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(ReadFileBytes(path), grown);
  ASSERT_EQ(r.LoadFromFile(path.c_str()), 1);
  r.Enable = 0;
  EXPECT_TRUE(r.RewriteFile(folder.path().c_str()));
  EXPECT_NE(ReadFileBytes(path).find("\r\nEnable=0\r\n"), std::string::npos);
}

TEST(RobotFile, SaveReplacesAnExistingFile) {
  TempFolder folder;
  WriteFileBytes(folder.File("Clicker.txt"), std::string(5000, 'x'));
  ASSERT_TRUE(SampleRobot().SaveToFile(folder.path().c_str()));
  EXPECT_EQ(ReadFileBytes(folder.File("Clicker.txt")), kSampleFile);
}

TEST(RobotRecord, CopiesAreIndependent) {
  CRobot a = SampleRobot();
  CRobot b(a);
  b.ActionLines[0] = "changed";
  b.WinRecords[0].WinTitle = "changed";
  EXPECT_EQ(a.ActionLines[0], "MouseMove(10, 20, 0)");
  EXPECT_EQ(a.WinRecords[0].WinTitle, "Untitled - Notepad");
  CRobot c;
  c.ActionLines.Add("old");
  c = a;
  ExpectSameRobot(c, a);
  c = c;
  ExpectSameRobot(c, a);
}

TEST(RobotRecord, NewRecordsHaveDefinedValues) {
  CRobot r;
  EXPECT_EQ(r.Name, "");
  EXPECT_EQ(r.RobotSpeedMode, 0);
  EXPECT_EQ(r.UseRecWin, 0);
  EXPECT_EQ(r.ActionLines.GetSize(), 0);
  RecWinInfo w;
  EXPECT_EQ(w.WinIndex, 0);
  EXPECT_EQ(w.hWnd, nullptr);
  EXPECT_EQ(w.WinParentLevel, -1);
  EXPECT_EQ(w.WinTitle, "");
  RECT zero = {0, 0, 0, 0};
  EXPECT_TRUE(EqualRect(&w.WinRect, &zero));
}

// A literal with its NUL bytes.
template <size_t N>
std::string Bytes(const char (&text)[N]) {
  return std::string(text, N - 1);
}

// Bytes that a text-mode reader mishandles: a NUL inside a line, Ctrl-Z, LF-only and CR-only
// line ends. Each file is loaded, written back and compared byte for byte.
TEST(RobotFile, OddBytesInLinesSurviveALoadAndSave) {
  const std::string head = std::string(kSampleFile).substr(0, std::string(kSampleFile).find("[Script]\r\n") + 10);
  struct Case {
    const char* what;
    std::string script;              // the bytes after "[Script]"
    std::vector<std::string> lines;  // the action lines read
    std::string rewritten;           // the bytes after "[Script]" once saved ("" = as read)
  } cases[] = {
      {"NUL", Bytes("Send(\"a\0b\")\r\nnext\r\n"), {Bytes("Send(\"a\0b\")"), "next"}, ""},
      {"Ctrl-Z", "one\x1Atwo\r\n\x1A\r\nthree\r\n", {"one\x1Atwo", "\x1A", "three"}, ""},
      {"LF only", "a\nb\n", {"a", "b"}, "a\r\nb\r\n"},
      {"no last line end", "a\r\nb", {"a", "b"}, "a\r\nb\r\n"},
      {"CR inside", "a\rb\r\r\nc\r\n", {"a\rb\r", "c"}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    WriteFileBytes(folder.File("Clicker.txt"), head + c.script);
    CRobot r;
    ASSERT_EQ(r.LoadFromFile(folder.File("Clicker.txt").c_str()), 1);
    ASSERT_EQ(r.ActionLines.GetSize(), static_cast<int>(c.lines.size()));
    for (size_t i = 0; i < c.lines.size(); ++i) EXPECT_EQ(r.ActionLines[i].str(), c.lines[i]) << i;
    ASSERT_TRUE(r.SaveToFile(folder.path().c_str()));
    EXPECT_EQ(ReadFileBytes(folder.File("Clicker.txt")), head + (c.rewritten.empty() ? c.script : c.rewritten));
  }
}

// Only a file that holds exactly what the writer writes may be written back by the robot list.
TEST(RobotFile, OnlyAFileInTheWritersLayoutReadsBackWhole) {
  std::string sample = kSampleFile;
  auto replace = [&sample](const std::string& from, const std::string& to) {
    std::string s = sample;
    s.replace(s.find(from), from.size(), to);
    return s;
  };
  struct Case {
    const char* what;
    std::string bytes;
    BOOL readsBack;
  } cases[] = {
      {"as written", sample, TRUE},
      {"another name line", replace("Name=Clicker", "Name=Other"), TRUE},
      {"LF line ends", [&] {
         std::string s = sample;
         for (size_t at; (at = s.find("\r\n")) != std::string::npos;) s.erase(at, 1);
         return s;
       }(), TRUE},
      {"eight-line header", replace("OriginalSpeed=0\r\nUseSimilarWin=1\r\nUseRecWin=1\r\nTriggerRobot=Other\r\n"
                                    "RunAtBackground=0\r\n", ""), FALSE},
      {"an extra key", replace("RunAtBackground=0\r\n", "RunAtBackground=0\r\nExtra=1\r\n"), FALSE},
      {"keys in another order", replace("UseSimilarWin=1\r\nUseRecWin=1\r\n", "UseRecWin=1\r\nUseSimilarWin=1\r\n"), FALSE},
      {"a number written otherwise", replace("RepeatTimes=7", "RepeatTimes=07"), FALSE},
      {"a fifth rectangle number", replace("WinRect=1,2,300,400", "WinRect=1,2,300,400,5"), FALSE},
      {"records header without records", replace(sample.substr(sample.find("WinIndex=1")), ""), FALSE},
      {"lower-case records header", replace("[RecWinInfo]", "[recwininfo]"), FALSE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    WriteFileBytes(folder.File("Clicker.txt"), c.bytes);
    CRobot r;
    ASSERT_EQ(r.LoadFromFile(folder.File("Clicker.txt").c_str()), 1);
    EXPECT_EQ(r.FileReadsBack, c.readsBack);
  }
}

// "[RecWinInfo]" ends the action lines in any letter case, as for the playback reader.
TEST(RobotFile, RecordsHeaderInAnyCaseEndsTheActionLines) {
  std::string sample = kSampleFile;
  sample.replace(sample.find("[RecWinInfo]"), 12, "[RECWININFO]");
  TempFolder folder;
  WriteFileBytes(folder.File("Clicker.txt"), sample);
  CRobot r;
  ASSERT_EQ(r.LoadFromFile(folder.File("Clicker.txt").c_str()), 1);
  EXPECT_EQ(r.ActionLines.GetSize(), 3);
  EXPECT_EQ(r.WinRecords.GetSize(), 2);
}

TEST(RobotFile, ABrokenRecordIsShownOnlyWhenAsked) {
  TempFolder folder;
  std::string sample = kSampleFile;
  sample.replace(sample.find("WinRect=1,2,300,400"), 19, "WinRect=1,2");
  WriteFileBytes(folder.File("Clicker.txt"), sample);
  MessageBoxCapture boxes;
  CRobot r;
  EXPECT_EQ(r.LoadFromFile(folder.File("Clicker.txt").c_str(), FALSE), 0);
  EXPECT_TRUE(boxes.boxes().empty());
  EXPECT_FALSE(r.FileReadsBack);
  EXPECT_EQ(r.LoadFromFile(folder.File("Clicker.txt").c_str()), 0);
  EXPECT_EQ(boxes.boxes().size(), 1u);
}

// A UTF-8 byte-order mark (an editor may add one) is not part of the first line.
TEST(RobotFile, AUtf8ByteOrderMarkIsSkipped) {
  TempFolder folder;
  WriteFileBytes(folder.File("Clicker.txt"), std::string("\xEF\xBB\xBF") + kSampleFile);
  CStringArray lines;
  ASSERT_TRUE(ReadRobotFileLines(folder.File("Clicker.txt").c_str(), lines));
  EXPECT_EQ(lines[0].str(), "[General]");
  CRobot r;
  ASSERT_EQ(r.LoadFromFile(folder.File("Clicker.txt").c_str()), 1);
  EXPECT_TRUE(r.FileReadsBack);
}
