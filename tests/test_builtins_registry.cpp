// Registry built-ins: round trips for every value type under a test key of HKCU, missing keys
// and values, enumeration, deletes and the refusal to delete a whole hive.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "script/sysutil/sysutil.h"
#include "tests/support/script_harness.h"

using namespace testing_support;

namespace {

const char kTestKey[] = "Software\\PindrelRegistryTest";
const std::string kScriptKey = std::string("HKCU\\") + kTestKey;

void DeleteTestKey() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kTestKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  DeleteRegistryTree(key);
  RegCloseKey(key);
  RegDeleteKeyA(HKEY_CURRENT_USER, kTestKey);
}

bool KeyExists(const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// The type and bytes of a value under the test key, as the system stores them.
bool RawValue(const char* name, DWORD& type, std::string& bytes) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kTestKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  LONG status = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
  bytes.assign(size, '\0');
  if (status == ERROR_SUCCESS && size)
    status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&bytes[0]), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

void SetRawValue(const char* name, DWORD type, const std::string& bytes) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), ERROR_SUCCESS);
  RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
  RegCloseKey(key);
}

class Registry : public ::testing::Test {
protected:
  void SetUp() override { DeleteTestKey(); }
  void TearDown() override {
    DeleteTestKey();
    EXPECT_TRUE(h.boxes().empty()) << h.LastBox();
  }

  // A registry call with the test key text in place of "KEY"; its result as text.
  std::string Call(const std::string& expression) {
    std::string text = expression;
    for (size_t at; (at = text.find("KEY")) != std::string::npos;) text.replace(at, 3, kScriptKey);
    return h.Eval(text);
  }
  std::string Error() { return h.Eval("@error"); }

  ScriptHarness h;
};

}  // namespace

TEST_F(Registry, EveryTypeRoundTrips) {
  struct Row {
    const char* name;
    const char* type;
    const char* data;       // a script expression
    const char* read;       // what REGREAD gives back
    DWORD storedType;
    std::string storedBytes;
  } rows[] = {
      {"sz", "REG_SZ", "'hello'", "hello", REG_SZ, std::string("hello\0", 6)},
      {"lower", "reg_sz", "'case'", "case", REG_SZ, std::string("case\0", 5)},
      {"empty", "REG_SZ", "''", "", REG_SZ, std::string("\0", 1)},
      {"expand", "REG_EXPAND_SZ", "'%PATH%\\x'", "%PATH%\\x", REG_EXPAND_SZ, std::string("%PATH%\\x\0", 9)},
      {"multi", "REG_MULTI_SZ", "'a' & @LF & 'bc'", "a\nbc", REG_MULTI_SZ, std::string("a\0bc\0\0", 6)},
      {"multiGap", "REG_MULTI_SZ", "'a' & @LF & @LF & 'b'", "a\n\nb", REG_MULTI_SZ, std::string("a\0\0b\0\0", 6)},
      {"multiEmpty", "REG_MULTI_SZ", "''", "", REG_MULTI_SZ, std::string()},
      {"dword", "REG_DWORD", "42", "42", REG_DWORD, std::string("\x2A\0\0\0", 4)},
      {"dwordText", "REG_DWORD", "'0x10'", "16", REG_DWORD, std::string("\x10\0\0\0", 4)},
      {"dwordMinus", "REG_DWORD", "-1", "4294967295", REG_DWORD, std::string("\xFF\xFF\xFF\xFF", 4)},
      {"dwordHigh", "REG_DWORD", "3000000000", "3000000000", REG_DWORD, std::string("\x00\x5E\xD0\xB2", 4)},
      {"dwordHuge", "REG_DWORD", "1e20", "2147483647", REG_DWORD, std::string("\xFF\xFF\xFF\x7F", 4)},
      {"binary", "REG_BINARY", "'0AFF'", "0AFF", REG_BINARY, std::string("\x0A\xFF", 2)},
      {"binaryLower", "REG_BINARY", "'00a1fF'", "00A1FF", REG_BINARY, std::string("\x00\xA1\xFF", 3)},
      {"binaryEmpty", "REG_BINARY", "''", "", REG_BINARY, std::string()},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(Call(std::string("RegWrite('KEY', '") + row.name + "', '" + row.type + "', " + row.data + ")"), "1");
    EXPECT_EQ(Call(std::string("RegRead('KEY', '") + row.name + "')"), row.read);
    EXPECT_EQ(Error(), "0");
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(RawValue(row.name, type, bytes));
    EXPECT_EQ(type, row.storedType);
    EXPECT_EQ(bytes, row.storedBytes);
  }
  // Root names in any case and long form reach the same key.
  EXPECT_EQ(h.Eval(std::string("RegRead('hkey_current_user\\") + kTestKey + "', 'sz')"), "hello");
  EXPECT_EQ(h.Eval(std::string("RegRead('hKcU\\") + kTestKey + "\\\\', 'sz')"), "hello");
}

