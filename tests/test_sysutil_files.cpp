// File, directory, file-time, version and registry utilities against real folders and keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "script/sysutil/sysutil.h"
#include "tests/support/test_support.h"

using namespace testing_support;

namespace {

// The names in a folder, sorted ("sub/" for a folder).
std::vector<std::string> Listing(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    names.push_back(name + ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? "/" : ""));
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

using Names = std::vector<std::string>;

}  // namespace

TEST(SysutilPaths, WildcardTargetNames) {
  struct Case {
    const char* source;
    const char* destination;
    const char* target;
  } cases[] = {
      {"report.txt", "C:\\out\\*.*", "C:\\out\\report.txt"},
      {"report.txt", "C:\\out\\new*", "C:\\out\\newreport.txt"},
      {"a.txt", "C:\\x\\*.bak", "C:\\x\\a.bak"},
      {"a.txt", "C:\\x\\*_old.*", "C:\\x\\a_old.txt"},
      {"a.txt", "C:\\x\\b.txt", "C:\\x\\b.txt"},
      {"noext", "C:\\x\\*.*", "C:\\x\\noext"},
      {"noext", "C:\\x\\*.log", "C:\\x\\noext.log"},
      {"a.txt", "C:\\x\\pre*mid*.*", "C:\\x\\preamid.txt"},
  };
  for (const Case& c : cases) {
    char target[MAX_PATH];
    WildcardTargetName(c.source, c.destination, target);
    EXPECT_STREQ(target, c.target) << c.source << " -> " << c.destination;
  }
  char out[MAX_PATH];
  ReplaceWildcard("abc", "x*y*z", out);
  EXPECT_STREQ(out, "xabcyz");
  ReplaceWildcard("abc", "plain", out);
  EXPECT_STREQ(out, "plain");
}

TEST(SysutilPaths, FullPathsKeepADrivesRoot) {
  struct Full {
    const char* name;
    const char* full;
  } full[] = {{"C:\\x\\", "C:\\x"}, {"C:\\x\\y\\..\\z", "C:\\x\\z"}, {"C:\\", "C:\\"}, {"C:\\x", "C:\\x"}};
  for (const Full& f : full) {
    char buffer[MAX_PATH];
    EXPECT_TRUE(GetFullPathNoSlash(f.name, buffer));
    EXPECT_STREQ(buffer, f.full);
  }
  char text[] = "a\\\\";
  StripTrailingBackslash(text);
  EXPECT_STREQ(text, "a\\");
}

TEST(SysutilFiles, ExistsAndIsDirectory) {
  TempFolder folder;
  WriteFileBytes(folder.File("a.txt"), "a");
  CreateDirectoryA(folder.File("sub").c_str(), nullptr);
  struct Case {
    std::string path;
    bool exists, directory;
  } cases[] = {
      {folder.File("a.txt"), true, false}, {folder.File("*.txt"), true, false}, {folder.File("?.txt"), true, false},
      {folder.File("*.doc"), false, false}, {folder.File("sub"), true, true},   {folder.File("b.txt"), false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FileExistsPattern(c.path.c_str()), c.exists) << c.path;
    EXPECT_EQ(IsDirectory(c.path.c_str()), c.directory) << c.path;
  }
}

