// File, INI, folder and drive built-ins against real folders: the handle table and its fatal
// texts, line ends, searches, patterns, INI files, attributes, times, shortcuts and drive C:.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "robot/tempfiles.h"
#include "script/sysutil/sysutil.h"
#include "tests/support/script_harness.h"
#include "tests/support/test_support.h"

using namespace testing_support;

namespace {

const char kHandleInvalid[] = "File handle invalid.  Make sure that the FileOpen command succeeded.";
const char kTooManyFiles[] = "Unable to open file, the maximum number of open files has been exceeded.";

CScriptValue S(const std::string& text) {
  CScriptValue v;
  v.SetString(text.c_str());
  return v;
}

CScriptValue N(double n) {
  CScriptValue v;
  v.SetNumber(n);
  return v;
}

std::string CurrentDirectory() {
  char path[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, path);
  return path;
}

// Names in a folder as FindFirstFileA / FindNextFileA give them, in that order.
std::vector<std::string> SearchOrder(const std::string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.push_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

// Holds a file open without sharing, as another program may.
class LockedFile {
public:
  explicit LockedFile(const std::string& path)
      : handle_(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {
    EXPECT_NE(handle_, INVALID_HANDLE_VALUE) << path;
  }
  ~LockedFile() { CloseHandle(handle_); }
  LockedFile(const LockedFile&) = delete;
  LockedFile& operator=(const LockedFile&) = delete;

private:
  HANDLE handle_;
};

class FileBuiltins : public ::testing::Test {
public:
  // Calls a built-in; its result as text ("a,b,c" for an array). `fatal` receives the handler's
  // answer (1 after a report that ends the run).
  std::string Call(const char* name, std::vector<CScriptValue> values, int* fatal = nullptr) {
    int answer = 0;
    std::string text = harness.Call(name, std::move(values), &answer);
    if (fatal)
      *fatal = answer;
    else
      EXPECT_EQ(answer, 0) << name << ": " << harness.LastError();
    return text;
  }
  // The text and @error of a call, as "text|error".
  std::string WithError(const char* name, std::vector<CScriptValue> values) {
    std::string text = Call(name, std::move(values));
    return text + "|" + std::to_string(script().GetError());
  }
  CQuorvex_Script& script() { return harness.script(); }
  std::string File(const std::string& name) const { return temp.File(name); }
  std::string Open(const std::string& name, int mode) { return Call("FILEOPEN", {S(File(name)), N(mode)}); }

  TempFolder temp{"pdlfiles"};  // outlives the harness, which closes what a test left open
  ScriptHarness harness;
};

}  // namespace

// ---- the handle table --------------------------------------------------------------------------

TEST_F(FileBuiltins, SixtyFourHandlesTheLowestFreeSlotAndTheSixtyFifthEndsTheRun) {
  WriteFileBytes(File("a.txt"), "x");
  for (int i = 0; i < 64; ++i) ASSERT_EQ(Open("a.txt", 0), std::to_string(i));
  EXPECT_EQ(Call("FILECLOSE", {N(5)}), "1");
  EXPECT_EQ(Open("a.txt", 0), "5");
  EXPECT_EQ(script().Files.GetCount(), 64);

  int fatal = 0;
  Call("FILEOPEN", {S(File("a.txt")), N(0)}, &fatal);
  EXPECT_EQ(fatal, 1);
  EXPECT_EQ(harness.LastError(), kTooManyFiles);
  // A search that finds something cannot take a slot either, and its search is closed again.
  Call("FILEFINDFIRSTFILE", {S(File("*.txt"))}, &fatal);
  EXPECT_EQ(fatal, 1);
  EXPECT_EQ(harness.boxes().size(), 2u);
  // One that finds nothing needs no slot.
  EXPECT_EQ(Call("FILEFINDFIRSTFILE", {S(File("*.none"))}), "-1");
  EXPECT_EQ(harness.boxes().size(), 2u);
}

TEST_F(FileBuiltins, BadHandlesEndTheRunWithTheSameText) {
  WriteFileBytes(File("a.txt"), "x");
  std::string search = Call("FILEFINDFIRSTFILE", {S(File("*.txt"))});
  std::string file = Open("a.txt", 0);
  struct Case {
    const char* name;
    std::vector<CScriptValue> args;
  } cases[] = {
      {"FILECLOSE", {N(64)}},           {"FILECLOSE", {N(-1)}},           {"FILECLOSE", {N(7)}},
      {"FILEREADLINE", {N(7)}},          {"FILEREAD", {N(63), N(1)}},       {"FILEWRITE", {N(7), S("x")}},
      {"FILEWRITELINE", {N(7), S("x")}}, {"FILEREADLINE", {N(std::stoi(search))}},
      {"FILEFINDNEXTFILE", {N(std::stoi(file))}}, {"FILEFINDNEXTFILE", {N(9)}},
  };
  for (Case& c : cases) {
    int fatal = 0;
    Call(c.name, c.args, &fatal);
    EXPECT_EQ(fatal, 1) << c.name;
    EXPECT_EQ(harness.LastError(), kHandleInvalid) << c.name;
  }
}

TEST_F(FileBuiltins, OpenModes) {
  WriteFileBytes(File("old.txt"), "old\r\n");
  EXPECT_EQ(Open("old.txt", 3), "-1");
  EXPECT_EQ(Open("old.txt", -1), "-1");
  EXPECT_EQ(Open("missing.txt", 0), "-1");
  EXPECT_EQ(script().GetError(), 0);
  // Writing never makes missing folders.
  EXPECT_EQ(Open("no\\such\\new.txt", 2), "-1");
  EXPECT_FALSE(FileExists(File("no")));
  EXPECT_EQ(Open("old.txt\\", 2), "-1");

  std::string append = Open("old.txt", 1);
  EXPECT_EQ(Call("FILEWRITELINE", {N(std::stoi(append)), S("more")}), "1");
  EXPECT_EQ(Call("FILECLOSE", {N(std::stoi(append))}), "1");
  EXPECT_EQ(ReadFileBytes(File("old.txt")), "old\r\nmore\r\n");

  // Overwriting: the old text stays whole until the handle is closed, then the new one replaces it.
  std::string write = Open("old.txt", 2);
  EXPECT_EQ(Call("FILEWRITE", {N(std::stoi(write)), S("new")}), "1");
  EXPECT_EQ(ReadFileBytes(File("old.txt")), "old\r\nmore\r\n");
  EXPECT_EQ(Call("FILECLOSE", {N(std::stoi(write))}), "1");
  EXPECT_EQ(ReadFileBytes(File("old.txt")), "new");
  EXPECT_EQ(SearchOrder(File("*")).size(), 3u) << "no temporary file is left behind";

  // A file another program holds without sharing cannot be opened for writing and keeps its text.
  {
    LockedFile lock(File("old.txt"));
    EXPECT_EQ(Open("old.txt", 2), "-1");
    EXPECT_EQ(Open("old.txt", 1), "-1");
  }
  EXPECT_EQ(ReadFileBytes(File("old.txt")), "new");

  // When the new text cannot be put in place, closing says so and the old text stays whole.
  write = Open("old.txt", 2);
  EXPECT_EQ(Call("FILEWRITE", {N(std::stoi(write)), S("newer")}), "1");
  {
    LockedFile lock(File("old.txt"));
    EXPECT_EQ(Call("FILECLOSE", {N(std::stoi(write))}), "0");
  }
  EXPECT_EQ(ReadFileBytes(File("old.txt")), "new");
  EXPECT_EQ(SearchOrder(File("*")).size(), 3u) << "no temporary file is left behind";

  // Writing to a new file makes it at once.
  std::string fresh = Open("fresh.txt", 2);
  EXPECT_NE(fresh, "-1");
  EXPECT_TRUE(FileExists(File("fresh.txt")));
}

// The files in the test folder whose names start with `prefix`.
static std::vector<std::string> FilesStartingWith(const std::string& folder, const char* prefix) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\" + prefix + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.push_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(FileBuiltins, TheTemporaryOfAKilledWriterIsRemovedWhenTheFolderIsWrittenAgain) {
  // A writer killed half-way left its temporary: no process has its id now.
  const std::string stale = StampedTemporaryName(kScriptTempPrefix, 0xFFFFFFF0, 0x12345678, 7);
  // The user's own files and a temporary of this process, which is still at work, stay.
  std::string live;
  ASSERT_TRUE(CreateStampedTemporary(temp.path().c_str(), kScriptTempPrefix, live));
  const std::string liveName = live.substr(live.rfind('\\') + 1);
  for (const std::string& name : {stale, std::string("pdl1A2B.tmp"), std::string("~pdl notes.tmp")})
    WriteFileBytes(File(name), "");

  std::string handle = Open("target.txt", 2);
  ASSERT_NE(handle, "-1");
  std::vector<std::string> during = FilesStartingWith(temp.path(), "~pdl");
  EXPECT_EQ(during.size(), 3u);  // the live one, the user's, and the new one
  EXPECT_EQ(std::count(during.begin(), during.end(), stale), 0);
  EXPECT_EQ(std::count(during.begin(), during.end(), liveName), 1);
  for (const std::string& name : during) {
    if (name != liveName && name != "~pdl notes.tmp") {
      EXPECT_TRUE(IsStampedTemporaryName(name.c_str(), "~pdl")) << name;
    }
  }
  EXPECT_EQ(Call("FILEWRITE", {N(std::stoi(handle)), S("text")}), "1");
  EXPECT_EQ(Call("FILECLOSE", {N(std::stoi(handle))}), "1");
  EXPECT_EQ(ReadFileBytes(File("target.txt")), "text");
  EXPECT_EQ(FilesStartingWith(temp.path(), "~pdl"), (std::vector<std::string>{"~pdl notes.tmp", liveName}));
  EXPECT_TRUE(FileExists(File("pdl1A2B.tmp")));
}

TEST_F(FileBuiltins, ReadingLinesEndsAtCrLfLfOrCr) {
  struct Case {
    const char* bytes;
    std::vector<std::string> lines;
  } cases[] = {
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
      {"a\rb", {"a", "b"}},
      {"one\r\n", {"one"}},
      {"\r\n\r\nx", {"", "", "x"}},
      {"a\r\r\nb", {"a", "", "b"}},
      {"", {}},
  };
  for (const Case& c : cases) {
    WriteFileBytes(File("lines.txt"), c.bytes);
    int handle = std::stoi(Open("lines.txt", 0));
    std::vector<std::string> lines;
    for (;;) {
      std::string line = Call("FILEREADLINE", {N(handle)});
      if (script().GetError() == -1) {
        EXPECT_EQ(line, "");
        break;
      }
      lines.push_back(line);
    }
    EXPECT_EQ(lines, c.lines) << c.bytes;
    Call("FILECLOSE", {N(handle)});
  }
}

TEST_F(FileBuiltins, ReadingANumberedLineRewindsFirst) {
  WriteFileBytes(File("lines.txt"), "first\r\nsecond\r\nthird");
  int handle = std::stoi(Open("lines.txt", 0));
  EXPECT_EQ(WithError("FILEREADLINE", {N(handle), N(2)}), "second|0");
  EXPECT_EQ(WithError("FILEREADLINE", {N(handle), N(2)}), "second|0");
  EXPECT_EQ(WithError("FILEREADLINE", {N(handle)}), "third|0");
  EXPECT_EQ(WithError("FILEREADLINE", {N(handle), N(0)}), "|0");
  EXPECT_EQ(WithError("FILEREADLINE", {N(handle)}), "first|0") << "line 0 rewinds";
  EXPECT_EQ(WithError("FILEREADLINE", {N(handle), N(4)}), "|-1");
  EXPECT_EQ(WithError("FILEREADLINE", {N(handle), N(-3)}), "|0");
  // A file named in place of a handle is read from its start each time.
  EXPECT_EQ(WithError("FILEREADLINE", {S(File("lines.txt"))}), "first|0");
  EXPECT_EQ(WithError("FILEREADLINE", {S(File("lines.txt")), N(3)}), "third|0");
  EXPECT_EQ(WithError("FILEREADLINE", {S(File("missing.txt"))}), "|1");
  // Handles opened for writing cannot be read.
  EXPECT_EQ(WithError("FILEREADLINE", {N(std::stoi(Open("w.txt", 2)))}), "|1");
  EXPECT_EQ(WithError("FILEREADLINE", {N(std::stoi(Open("w.txt", 1)))}), "|1");
  EXPECT_EQ(WithError("FILEREAD", {N(std::stoi(Open("w.txt", 1))), N(3)}), "|1");
}

// Lines by number in any order, between reads in order, reads of characters and changes to the
// file: each answer, its @error and where the next read goes on are those of a read from the
// start. Steps: a number (FILEREADLINE by number), "n" (the next line), "r<count>" (FILEREAD),
// "a<text>" (FILEWRITE through the file's name), "w<bytes>" (another program rewrites the file;
// the next line read by number is not the one after the last, which is read straight on as a
// read in order is).
TEST_F(FileBuiltins, LinesByNumberAnswerAsIfReadFromTheStart) {
  struct Case {
    const char* bytes;
    std::vector<std::pair<std::string, std::string>> steps;
  } cases[] = {
      {"one\r\ntwo\r\nthree\r\n",
       {{"1", "one|0"}, {"2", "two|0"}, {"3", "three|0"}, {"4", "|-1"}, {"n", "|-1"}, {"3", "three|0"}, {"n", "|-1"},
        {"2", "two|0"}, {"n", "three|0"}, {"2", "two|0"}, {"2", "two|0"}, {"5", "|-1"}, {"0", "|0"}, {"n", "one|0"},
        {"3", "three|0"}, {"-1", "|0"}, {"n", "one|0"}, {"r5", "two\r\n|0"}, {"n", "three|0"}, {"1", "one|0"},
        {"r3", "two|0"}, {"2", "two|0"}, {"r3", "thr|0"}, {"n", "ee|0"}}},
      {"a\nb\nc", {{"3", "c|0"}, {"n", "|-1"}, {"2", "b|0"}, {"n", "c|0"}, {"4", "|-1"}, {"3", "c|0"}, {"1", "a|0"}}},
      {"a\rb\r\rc\r", {{"2", "b|0"}, {"3", "|0"}, {"4", "c|0"}, {"5", "|-1"}, {"4", "c|0"}, {"n", "|-1"},
                        {"3", "|0"}, {"n", "c|0"}}},
      {"x\r\n\r\ny\n\rz", {{"5", "z|0"}, {"4", "|0"}, {"n", "z|0"}, {"2", "|0"}, {"3", "y|0"}, {"6", "|-1"}}},
      {"", {{"1", "|-1"}, {"n", "|-1"}, {"0", "|0"}, {"1", "|-1"}}},
      {"a\nb", {{"2", "b|0"}, {"ac\r\n", ""}, {"2", "bc|0"}, {"3", "|-1"}, {"ad", ""}, {"3", "d|0"}, {"1", "a|0"}}},
      {"a\r", {{"1", "a|0"}, {"2", "|-1"}, {"a\nb", ""}, {"2", "b|0"}, {"1", "a|0"}, {"n", "b|0"}}},
      {"1\n2\n", {{"2", "2|0"}, {"a3\r\n", ""}, {"3", "3|0"}, {"n", "|-1"}, {"2", "2|0"}, {"a4", ""}, {"4", "4|0"}}},
      {"1\n2\n3\n", {{"2", "2|0"}, {"w1\n20\n30\n", ""}, {"2", "20|0"}, {"3", "30|0"}, {"wx\n", ""}, {"3", "|-1"}}},
  };
  for (const Case& c : cases) {
    WriteFileBytes(File("numbered.txt"), c.bytes);
    int handle = std::stoi(Open("numbered.txt", 0));
    for (const auto& [step, answer] : c.steps) {
      SCOPED_TRACE(std::string(c.bytes) + " step " + step);
      if (step[0] == 'a') {
        Call("FILEWRITE", {S(File("numbered.txt")), S(step.substr(1))});
      } else if (step[0] == 'w') {
        HANDLE file = CreateFileA(File("numbered.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, TRUNCATE_EXISTING, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, step.data() + 1, static_cast<DWORD>(step.size() - 1), &written, nullptr);
        CloseHandle(file);
      } else if (step[0] == 'r') {
        EXPECT_EQ(WithError("FILEREAD", {N(handle), N(std::stoi(step.substr(1)))}), answer);
      } else {
        EXPECT_EQ(WithError("FILEREADLINE", step == "n" ? std::vector<CScriptValue>{N(handle)}
                                                         : std::vector<CScriptValue>{N(handle), N(std::stoi(step))}),
                  answer);
      }
    }
    Call("FILECLOSE", {N(handle)});
  }
}

TEST_F(FileBuiltins, ALongLineIsCutAt65534Characters) {
  WriteFileBytes(File("long.txt"), std::string(70000, 'x') + "\r\nnext");
  int handle = std::stoi(Open("long.txt", 0));
  EXPECT_EQ(Call("FILEREADLINE", {N(handle)}).size(), 65534u);
  EXPECT_EQ(Call("FILEREADLINE", {N(handle)}), "next");
}

TEST_F(FileBuiltins, ReadingCharactersIsBoundedByTheFile) {
  WriteFileBytes(File("chars.txt"), "abcdef");
  int handle = std::stoi(Open("chars.txt", 0));
  EXPECT_EQ(WithError("FILEREAD", {N(handle), N(2)}), "ab|0");
  EXPECT_EQ(WithError("FILEREAD", {N(handle), N(2)}), "cd|0");
  EXPECT_EQ(WithError("FILEREAD", {N(handle), N(100)}), "ef|0");
  EXPECT_EQ(WithError("FILEREAD", {N(handle), N(1)}), "|-1");
  // Counts of nothing, below nothing or beyond any memory.
  for (double count : {0.0, -1.0, -2147483648.0}) EXPECT_EQ(WithError("FILEREAD", {S(File("chars.txt")), N(count)}), "|-1");
  for (double count : {2147483647.0, 1e15}) EXPECT_EQ(WithError("FILEREAD", {S(File("chars.txt")), N(count)}), "abcdef|0");
  EXPECT_EQ(WithError("FILEREAD", {S(File("missing.txt")), N(3)}), "|1");
  // The text ends at a zero byte.
  WriteFileBytes(File("zero.txt"), std::string("ab\0cd", 5));
  EXPECT_EQ(WithError("FILEREAD", {S(File("zero.txt")), N(5)}), "ab|0");
  // A large file comes back whole.
  std::string big(300000, 'q');
  WriteFileBytes(File("big.txt"), big);
  EXPECT_EQ(Call("FILEREAD", {S(File("big.txt")), N(1e9)}), big);
}

TEST_F(FileBuiltins, WritingLinesAddsCrLfUnlessTheTextEndsALine) {
  int handle = std::stoi(Open("out.txt", 2));
  for (const char* text : {"plain", "", "lf\n", "cr\r", "crlf\r\n"})
    EXPECT_EQ(Call("FILEWRITELINE", {N(handle), S(text)}), "1");
  EXPECT_EQ(Call("FILEWRITE", {N(handle), S("tail")}), "1");
  EXPECT_EQ(Call("FILECLOSE", {N(handle)}), "1");
  EXPECT_EQ(ReadFileBytes(File("out.txt")), "plain\r\n\r\nlf\ncr\rcrlf\r\ntail");
  // A file named in place of a handle is appended to, and made when missing.
  EXPECT_EQ(Call("FILEWRITELINE", {S(File("out.txt")), S("more")}), "1");
  EXPECT_EQ(Call("FILEWRITE", {S(File("new.txt")), S("n")}), "1");
  EXPECT_EQ(ReadFileBytes(File("out.txt")), "plain\r\n\r\nlf\ncr\rcrlf\r\ntailmore\r\n");
  EXPECT_EQ(ReadFileBytes(File("new.txt")), "n");
  // Not writable: a handle opened for reading, a folder that does not exist.
  EXPECT_EQ(Call("FILEWRITE", {N(std::stoi(Open("out.txt", 0))), S("x")}), "0");
  EXPECT_EQ(Call("FILEWRITELINE", {S(File("no\\such.txt")), S("x")}), "0");
}

TEST_F(FileBuiltins, HandlesOutliveTheRunsThatOpenedThemUntilTheInterpreterEnds) {
  WriteFileBytes(File("in.txt"), "one\r\ntwo\r\nthree\r\n");
  std::string log = File("run.txt");
  // A robot that opens its files in its first repetition and reads a line at each repetition.
  const std::string robot = "If Not IsDeclared(\"h\") Then\n$h = FileOpen(\"" + File("in.txt") +
                            "\", 0)\n$w = FileOpen(\"" + log + "\", 2)\nEndIf\nFileWriteLine($w, FileReadLine($h))";
  {
    ScriptHarness own;
    ASSERT_TRUE(own.Run(robot));
    ASSERT_TRUE(own.Run(robot)) << own.LastBox();
    // A run that ends on an error leaves them open too.
    EXPECT_FALSE(own.Run("FileWriteLine($w, FileReadLine($h))\nFileClose(99)"));
    EXPECT_EQ(own.LastError(), kHandleInvalid);
    EXPECT_EQ(own.script().Files.GetCount(), 2);
    EXPECT_EQ(ReadFileBytes(log), "");  // a file opened to overwrite is put in place when closed
  }
  EXPECT_EQ(ReadFileBytes(log), "one\r\ntwo\r\nthree\r\n");
}

// ---- searches --------------------------------------------------------------------------------

TEST_F(FileBuiltins, FindFirstAndNextGiveTheSearchOrder) {
  for (const char* name : {"b.txt", "a.txt", "c.log", "d.txt"}) WriteFileBytes(File(name), "x");
  CreateDirectoryA(File("sub.txt").c_str(), nullptr);
  for (const char* pattern : {"*.txt", "*", "?.log"}) {
    std::vector<std::string> expected = SearchOrder(File(pattern));
    int handle = std::stoi(Call("FILEFINDFIRSTFILE", {S(File(pattern))}));
    std::vector<std::string> names;
    for (;;) {
      std::string name = Call("FILEFINDNEXTFILE", {N(handle)});
      if (script().GetError() == 1) {
        EXPECT_EQ(name, "");
        break;
      }
      names.push_back(name);
    }
    EXPECT_EQ(names, expected) << pattern;
    EXPECT_EQ(Call("FILECLOSE", {N(handle)}), "1");
  }
  std::vector<std::string> all = SearchOrder(File("*"));
  EXPECT_NE(std::find(all.begin(), all.end(), ".."), all.end()) << "dots are returned like any name";
  EXPECT_EQ(Call("FILEFINDFIRSTFILE", {S(File("*.none"))}), "-1");
  EXPECT_EQ(script().Files.GetCount(), 0);
}

// ---- copy, move, delete ------------------------------------------------------------------------

TEST_F(FileBuiltins, CopyMoveAndDeleteByPatternWithAndWithoutOverwrite) {
  CreateDirectoryA(File("in").c_str(), nullptr);
  CreateDirectoryA(File("out").c_str(), nullptr);
  WriteFileBytes(File("in\\a.txt"), "A");
  WriteFileBytes(File("in\\b.txt"), "B");
  WriteFileBytes(File("in\\c.log"), "C");
  WriteFileBytes(File("out\\a.txt"), "old");

  EXPECT_EQ(Call("FILECOPY", {S(File("in\\*.txt")), S(File("out"))}), "0") << "a.txt exists";
  EXPECT_EQ(ReadFileBytes(File("out\\a.txt")), "old");
  EXPECT_EQ(Call("FILECOPY", {S(File("in\\*.txt")), S(File("out")), N(1)}), "1");
  EXPECT_EQ(ReadFileBytes(File("out\\a.txt")), "A");
  EXPECT_EQ(ReadFileBytes(File("out\\b.txt")), "B");
  EXPECT_EQ(Call("FILEINSTALL", {S(File("in\\c.log")), S(File("out\\*.bak"))}), "1");
  EXPECT_EQ(ReadFileBytes(File("out\\c.bak")), "C");

  // Onto itself, with or without overwrite, by name or by pattern: the data stays.
  for (int flag : {0, 1}) {
    Call("FILECOPY", {S(File("in\\a.txt")), S(File("in\\a.txt")), N(flag)});
    Call("FILEMOVE", {S(File("in\\*.txt")), S(File("in")), N(flag)});
    EXPECT_EQ(ReadFileBytes(File("in\\a.txt")), "A");
    EXPECT_EQ(ReadFileBytes(File("in\\b.txt")), "B");
  }

  WriteFileBytes(File("out\\b.txt"), "oldB");
  EXPECT_EQ(Call("FILEMOVE", {S(File("in\\b.txt")), S(File("out"))}), "0");
  EXPECT_TRUE(FileExists(File("in\\b.txt")));
  EXPECT_EQ(Call("FILEMOVE", {S(File("in\\b.txt")), S(File("out")), N(1)}), "1");
  EXPECT_FALSE(FileExists(File("in\\b.txt")));
  EXPECT_EQ(ReadFileBytes(File("out\\b.txt")), "B");

  EXPECT_EQ(Call("FILEEXISTS", {S(File("out\\*.bak"))}), "1");
  EXPECT_EQ(Call("FILEDELETE", {S(File("out\\*.txt"))}), "1");
  EXPECT_EQ(Call("FILEEXISTS", {S(File("out\\*.txt"))}), "0");
  EXPECT_EQ(Call("FILEEXISTS", {S(File("out\\c.bak"))}), "1");
  EXPECT_EQ(Call("FILEDELETE", {S(File("out\\*.txt"))}), "0") << "nothing left to delete";
  EXPECT_EQ(Call("FILECOPY", {S(File("in\\none.*")), S(File("out"))}), "0");
}

TEST_F(FileBuiltins, FoldersCreateCopyMoveAndRemove) {
  EXPECT_EQ(Call("DIRCREATE", {S(File("t\\u\\v"))}), "1");
  WriteFileBytes(File("t\\top.txt"), "T");
  WriteFileBytes(File("t\\u\\v\\deep.txt"), "D");

  EXPECT_EQ(Call("DIRCOPY", {S(File("t")), S(File("copy"))}), "1");
  EXPECT_EQ(ReadFileBytes(File("copy\\u\\v\\deep.txt")), "D");
  EXPECT_EQ(Call("DIRCOPY", {S(File("t")), S(File("copy"))}), "0") << "the copy exists";
  WriteFileBytes(File("t\\top.txt"), "T2");
  EXPECT_EQ(Call("DIRCOPY", {S(File("t")), S(File("copy")), N(1)}), "1");
  EXPECT_EQ(ReadFileBytes(File("copy\\top.txt")), "T2");

  EXPECT_EQ(Call("DIRMOVE", {S(File("copy")), S(File("moved"))}), "1");
  EXPECT_FALSE(FileExists(File("copy")));
  EXPECT_EQ(ReadFileBytes(File("moved\\u\\v\\deep.txt")), "D");

  EXPECT_EQ(Call("DIRREMOVE", {S(File("moved"))}), "0") << "not empty";
  EXPECT_TRUE(FileExists(File("moved\\top.txt")));
  EXPECT_EQ(Call("DIRREMOVE", {S(File("moved")), N(1)}), "1");
  EXPECT_FALSE(FileExists(File("moved")));
  EXPECT_EQ(Call("DIRCREATE", {S(File("empty"))}), "1");
  EXPECT_EQ(Call("DIRREMOVE", {S(File("empty"))}), "1");
  EXPECT_EQ(Call("DIRREMOVE", {S(File("empty"))}), "0");
}

TEST_F(FileBuiltins, AFolderMovedToADriveWhereTheCopyFailsStaysWhereItWas) {
  // Z: is the root of the host's file system under Wine: its /proc takes no new folder.
  if (GetDriveTypeA("Z:\\") == DRIVE_NO_ROOT_DIR) GTEST_SKIP() << "no second drive";
  EXPECT_EQ(Call("DIRCREATE", {S(File("src\\sub"))}), "1");
  WriteFileBytes(File("src\\sub\\keep.txt"), "K");
  EXPECT_EQ(Call("DIRMOVE", {S(File("src")), S("Z:\\proc\\pindrel_no_such_place"), N(1)}), "0");
  EXPECT_EQ(ReadFileBytes(File("src\\sub\\keep.txt")), "K");
}

TEST_F(FileBuiltins, RecycleTakesTheFileAway) {
  WriteFileBytes(File("bin.txt"), "x");
  EXPECT_EQ(Call("FILERECYCLE", {S(File("bin.txt"))}), "1");
  EXPECT_FALSE(FileExists(File("bin.txt")));
  EXPECT_EQ(Call("FILERECYCLE", {S(File("bin.txt"))}), "0");
  EXPECT_EQ(Call("FILERECYCLEEMPTY", {}), "1");
  EXPECT_EQ(Call("FILERECYCLEEMPTY", {S("C:\\")}), "1");
}

// ---- INI files -------------------------------------------------------------------------------

TEST_F(FileBuiltins, IniWriteReadDeleteRelativeToTheCurrentDirectory) {
  std::string saved = CurrentDirectory();
  EXPECT_EQ(Call("FILECHANGEDIR", {S(temp.path())}), "1");
  EXPECT_EQ(Call("INIWRITE", {S("set.ini"), S("Main"), S("Name"), S("Robot")}), "1");
  EXPECT_EQ(Call("INIWRITE", {S("set.ini"), S("Main"), S("Count"), S("3")}), "1");
  EXPECT_EQ(Call("INIREAD", {S("set.ini"), S("Main"), S("Name"), S("none")}), "Robot");
  EXPECT_EQ(Call("INIWRITE", {S("set.ini"), S("Main"), S("Name"), S("Other")}), "1");
  EXPECT_EQ(Call("INIREAD", {S(File("set.ini")), S("Main"), S("Name"), S("none")}), "Other");
  EXPECT_EQ(Call("INIDELETE", {S("set.ini"), S("Main"), S("Name")}), "1");
  EXPECT_EQ(Call("INIREAD", {S("set.ini"), S("Main"), S("Name"), S("none")}), "none");
  EXPECT_EQ(Call("INIREAD", {S("set.ini"), S("Main"), S("Count"), S("none")}), "3");
  EXPECT_EQ(Call("INIREAD", {S("missing.ini"), S("Main"), S("Count"), S("dflt")}), "dflt");
  EXPECT_EQ(Call("FILECHANGEDIR", {S(File("nowhere"))}), "0");
  SetCurrentDirectoryA(saved.c_str());
  EXPECT_EQ(ReadFileBytes(File("set.ini")), "[Main]\r\nCount=3\r\n");
  EXPECT_EQ(SearchOrder(File("*")).size(), 3u) << "no temporary file is left behind";
}

TEST_F(FileBuiltins, AnIniWriteThatFailsLeavesTheFileWhole) {
  WriteFileBytes(File("ro.ini"), "[A]\r\nk=v\r\n");
  {
    LockedFile lock(File("ro.ini"));
    EXPECT_EQ(Call("INIWRITE", {S(File("ro.ini")), S("A"), S("k"), S("new")}), "0");
    EXPECT_EQ(Call("INIDELETE", {S(File("ro.ini")), S("A"), S("k")}), "0");
  }
  EXPECT_EQ(ReadFileBytes(File("ro.ini")), "[A]\r\nk=v\r\n");
  EXPECT_EQ(Call("INIWRITE", {S(File("no\\such.ini")), S("A"), S("k"), S("v")}), "0");
  EXPECT_EQ(SearchOrder(File("*")).size(), 3u) << "no temporary file is left behind";
}

// ---- attributes, times, names -------------------------------------------------------------------

TEST_F(FileBuiltins, AttributesAreAddedAndRemovedByLetter) {
  // Wine keeps no archive bit (every file reads as archived), so only R and H are seen to change.
  WriteFileBytes(File("f.txt"), "x");
  SetFileAttributesA(File("f.txt").c_str(), FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(WithError("FILEGETATTRIB", {S(File("f.txt"))}), "A|0");
  EXPECT_EQ(Call("FILESETATTRIB", {S(File("f.txt")), S("+RH-A")}), "1");
  std::string set = Call("FILEGETATTRIB", {S(File("f.txt"))});
  EXPECT_TRUE(set == "RH" || set == "RAH") << set;
  for (const char* bad : {"+X", "+R-", "R+A+", "+RZ", "-RH+"}) {
    EXPECT_EQ(Call("FILESETATTRIB", {S(File("f.txt")), S(bad)}), "0") << bad;
    EXPECT_EQ(Call("FILEGETATTRIB", {S(File("f.txt"))}), set) << bad;
  }
  EXPECT_EQ(Call("FILESETATTRIB", {S(File("f.txt")), S("-rh+a")}), "1");
  EXPECT_EQ(Call("FILEGETATTRIB", {S(File("f.txt"))}), "A");
  EXPECT_EQ(WithError("FILEGETATTRIB", {S(File("missing"))}), "|1");
  EXPECT_EQ(Call("FILESETATTRIB", {S(File("missing")), S("+R")}), "0");
  EXPECT_NE(Call("FILEGETATTRIB", {S(temp.path())}).find('D'), std::string::npos);
}

TEST_F(FileBuiltins, AttributesOfATreeOnlyWithRecursion) {
  EXPECT_EQ(Call("DIRCREATE", {S(File("tree\\sub"))}), "1");
  WriteFileBytes(File("tree\\a.txt"), "x");
  WriteFileBytes(File("tree\\sub\\b.txt"), "x");
  std::string saved = CurrentDirectory();
  EXPECT_EQ(Call("FILESETATTRIB", {S(File("tree")), S("+H")}), "1");
  EXPECT_EQ(CurrentDirectory(), saved);
  EXPECT_NE(Call("FILEGETATTRIB", {S(File("tree"))}).find('H'), std::string::npos);
  EXPECT_EQ(Call("FILEGETATTRIB", {S(File("tree\\a.txt"))}).find('H'), std::string::npos);
  EXPECT_EQ(Call("FILESETATTRIB", {S(File("tree\\*.txt")), S("+R"), N(1)}), "1");
  EXPECT_EQ(Call("FILEGETATTRIB", {S(File("tree\\sub\\b.txt"))}).find('R'), 0u);
  EXPECT_EQ(Call("FILESETATTRIB", {S(File("tree\\")), S("-R"), N(1)}), "1");
  EXPECT_EQ(Call("FILEGETATTRIB", {S(File("tree\\sub\\b.txt"))}).find('R'), std::string::npos);
  EXPECT_EQ(CurrentDirectory(), saved);
}

TEST_F(FileBuiltins, TimesAreSetFromTextAndReadBackInLocalTime) {
  WriteFileBytes(File("t.txt"), "x");
  struct Case {
    const char* text;
    const char* result;
    const char* time;
  } cases[] = {
      {"2020", "1", "2020,01,01,00,00,00"},
      {"20211231235958", "1", "2021,12,31,23,59,58"},
      {"2019061", "1", "2019,06,01,00,00,00"},  // a single character left is not read
      {"202", "0", "2019,06,01,00,00,00"},
      {"20201301", "0", "2019,06,01,00,00,00"},
      {"20200230", "0", "2019,06,01,00,00,00"},
      {"2020x1", "0", "2019,06,01,00,00,00"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Call("FILESETTIME", {S(File("t.txt")), S(c.text)}), c.result) << c.text;
    EXPECT_EQ(Call("FILEGETTIME", {S(File("t.txt"))}), c.time) << c.text;
  }
  // Wine keeps no creation time of its own: setting one succeeds, reading it back is not checked.
  EXPECT_EQ(Call("FILESETTIME", {S(File("t.txt")), S("2001"), N(1)}), "1");
  EXPECT_EQ(Call("FILEGETTIME", {S(File("t.txt")), N(1)}).size(), 19u);
  EXPECT_EQ(Call("FILESETTIME", {S(File("t.txt")), S("2019060100"), N(0)}), "1");
  EXPECT_EQ(Call("FILESETTIME", {S(File("t.txt")), S("2002"), N(2)}), "1");
  EXPECT_EQ(Call("FILEGETTIME", {S(File("t.txt")), N(2)}), "2002,01,01,00,00,00");
  EXPECT_EQ(WithError("FILEGETTIME", {S(File("missing"))}), "1|1");
  // A folder on its own: only its own time, and the current directory stays.
  std::string saved = CurrentDirectory();
  EXPECT_EQ(Call("DIRCREATE", {S(File("d"))}), "1");
  WriteFileBytes(File("d\\in.txt"), "x");
  EXPECT_EQ(Call("FILESETTIME", {S(File("d")), S("2010")}), "1");
  EXPECT_EQ(Call("FILEGETTIME", {S(File("d"))}), "2010,01,01,00,00,00");
  EXPECT_NE(Call("FILEGETTIME", {S(File("d\\in.txt"))}), "2010,01,01,00,00,00");
  EXPECT_EQ(Call("FILESETTIME", {S(File("d")), S("2011"), N(0), N(1)}), "1");
  EXPECT_EQ(Call("FILEGETTIME", {S(File("d\\in.txt"))}), "2011,01,01,00,00,00");
  EXPECT_EQ(CurrentDirectory(), saved);
}

TEST_F(FileBuiltins, SizesVersionsAndNames) {
  WriteFileBytes(File("five.txt"), "12345");
  EXPECT_EQ(WithError("FILEGETSIZE", {S(File("five.txt"))}), "5|0");
  EXPECT_EQ(WithError("FILEGETSIZE", {S(File("*.txt"))}), "5|0");
  EXPECT_EQ(WithError("FILEGETSIZE", {S(File("none.txt"))}), "0|1");

  char system[MAX_PATH];
  GetSystemDirectoryA(system, MAX_PATH);
  std::string version = WithError("FILEGETVERSION", {S(std::string(system) + "\\kernel32.dll")});
  EXPECT_NE(version, "0.0.0.0|0");
  EXPECT_EQ(std::count(version.begin(), version.end(), '.'), 3);
  EXPECT_EQ(WithError("FILEGETVERSION", {S(File("five.txt"))}), "0.0.0.0|1");

  WriteFileBytes(File("a long file name.text"), "x");
  std::string shortName = Call("FILEGETSHORTNAME", {S(File("a long file name.text"))});
  EXPECT_EQ(shortName.find(' '), std::string::npos) << shortName;
  EXPECT_EQ(WithError("FILEGETLONGNAME", {S(shortName)}), File("a long file name.text") + "|0");
  EXPECT_EQ(WithError("FILEGETSHORTNAME", {S(File("gone.txt"))}), File("gone.txt") + "|1");
  EXPECT_EQ(WithError("FILEGETLONGNAME", {S("Q:\\gone\\x.txt")}), "Q:\\gone\\x.txt|1");
}

// A device is no file: its size is refused as a missing file's is (Z:\dev\zero is a device of
// the host under a name that is no device name: only its file type tells). A folder still has
// the size its search entry gives.
TEST_F(FileBuiltins, TheSizeOfADeviceIsRefused) {
  if (GetDriveTypeA("Z:\\") == DRIVE_NO_ROOT_DIR) GTEST_SKIP() << "no host drive";
  for (const char* device : {"Z:\\dev\\zero", "Z:\\dev\\zer?", "NUL", "\\\\.\\NUL"})
    EXPECT_EQ(WithError("FILEGETSIZE", {S(device)}), "0|1") << device;
  EXPECT_EQ(WithError("FILEGETSIZE", {S(temp.path())}), "0|0");
}

// ---- shortcuts and dialogs ---------------------------------------------------------------------

TEST_F(FileBuiltins, AShortcutRoundTrips) {
  WriteFileBytes(File("target.txt"), "x");
  EXPECT_EQ(Call("FILECREATESHORTCUT", {S(File("target.txt")), S(File("link")), S(temp.path()), S("-a b"),
                                        S("a description"), S(File("target.txt")), S("^+k"), N(2), N(3)}),
            "1");
  EXPECT_TRUE(FileExists(File("link.lnk")));
  // The link header's show state (offset 0x3C) and hot key (0x40: key, then HOTKEYF_* bits):
  // "^+k" becomes Ctrl + Alt + Shift + K.
  std::string bytes = ReadFileBytes(File("link.lnk"));
  ASSERT_GT(bytes.size(), 0x42u);
  EXPECT_EQ(bytes[0x3C], 3);
  EXPECT_EQ(bytes[0x40], 'K');
  EXPECT_EQ(bytes[0x41], HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_SHIFT);
  // Wine reads every link's show state back as 1: the stored value is checked above instead.
  std::string read = WithError("FILEGETSHORTCUT", {S(File("link"))});
  EXPECT_EQ(read.substr(0, read.rfind(',')),
            File("target.txt") + "," + temp.path() + ",-a b,a description," + File("target.txt") + ",2");
  EXPECT_EQ(read.substr(read.size() - 2), "|0");
  EXPECT_EQ(Call("FILECREATESHORTCUT", {S(File("target.txt")), S(File("plain.lnk"))}), "1");
  EXPECT_EQ(WithError("FILEGETSHORTCUT", {S(File("plain.lnk"))}), File("target.txt") + ",,,,,0,1|0");
  EXPECT_EQ(WithError("FILEGETSHORTCUT", {S(File("none"))}), "1|1");
  EXPECT_EQ(Call("FILECREATESHORTCUT", {S(File("target.txt")), S(File("no\\such\\link"))}), "0");
}

TEST_F(FileBuiltins, AFileFilterWithoutBracketsEndsTheRun) {
  for (const char* name : {"FILEOPENDIALOG", "FILESAVEDIALOG"}) {
    for (const char* filter : {"Text files *.txt", "Text files )*.txt(", ""}) {
      int fatal = 0;
      Call(name, {S("title"), S(temp.path()), S(filter)}, &fatal);
      EXPECT_EQ(fatal, 1) << filter;
      EXPECT_EQ(harness.LastError(), "Invalid file filter given.");
    }
  }
}

namespace {

// From another thread: waits for this process's dialog box, fills its file-name field (when a
// name is given) and presses OK, or presses Cancel.
class DialogAnswer {
public:
  explicit DialogAnswer(std::string fileName = "") : fileName_(std::move(fileName)) {
    thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
  }
  ~DialogAnswer() {
    WaitForSingleObject(thread_, 15000);
    CloseHandle(thread_);
  }
  DialogAnswer(const DialogAnswer&) = delete;
  DialogAnswer& operator=(const DialogAnswer&) = delete;

private:
  static BOOL CALLBACK FindBox(HWND window, LPARAM parameter) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (pid != GetCurrentProcessId() || !IsWindowVisible(window) || strcmp(cls, "#32770") != 0) return TRUE;
    *reinterpret_cast<HWND*>(parameter) = window;
    return FALSE;
  }
  static DWORD WINAPI Run(LPVOID parameter) {
    auto* self = static_cast<DialogAnswer*>(parameter);
    HWND box = nullptr;
    for (int i = 0; i < 1000 && !box; ++i) {
      Sleep(10);
      EnumWindows(FindBox, reinterpret_cast<LPARAM>(&box));
    }
    if (!box) return 0;
    Sleep(200);
    if (self->fileName_.empty()) {
      PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    } else {
      // The explorer-style box's file-name field (cmb13, or edt1 in older layouts).
      for (int id : {0x47c, 0x480}) SetDlgItemTextA(box, id, self->fileName_.c_str());
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    return 0;
  }
  std::string fileName_;
  HANDLE thread_ = nullptr;
};

}  // namespace

TEST_F(FileBuiltins, DialogsGiveThePathOrErrorOneWhenCancelled) {
  WriteFileBytes(File("pick.txt"), "x");
  {
    DialogAnswer answer;
    EXPECT_EQ(WithError("FILEOPENDIALOG", {S("Pick one"), S(temp.path()), S("Text (*.txt)")}), "|1");
  }
  {
    DialogAnswer answer(File("pick.txt"));
    EXPECT_EQ(WithError("FILEOPENDIALOG", {S("Pick one"), S(temp.path()), S("Text (*.txt)"), N(1)}),
              File("pick.txt") + "|0");
  }
  {
    DialogAnswer answer(File("saved.txt"));
    EXPECT_EQ(WithError("FILESAVEDIALOG", {S("Save as"), S(temp.path()), S("Text (*.txt)"), N(2), S("x.txt")}),
              File("saved.txt") + "|0");
  }
  {
    DialogAnswer answer;
    EXPECT_EQ(WithError("FILESELECTFOLDER", {S("Pick a folder"), S(""), N(0)}), "|1");
  }
}

// ---- drives ------------------------------------------------------------------------------------

TEST_F(FileBuiltins, DriveCIsAReadyFixedDrive) {
  EXPECT_EQ(WithError("DRIVEGETTYPE", {S("C:")}), "Fixed|0");
  EXPECT_EQ(WithError("DRIVEGETTYPE", {S("c:\\")}), "Fixed|0");
  EXPECT_EQ(WithError("DRIVESTATUS", {S("C:")}), "READY|0");
  std::string fixed = Call("DRIVEGETDRIVE", {S("FIXED")});
  EXPECT_NE(fixed.find(",c:"), std::string::npos) << fixed;
  std::string all = Call("DRIVEGETDRIVE", {S("all")});
  EXPECT_EQ(std::to_string(std::count(all.begin(), all.end(), ':')), all.substr(0, all.find(','))) << all;
  EXPECT_EQ(WithError("DRIVEGETDRIVE", {S("floppy")}), "1|1");

  double total = std::stod(Call("DRIVESPACETOTAL", {S("C:\\")}));
  double free = std::stod(Call("DRIVESPACEFREE", {S("C:")}));
  ULARGE_INTEGER available, size, unused;
  ASSERT_TRUE(GetDiskFreeSpaceExA("C:\\", &available, &size, &unused));
  EXPECT_NEAR(total, size.QuadPart / 1048576.0, 1.0);
  EXPECT_GT(free, 0.0);
  EXPECT_LE(free, total);

  DWORD serial = 0, longest, flags;
  char fileSystem[64];
  ASSERT_TRUE(GetVolumeInformationA("C:\\", nullptr, 0, &serial, &longest, &flags, fileSystem, sizeof fileSystem));
  EXPECT_EQ(WithError("DRIVEGETSERIAL", {S("C:")}), std::to_string(serial) + "|0");
  EXPECT_EQ(WithError("DRIVEGETFILESYSTEM", {S("C:")}), std::string(fileSystem) + "|0");
}

TEST_F(FileBuiltins, AMissingDriveFailsQuietly) {
  std::string letter;
  for (char c = 'y'; c > 'd' && letter.empty(); --c) {
    char root[4] = {c, ':', '\\', '\0'};
    if (GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR) letter = std::string(1, c) + ":";
  }
  ASSERT_FALSE(letter.empty());
  EXPECT_EQ(WithError("DRIVEGETTYPE", {S(letter)}), "1|1");
  EXPECT_EQ(WithError("DRIVESTATUS", {S(letter)}), "INVALID|1");
  for (const char* name : {"DRIVESPACETOTAL", "DRIVESPACEFREE", "DRIVEGETSERIAL", "DRIVEGETLABEL", "DRIVEGETFILESYSTEM"})
    EXPECT_EQ(WithError(name, {S(letter)}), "1|1") << name;
  EXPECT_EQ(Call("DRIVESETLABEL", {S(letter), S("NAME")}), "0");
  EXPECT_EQ(WithError("DRIVEMAPGET", {S(letter)}), "|1");
  EXPECT_TRUE(harness.boxes().empty());
}

TEST_F(FileBuiltins, TheCdTrayOnlyOpensOrClosesACdDrive) {
  // No drive of the test prefix is a CD drive: every call is refused before MCI is asked.
  for (const char* action : {"open", "Close", "closed", "eject"}) EXPECT_EQ(Call("CDTRAY", {S("C:"), S(action)}), "0");
  for (char c = 'd'; c <= 'z'; ++c) {
    char root[4] = {c, ':', '\\', '\0'};
    if (GetDriveTypeA(root) == DRIVE_CDROM) {
      EXPECT_EQ(Call("CDTRAY", {S(root), S("eject")}), "0");
    }
  }
}

TEST_F(FileBuiltins, MappingAShareThatIsNotThereFails) {
  // Wine has no network provider: every share is "anything else".
  EXPECT_EQ(WithError("DRIVEMAPADD", {S("Q:"), S("\\\\pindrel-no-host\\share")}), "0|1");
  EXPECT_EQ(WithError("DRIVEMAPADD", {S("*"), S("\\\\pindrel-no-host\\share"), N(0), S("user"), S("pw")}), "0|1");
  EXPECT_EQ(WithError("DRIVEMAPGET", {S("Q:")}), "|1");
  EXPECT_EQ(Call("DRIVEMAPDEL", {S("Q:")}), "0");
}