TEST_F(Registry, BadDataAndArgumentCountsWriteNothing) {
  const char* refused[] = {
      "RegWrite('KEY', 'odd', 'REG_BINARY', 'ABC')",
      "RegWrite('KEY', 'odd', 'REG_BINARY', 'zz')",
      "RegWrite('KEY', 'odd', 'REG_BINARY', '0x')",
  };
  for (const char* call : refused) {
    EXPECT_EQ(Call(call), "0") << call;
    EXPECT_EQ(Call("RegRead('KEY', 'odd')"), "");
    EXPECT_EQ(Error(), "-1") << call;
  }
  EXPECT_TRUE(KeyExists(kTestKey));  // the key was created before the data was looked at
  DeleteTestKey();
  EXPECT_EQ(Call("RegWrite('KEY', 'v')"), "0");
  EXPECT_EQ(Call("RegWrite('KEY', 'v', 'REG_SZ')"), "0");
  EXPECT_FALSE(KeyExists(kTestKey));
  EXPECT_EQ(Call("RegWrite('KEY\\a\\b')"), "1");
  EXPECT_TRUE(KeyExists(std::string(kTestKey) + "\\a\\b"));
  // Binary data over 65535 bytes is refused whole rather than cut.
  ASSERT_TRUE(h.Run("$d = StringFormat('%40000s', '') & StringFormat('%25536s', '')\n"
                    "$d = StringReplace($d, ' ', '00')\n"
                    "$r = RegWrite('" + kScriptKey + "', 'big', 'REG_BINARY', $d)\n"
                    "$ok = RegWrite('" + kScriptKey + "', 'big', 'REG_BINARY', StringTrimLeft($d, 2))\n"
                    "$len = StringLen(RegRead('" + kScriptKey + "', 'big'))\n"))
      << h.LastBox();
  EXPECT_EQ(h.Global("r"), "0");
  EXPECT_EQ(h.Global("ok"), "1");
  EXPECT_EQ(h.Global("len"), "131070");
}

TEST_F(Registry, MissingKeysValuesAndOtherTypes) {
  EXPECT_EQ(Call("RegRead('KEY', 'none')"), "");
  EXPECT_EQ(Error(), "1");  // no such key
  EXPECT_EQ(Call("RegWrite('KEY')"), "1");
  EXPECT_EQ(Call("RegRead('KEY', 'none')"), "");
  EXPECT_EQ(Error(), "-1");  // no such value
  SetRawValue("qword", REG_QWORD, std::string(8, '\1'));
  EXPECT_EQ(Call("RegRead('KEY', 'qword')"), "");
  EXPECT_EQ(Error(), "-2");
  // Text stored without its terminator still ends where its data ends; data far beyond 64 KB
  // is read whole.
  SetRawValue("bare", REG_SZ, "abc");
  EXPECT_EQ(Call("RegRead('KEY', 'bare')"), "abc");
  SetRawValue("multiBare", REG_MULTI_SZ, std::string("x\0y", 3));
  EXPECT_EQ(Call("RegRead('KEY', 'multiBare')"), "x\ny");
  SetRawValue("large", REG_SZ, std::string(100000, 'q'));
  EXPECT_EQ(Call("StringLen(RegRead('KEY', 'large'))"), "100000");
  EXPECT_EQ(Error(), "0");
  SetRawValue("short", REG_DWORD, std::string("\x05", 1));
  EXPECT_EQ(Call("RegRead('KEY', 'short')"), "5");
  // The default value of a key has the empty name.
  EXPECT_EQ(Call("RegWrite('KEY', '', 'REG_SZ', 'default')"), "1");
  EXPECT_EQ(Call("RegRead('KEY', '')"), "default");
}