TEST(SysutilFiles, CopyPatternToWildcardNames) {
  TempFolder folder;
  std::string src = folder.File("src"), x = folder.File("x");
  CreateDirectoryA(src.c_str(), nullptr);
  CreateDirectoryA(x.c_str(), nullptr);
  WriteFileBytes(src + "\\a.txt", "alpha");
  WriteFileBytes(src + "\\b.txt", "beta");
  CreateDirectoryA((src + "\\sub.txt").c_str(), nullptr);  // folders are never copied as files

  EXPECT_TRUE(FileCopyMovePattern(src.c_str(), (x + "\\*.bak").c_str(), false, false));
  EXPECT_EQ(Listing(x), (Names{"a.bak", "b.bak"}));
  EXPECT_EQ(ReadFileBytes(x + "\\b.bak"), "beta");
  EXPECT_EQ(Listing(src), (Names{"a.txt", "b.txt", "sub.txt/"}));

  // An existing target without the overwrite flag stops the copy and stays as it was.
  WriteFileBytes(src + "\\a.txt", "alpha 2");
  EXPECT_FALSE(FileCopyMovePattern((src + "\\a.txt").c_str(), (x + "\\*.bak").c_str(), false, false));
  EXPECT_EQ(ReadFileBytes(x + "\\a.bak"), "alpha");
  EXPECT_TRUE(FileCopyMovePattern((src + "\\a.txt").c_str(), (x + "\\*.bak").c_str(), true, false));
  EXPECT_EQ(ReadFileBytes(x + "\\a.bak"), "alpha 2");

  // Into a folder, and nothing to copy.
  EXPECT_TRUE(FileCopyMovePattern((src + "\\*.txt").c_str(), x.c_str(), false, false));
  EXPECT_EQ(Listing(x), (Names{"a.bak", "a.txt", "b.bak", "b.txt"}));
  EXPECT_FALSE(FileCopyMovePattern((src + "\\*.doc").c_str(), x.c_str(), true, false));
}

TEST(SysutilFiles, MovePattern) {
  TempFolder folder;
  std::string src = folder.File("src"), dst = folder.File("dst");
  CreateDirectoryA(src.c_str(), nullptr);
  CreateDirectoryA(dst.c_str(), nullptr);
  WriteFileBytes(src + "\\a.log", "1");
  WriteFileBytes(src + "\\b.log", "2");
  WriteFileBytes(src + "\\keep.txt", "3");
  WriteFileBytes(dst + "\\b.log", "old");

  EXPECT_FALSE(FileCopyMovePattern((src + "\\b.log").c_str(), dst.c_str(), false, true));
  EXPECT_TRUE(FileCopyMovePattern((src + "\\*.log").c_str(), dst.c_str(), true, true));
  EXPECT_EQ(Listing(src), (Names{"keep.txt"}));
  EXPECT_EQ(Listing(dst), (Names{"a.log", "b.log"}));
  EXPECT_EQ(ReadFileBytes(dst + "\\b.log"), "2");
}

TEST(SysutilFiles, CopyOrMoveOntoItselfKeepsTheFile) {
  TempFolder folder;
  std::string file = folder.File("Self.txt");
  WriteFileBytes(file, "precious");
  char shortName[MAX_PATH] = "";
  GetShortPathNameA(file.c_str(), shortName, MAX_PATH);
  std::string spellings[] = {file, folder.File("self.TXT"), folder.path() + "\\.\\Self.txt", folder.File("*.txt"),
                             shortName};
  for (const std::string& target : spellings) {
    for (bool move : {false, true}) {
      EXPECT_TRUE(FileCopyMovePattern(file.c_str(), target.c_str(), true, move)) << target << " move " << move;
      EXPECT_EQ(ReadFileBytes(file), "precious") << target << " move " << move;
      EXPECT_FALSE(FileCopyMovePattern(file.c_str(), target.c_str(), false, move)) << target;
      EXPECT_EQ(ReadFileBytes(file), "precious") << target;
    }
  }
  EXPECT_TRUE(FileCopyMovePattern(folder.path().c_str(), folder.path().c_str(), true, false));
  EXPECT_EQ(Listing(folder.path()), (Names{"Self.txt"}));
}

TEST(SysutilFiles, DeletePattern) {
  TempFolder folder;
  for (const char* name : {"a.tmp", "b.tmp", "c.txt"}) WriteFileBytes(folder.File(name), "x");
  CreateDirectoryA(folder.File("d.tmp").c_str(), nullptr);

  EXPECT_TRUE(FileDeletePattern(folder.File("*.tmp").c_str()));
  EXPECT_EQ(Listing(folder.path()), (Names{"c.txt", "d.tmp/"}));
  EXPECT_FALSE(FileDeletePattern(folder.File("*.tmp").c_str()));  // nothing left to match
  WriteFileBytes(folder.File("d.tmp\\inner.txt"), "x");
  EXPECT_TRUE(FileDeletePattern(folder.File("d.tmp").c_str()));  // a folder: every file in it
  EXPECT_EQ(Listing(folder.File("d.tmp")), Names{});
  EXPECT_EQ(Listing(folder.path()), (Names{"c.txt", "d.tmp/"}));
}