TEST_F(Registry, EnumeratesKeysAndValues) {
  for (const char* call : {"RegWrite('KEY\\k1')", "RegWrite('KEY\\k2\\deeper')",
                           "RegWrite('KEY', 'v1', 'REG_SZ', 'x')", "RegWrite('KEY', 'v2', 'REG_DWORD', 2)"})
    ASSERT_EQ(Call(call), "1") << call;
  std::set<std::string> keys = {Call("RegEnumKey('KEY', 1)"), Call("RegEnumKey('KEY', 2)")};
  EXPECT_EQ(keys, (std::set<std::string>{"k1", "k2"}));
  std::set<std::string> values = {Call("RegEnumVal('KEY', 1)"), Call("RegEnumVal('KEY', 2)")};
  EXPECT_EQ(values, (std::set<std::string>{"v1", "v2"}));
  for (const char* call : {"RegEnumKey('KEY', 3)", "RegEnumKey('KEY', 0)", "RegEnumKey('KEY', -1)",
                           "RegEnumVal('KEY', 3)", "RegEnumVal('KEY', 0)", "RegEnumKey('KEY\\k1', 1)"}) {
    EXPECT_EQ(Call(call), "") << call;
    EXPECT_EQ(Error(), "-1") << call;
  }
  for (const char* call : {"RegEnumKey('KEY\\none', 1)", "RegEnumVal('KEY\\none', 1)"}) {
    EXPECT_EQ(Call(call), "") << call;
    EXPECT_EQ(Error(), "1") << call;
  }
}

TEST_F(Registry, DeletesValuesAndTrees) {
  for (const char* call : {"RegWrite('KEY', 'v', 'REG_SZ', 'x')", "RegWrite('KEY\\a\\b\\c', 'w', 'REG_SZ', 'y')",
                           "RegWrite('KEY\\a\\d')", "RegWrite('KEY\\e')"})
    ASSERT_EQ(Call(call), "1") << call;
  EXPECT_EQ(Call("RegDelete('KEY', 'v')"), "1");
  EXPECT_EQ(Call("RegDelete('KEY', 'v')"), "0");
  EXPECT_EQ(Call("RegDelete('KEY\\none', 'v')"), "0");
  EXPECT_EQ(Call("RegDelete('KEY\\none')"), "0");
  EXPECT_EQ(Call("RegDelete('KEY\\a')"), "1");
  EXPECT_FALSE(KeyExists(std::string(kTestKey) + "\\a"));
  EXPECT_TRUE(KeyExists(std::string(kTestKey) + "\\e"));
  EXPECT_EQ(Call("RegDelete('KEY\\\\')"), "1");  // trailing backslashes name the same key
  EXPECT_FALSE(KeyExists(kTestKey));
}

TEST_F(Registry, BareRootsAreNeverDeleted) {
  ASSERT_EQ(Call("RegWrite('KEY', 'v', 'REG_SZ', 'x')"), "1");
  for (const char* root : {"HKCU", "HKCU\\", "hkey_current_user\\\\\\", "HKU", "HKLM\\"}) {
    EXPECT_EQ(h.Eval(std::string("RegDelete('") + root + "')"), "2") << root;
  }
  EXPECT_TRUE(KeyExists(kTestKey));
  EXPECT_TRUE(KeyExists("Software"));
  // A value right under a root may still be deleted by name.
  EXPECT_EQ(h.Eval("RegDelete('HKCU', 'PindrelNoSuchValue')"), "0");
}

TEST_F(Registry, TreeDeleteStopsAtAKeyItCannotTake) {
  ASSERT_EQ(Call("RegWrite('KEY\\a\\b')"), "1");
  HKEY key;
  // A handle that may not list its subkeys: the walk gives up at once instead of looping.
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kTestKey, 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
  EXPECT_FALSE(DeleteRegistryTree(key));
  RegCloseKey(key);
  EXPECT_TRUE(KeyExists(std::string(kTestKey) + "\\a\\b"));
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kTestKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  EXPECT_TRUE(DeleteRegistryTree(key));
  RegCloseKey(key);
  EXPECT_FALSE(KeyExists(std::string(kTestKey) + "\\a"));
  EXPECT_TRUE(KeyExists(kTestKey));
}