TEST(SysutilDirs, CreateDirectoryPathMakesEveryMissingLevel) {
  TempFolder folder;
  std::string deep = folder.File("one\\two\\three");
  EXPECT_TRUE(CreateDirectoryPath(deep.c_str()));
  EXPECT_TRUE(IsDirectory(deep.c_str()));
  EXPECT_TRUE(CreateDirectoryPath((deep + "\\").c_str()));  // exists already
  WriteFileBytes(folder.File("file"), "x");
  EXPECT_FALSE(CreateDirectoryPath(folder.File("file").c_str()));
  EXPECT_FALSE(CreateDirectoryPath(folder.File("file\\below").c_str()));
}

TEST(SysutilDirs, CopyMoveRemoveTrees) {
  TempFolder folder;
  std::string src = folder.File("src"), copy = folder.File("copy"), moved = folder.File("moved");
  CreateDirectoryPath((src + "\\inner").c_str());
  WriteFileBytes(src + "\\a.txt", "a");
  WriteFileBytes(src + "\\inner\\b.txt", "b");

  EXPECT_TRUE(DirCopyHelper(src.c_str(), copy.c_str(), false));
  EXPECT_EQ(Listing(copy), (Names{"a.txt", "inner/"}));
  EXPECT_EQ(ReadFileBytes(copy + "\\inner\\b.txt"), "b");
  EXPECT_EQ(Listing(src), (Names{"a.txt", "inner/"}));
  EXPECT_FALSE(DirCopyHelper(src.c_str(), copy.c_str(), false));  // exists
  WriteFileBytes(src + "\\a.txt", "a2");
  EXPECT_TRUE(DirCopyHelper(src.c_str(), copy.c_str(), true));
  EXPECT_EQ(ReadFileBytes(copy + "\\a.txt"), "a2");
  EXPECT_FALSE(DirCopyHelper(folder.File("missing").c_str(), copy.c_str(), true));

  EXPECT_TRUE(DirMoveHelper(copy.c_str(), moved.c_str(), false));
  EXPECT_FALSE(IsDirectory(copy.c_str()));
  EXPECT_EQ(Listing(moved), (Names{"a.txt", "inner/"}));
  EXPECT_FALSE(DirMoveHelper(src.c_str(), moved.c_str(), false));
  EXPECT_TRUE(DirMoveHelper(src.c_str(), moved.c_str(), true));  // goes inside the existing folder
  EXPECT_EQ(Listing(moved), (Names{"a.txt", "inner/", "src/"}));

  EXPECT_FALSE(DirRemoveHelper(moved.c_str(), false));  // not empty
  EXPECT_TRUE(DirRemoveHelper(moved.c_str(), true));
  EXPECT_FALSE(IsDirectory(moved.c_str()));
  CreateDirectoryA(copy.c_str(), nullptr);
  EXPECT_TRUE(DirRemoveHelper(copy.c_str(), false));
  EXPECT_FALSE(DirRemoveHelper(copy.c_str(), false));
  EXPECT_EQ(Listing(folder.path()), Names{});
}

TEST(SysutilFiles, SetFileTimeSetsTheChosenTime) {
  TempFolder folder;
  std::string file = folder.File("t.txt");
  WriteFileBytes(file, "x");
  CreateDirectoryA(folder.File("dir").c_str(), nullptr);
  SYSTEMTIME st = {2020, 2, 0, 29, 12, 34, 56, 0};
  FILETIME when;
  SystemTimeToFileTime(&st, &when);
  for (const std::string& path : {file, folder.File("dir")}) {
    for (int which : {0, 1, 2}) {
      ASSERT_TRUE(SetFileTimeEx(path.c_str(), when, which)) << path << " " << which;
      HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr);
      FILETIME times[3];  // created, accessed, written
      GetFileTime(h, &times[0], &times[1], &times[2]);
      CloseHandle(h);
      int index = which == 0 ? 2 : which == 1 ? 0 : 1;
      EXPECT_EQ(CompareFileTime(&times[index], &when), 0) << path << " " << which;
    }
  }
  EXPECT_FALSE(SetFileTimeEx(folder.File("missing").c_str(), when, 0));
}

TEST(SysutilFiles, VersionText) {
  char buffer[32];
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  EXPECT_TRUE(GetFileVersionText(self, buffer));  // this program's own resource
  EXPECT_STREQ(buffer, "5.0.65535.7");
  TempFolder folder;
  WriteFileBytes(folder.File("plain.txt"), "no resource");
  EXPECT_FALSE(GetFileVersionText(folder.File("plain.txt").c_str(), buffer));
  EXPECT_FALSE(GetFileVersionText(folder.File("missing.dll").c_str(), buffer));
}

TEST(SysutilFiles, LongPathFromShortPath) {
  TempFolder folder;
  std::string longName = folder.File("A Long Folder Name\\another long file.text");
  CreateDirectoryA(folder.File("A Long Folder Name").c_str(), nullptr);
  WriteFileBytes(longName, "x");
  char shortName[MAX_PATH] = "";
  ASSERT_NE(GetShortPathNameA(longName.c_str(), shortName, MAX_PATH), 0u);
  char buffer[MAX_PATH];
  EXPECT_TRUE(GetLongPathViaShell(shortName, buffer));
  EXPECT_EQ(lstrcmpiA(buffer, longName.c_str()), 0) << buffer << " for " << shortName;
  std::string missing = folder.File("nowhere\\nothing.txt");
  EXPECT_FALSE(GetLongPathViaShell(missing.c_str(), buffer));
  EXPECT_STREQ(buffer, missing.c_str());
}

namespace {

// A key of its own under HKEY_CURRENT_USER, removed afterwards.
class TestKey {
public:
  TestKey() {
    path_ = "Software\\PindrelTests\\sysutil_" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(GetTickCount());
    RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
  }
  ~TestKey() {
    RegCloseKey(key_);
    RegDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\PindrelTests");  // only when no other test uses it
  }
  void Set(const char* name, DWORD type, const std::string& data) {
    RegSetValueExA(key_, name, 0, type, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
  }
  const char* path() const { return path_.c_str(); }

private:
  std::string path_;
  HKEY key_ = nullptr;
};

}  // namespace

TEST(SysutilRegistry, ReadStringIsAlwaysTerminated) {
  TestKey key;
  key.Set("text", REG_SZ, std::string("hello", 6));
  key.Set("fits", REG_BINARY, "abcd");  // no terminator stored, exactly fills a 5-byte buffer
  key.Set("long", REG_BINARY, "abcdef");
  key.Set("unterminated", REG_SZ, "xyz");
  key.Set("empty", REG_SZ, std::string());
  key.Set("", REG_SZ, std::string("default", 8));
  struct Case {
    const char* value;
    DWORD size;
    bool ok;
    const char* text;
  } cases[] = {
      {"text", 260, true, "hello"},  {"fits", 5, true, "abcd"},   {"long", 5, false, ""},
      {"long", 260, true, "abcdef"}, {"unterminated", 4, true, "xyz"}, {"empty", 260, true, ""},
      {"", 260, true, "default"},    {"missing", 260, false, ""},
  };
  for (const Case& c : cases) {
    std::vector<char> buffer(c.size + 8, '#');
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, key.path(), c.value, c.size, buffer.data()), c.ok) << c.value;
    EXPECT_STREQ(buffer.data(), c.text) << c.value;
    EXPECT_EQ(buffer[c.size], '#') << c.value << ": wrote past the buffer";
  }
  char buffer[16] = "stale";
  EXPECT_FALSE(RegReadString(HKEY_CURRENT_USER, "Software\\PindrelTests\\NoSuchKey", "text", 16, buffer));
  EXPECT_STREQ(buffer, "");
}