TEST_F(Registry, OtherComputers) {
  char name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = sizeof name;
  ASSERT_TRUE(GetComputerNameA(name, &size));
  // This computer by name: the same registry.
  std::string remote = std::string("\\\\") + name + "\\HKCU\\" + kTestKey;
  EXPECT_EQ(h.Eval("RegWrite('" + remote + "', 'v', 'REG_SZ', 'far')"), "1");
  EXPECT_EQ(Call("RegRead('KEY', 'v')"), "far");
  // A computer that cannot be reached: the connect failure of each built-in.
  std::string none = "\\\\pindrel-no-such-host\\HKCU\\Software";
  EXPECT_EQ(h.Eval("RegRead('" + none + "', 'v')"), "");
  EXPECT_EQ(Error(), "1");
  EXPECT_EQ(h.Eval("RegWrite('" + none + "')"), "0");
  EXPECT_EQ(h.Eval("RegDelete('" + none + "', 'v')"), "0");
  EXPECT_EQ(h.Eval("RegEnumKey('" + none + "', 1)"), "");
  EXPECT_EQ(Error(), "1");
}

TEST(RegistryPaths, SplitAndRoots) {
  struct Row {
    const char* text;
    const char* computer;
    const char* root;
    const char* subkey;
  } rows[] = {
      {"HKCU", "", "HKCU", ""},
      {"HKCU\\", "", "HKCU", ""},
      {"HKCU\\Software\\X\\\\", "", "HKCU", "Software\\X"},
      {"\\\\pc\\HKLM\\Soft", "pc", "HKLM", "Soft"},
      {"\\\\pc", "pc", "", ""},
      {"", "", "", ""},
      {"\\HKCU", "", "", "HKCU"},
  };
  for (const Row& row : rows) {
    CScriptString computer, root, subkey;
    CQuorvex_Script::SplitRegistryPath(row.text, computer, root, subkey);
    EXPECT_STREQ(computer, row.computer) << row.text;
    EXPECT_STREQ(root, row.root) << row.text;
    EXPECT_STREQ(subkey, row.subkey) << row.text;
  }
  const std::pair<const char*, HKEY> roots[] = {
      {"hkcu", HKEY_CURRENT_USER},     {"HKEY_CURRENT_USER", HKEY_CURRENT_USER}, {"Hklm", HKEY_LOCAL_MACHINE},
      {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE}, {"HKCR", HKEY_CLASSES_ROOT}, {"hkey_classes_root", HKEY_CLASSES_ROOT},
      {"HKCC", HKEY_CURRENT_CONFIG},   {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG}, {"HKU", HKEY_USERS},
      {"HKEY_USERS", HKEY_USERS},      {"HKX", nullptr}, {"", nullptr}, {"HKCU ", nullptr},
  };
  for (const auto& [name, key] : roots) EXPECT_EQ(CQuorvex_Script::RegistryRootFromName(name), key) << name;
}

TEST(RegistryErrors, UnknownRootsAndTypesEndTheRun) {
  const char* scripts[] = {
      "RegRead('HKXX\\Software', 'v')", "RegWrite('Software\\x')", "RegDelete('HKEY_NOWHERE\\a')",
      "RegEnumKey('HKCUX', 1)", "RegEnumVal('\\\\pc\\HKZZ\\a', 1)", "RegWrite('HKYY\\a', 'v')",
      "RegWrite('HKCU\\Software\\PindrelRegistryTest', 'v', 'REG_QWORD', 1)",
  };
  for (const char* script : scripts) {
    ScriptHarness h;
    EXPECT_FALSE(h.Run(std::string(script) + "\n$after = 1")) << script;
    EXPECT_EQ(h.LastError(), "Unable to read/write the requested registry key.") << script;
    EXPECT_EQ(h.Global("after"), "<undeclared>") << script;
  }
  // The unknown type came after the key was made: it stays.
  EXPECT_TRUE(KeyExists(kTestKey));
  DeleteTestKey();
}
