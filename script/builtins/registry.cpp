// The registry built-ins: read, write, delete and enumerate keys and values, on this computer
// or on another one named in the key text.
#include <cstring>
#include <new>
#include <vector>

#include "script/interpreter.h"
#include "script/sysutil/sysutil.h"

namespace {

const char kRegistryError[] = "Unable to read/write the requested registry key.";

enum ConnectResult { kConnected, kUnknownRoot, kNotConnected };

// The root of a key text, connected on the named computer when there is one; a remote root is
// closed with this object.
class CRegistryRoot {
public:
  CRegistryRoot() = default;
  CRegistryRoot(const CRegistryRoot&) = delete;
  CRegistryRoot& operator=(const CRegistryRoot&) = delete;
  ~CRegistryRoot() {
    if (remote_) RegCloseKey(remote_);
  }

  ConnectResult Connect(const char* keyText) {
    CScriptString computer, rootName;
    CQuorvex_Script::SplitRegistryPath(keyText, computer, rootName, subkey_);
    HKEY root = CQuorvex_Script::RegistryRootFromName(rootName);
    if (!root) return kUnknownRoot;
    if (computer.IsEmpty()) {
      root_ = root;
      return kConnected;
    }
    CScriptString machine("\\\\");
    machine.Append(computer);
    if (RegConnectRegistryA(machine, root, &remote_) != ERROR_SUCCESS) {
      remote_ = nullptr;
      return kNotConnected;
    }
    root_ = remote_;
    return kConnected;
  }

  bool Open(REGSAM access, HKEY& key) const { return RegOpenKeyExA(root_, subkey_, 0, access, &key) == ERROR_SUCCESS; }
  HKEY Root() const { return root_; }
  const CScriptString& Subkey() const { return subkey_; }

private:
  HKEY root_ = nullptr;
  HKEY remote_ = nullptr;
  CScriptString subkey_;
};

// Closes an opened key when it goes out of scope.
class CKeyCloser {
public:
  explicit CKeyCloser(HKEY key) : key_(key) {}
  CKeyCloser(const CKeyCloser&) = delete;
  CKeyCloser& operator=(const CKeyCloser&) = delete;
  ~CKeyCloser() { RegCloseKey(key_); }

private:
  HKEY key_;
};

// Reads a value whole, with two spare zero bytes after the data so any text in it ends: 0, -1
// when its type cannot be queried (no such value), -2 when the data cannot be read. The size is
// asked again when the value grew between the calls.
int ReadWholeValue(HKEY key, const char* name, DWORD& type, std::vector<BYTE>& data, DWORD& size) {
  size = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return -1;
  for (int tries = 0; tries < 8; ++tries) {
    try {
      data.assign(static_cast<size_t>(size) + 2, 0);
    } catch (const std::bad_alloc&) {
      return -2;
    }
    DWORD got = size;
    LONG status = RegQueryValueExA(key, name, nullptr, &type, data.data(), &got);
    if (status == ERROR_SUCCESS) {
      size = got;
      return 0;
    }
    if (status != ERROR_MORE_DATA || RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
      return -2;
  }
  return -2;
}

// The text of a value's data as REGREAD gives it; false for a type it does not read.
bool ValueText(DWORD type, const std::vector<BYTE>& data, DWORD size, CScriptValue& result) {
  const char* bytes = reinterpret_cast<const char*>(data.data());
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
      result.SetString(bytes);  // up to the first terminator; the spare bytes end it
      return true;
    case REG_MULTI_SZ: {
      // The strings joined by line feeds, without the terminators that close the list.
      int length = static_cast<int>(size);
      while (length > 0 && bytes[length - 1] == '\0') --length;
      CScriptString text;
      char* out = text.GetBuffer(length);
      for (int i = 0; i < length; ++i) out[i] = bytes[i] ? bytes[i] : '\n';
      text.SetLength(length);
      result.SetString(text);
      return true;
    }
    case REG_DWORD: {
      DWORD number = 0;
      memcpy(&number, bytes, size < sizeof number ? size : sizeof number);
      result.SetNumber(number);
      return true;
    }
    case REG_BINARY: {
      CScriptString text;
      char* out = text.GetBuffer(static_cast<int>(size) * 2);
      for (DWORD i = 0; i < size; ++i) IntToHex(data[i], out + 2 * i, 2);
      text.SetLength(static_cast<int>(size) * 2);
      result.SetString(text);
      return true;
    }
    default:
      return false;
  }
}

// The bytes REGWRITE stores for a type name and a data value; false when the data does not
// suit the type. `known` is false for a type name it does not write.
bool ValueBytes(const char* typeName, const CScriptValue& value, DWORD& type, std::vector<BYTE>& bytes, bool& known) {
  known = true;
  const char* text = value.GetString();
  size_t length = strlen(text);
  if (_stricmp(typeName, "REG_SZ") == 0 || _stricmp(typeName, "REG_EXPAND_SZ") == 0) {
    type = _stricmp(typeName, "REG_SZ") == 0 ? REG_SZ : REG_EXPAND_SZ;
    bytes.assign(text, text + length + 1);
    return true;
  }
  if (_stricmp(typeName, "REG_MULTI_SZ") == 0) {
    type = REG_MULTI_SZ;
    bytes.clear();
    if (length == 0) return true;
    bytes.assign(text, text + length);
    for (BYTE& b : bytes)
      if (b == '\n') b = 0;
    bytes.push_back(0);
    bytes.push_back(0);
    return true;
  }
  if (_stricmp(typeName, "REG_DWORD") == 0) {
    type = REG_DWORD;
    // Values from 2^31 to 2^32 - 1, as REGREAD gives them back, keep their bits.
    double number = value.GetNumber();
    DWORD dword = number >= 2147483648.0 && number <= 4294967295.0 ? static_cast<DWORD>(number)
                                                                    : static_cast<DWORD>(value.GetInt());
    bytes.resize(sizeof dword);
    memcpy(bytes.data(), &dword, sizeof dword);
    return true;
  }
  if (_stricmp(typeName, "REG_BINARY") == 0) {
    type = REG_BINARY;
    if (length % 2 != 0 || length / 2 > 65535) return false;
    bytes.resize(length / 2);
    for (size_t i = 0; i < length; i += 2) {
      char pair[3] = {text[i], text[i + 1], '\0'};
      int byte;
      if (!HexToInt(pair, byte)) return false;
      bytes[i / 2] = static_cast<BYTE>(byte);
    }
    return true;
  }
  known = false;
  return false;
}

}  // namespace

// ---- key texts -----------------------------------------------------------------------------

void CQuorvex_Script::SplitRegistryPath(const char* keyText, CScriptString& computer, CScriptString& root,
                                        CScriptString& subkey) {
  const char* p = keyText ? keyText : "";
  computer.AssignText("");
  if (p[0] == '\\' && p[1] == '\\') {
    const char* end = strchr(p + 2, '\\');
    if (!end) end = p + strlen(p);
    computer.AssignText(p + 2, static_cast<int>(end - (p + 2)));
    p = *end ? end + 1 : end;
  }
  const char* end = strchr(p, '\\');
  if (!end) {
    root.AssignText(p);
    subkey.AssignText("");
    return;
  }
  root.AssignText(p, static_cast<int>(end - p));
  subkey.AssignText(end + 1);
  subkey.TrimRight("\\");
}

HKEY CQuorvex_Script::RegistryRootFromName(const char* name) {
  static const struct {
    const char* longName;
    const char* shortName;
    HKEY key;
  } kRoots[] = {
      {"HKEY_LOCAL_MACHINE", "HKLM", HKEY_LOCAL_MACHINE}, {"HKEY_CLASSES_ROOT", "HKCR", HKEY_CLASSES_ROOT},
      {"HKEY_CURRENT_CONFIG", "HKCC", HKEY_CURRENT_CONFIG}, {"HKEY_CURRENT_USER", "HKCU", HKEY_CURRENT_USER},
      {"HKEY_USERS", "HKU", HKEY_USERS},
  };
  CScriptString upper(name ? name : "");
  upper.MakeUpper();
  for (const auto& root : kRoots)
    if (upper.Equals(root.longName) || upper.Equals(root.shortName)) return root.key;
  return nullptr;
}

// ---- built-ins -----------------------------------------------------------------------------

int CQuorvex_Script::F_RegRead(CValueList& args, CScriptValue& result) {
  result.SetString("");
  CRegistryRoot root;
  ConnectResult connected = root.Connect(args.GetAt(0).GetString());
  if (connected == kUnknownRoot) return FatalError(kRegistryError);
  HKEY key;
  if (connected != kConnected || !root.Open(KEY_READ, key)) {
    SetError(1);
    return 0;
  }
  CKeyCloser closer(key);
  DWORD type = 0, size = 0;
  std::vector<BYTE> data;
  int failure = ReadWholeValue(key, args.GetAt(1).GetString(), type, data, size);
  if (failure == 0 && !ValueText(type, data, size, result)) failure = -2;
  if (failure) SetError(failure);
  return 0;
}

int CQuorvex_Script::F_RegWrite(CValueList& args, CScriptValue& result) {
  CRegistryRoot root;
  ConnectResult connected = root.Connect(args.GetAt(0).GetString());
  if (connected == kUnknownRoot) return FatalError(kRegistryError);
  if (args.GetCount() == 2 || args.GetCount() == 3) {
    result.SetInt(0);
    return 0;
  }
  HKEY key;
  if (connected != kConnected ||
      RegCreateKeyExA(root.Root(), root.Subkey(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    result.SetInt(0);
    return 0;
  }
  CKeyCloser closer(key);
  if (args.GetCount() == 1) return 0;
  DWORD type = REG_NONE;
  std::vector<BYTE> bytes;
  bool known;
  if (!ValueBytes(args.GetAt(2).GetString(), args.GetAt(3), type, bytes, known)) {
    if (!known) return FatalError(kRegistryError);  // the key stays created
    result.SetInt(0);
    return 0;
  }
  if (RegSetValueExA(key, args.GetAt(1).GetString(), 0, type, bytes.data(), static_cast<DWORD>(bytes.size())) !=
      ERROR_SUCCESS)
    result.SetInt(0);
  return 0;
}

int CQuorvex_Script::F_RegDelete(CValueList& args, CScriptValue& result) {
  CRegistryRoot root;
  ConnectResult connected = root.Connect(args.GetAt(0).GetString());
  if (connected == kUnknownRoot) return FatalError(kRegistryError);
  // A bare root names a whole hive: deleting every key in it is never what a script means.
  if (args.GetCount() == 1 && root.Subkey().IsEmpty()) {
    result.SetInt(2);
    return 0;
  }
  HKEY key;
  if (connected != kConnected || !root.Open(KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE, key)) {
    result.SetInt(0);
    return 0;
  }
  if (args.GetCount() > 1) {
    LONG status = RegDeleteValueA(key, args.GetAt(1).GetString());
    RegCloseKey(key);
    result.SetInt(status == ERROR_SUCCESS ? 1 : status == ERROR_FILE_NOT_FOUND ? 0 : 2);
    return 0;
  }
  bool deleted = DeleteRegistryTree(key);
  RegCloseKey(key);
  deleted = deleted && RegDeleteKeyA(root.Root(), root.Subkey()) == ERROR_SUCCESS;
  result.SetInt(deleted ? 1 : 2);
  return 0;
}

namespace {

// The name of entry n (from 1) of a key, subkeys or values; @error 1 when the key cannot be
// opened, -1 when there is no such entry.
template <class Enumerate>
int EnumerateEntry(CQuorvex_Script& script, CValueList& args, CScriptValue& result, DWORD nameSize,
                   Enumerate enumerate) {
  result.SetString("");
  CRegistryRoot root;
  ConnectResult connected = root.Connect(args.GetAt(0).GetString());
  if (connected == kUnknownRoot) return script.FatalError(kRegistryError);
  HKEY key;
  if (connected != kConnected || !root.Open(KEY_READ, key)) {
    script.SetError(1);
    return 0;
  }
  int n = args.GetAt(1).GetInt();
  std::vector<char> name(nameSize + 1, '\0');
  DWORD length = nameSize + 1;
  LONG status = n >= 1 ? enumerate(key, static_cast<DWORD>(n - 1), name.data(), &length) : ERROR_NO_MORE_ITEMS;
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) {
    script.SetError(-1);
    return 0;
  }
  name[nameSize] = '\0';
  result.SetString(name.data());
  return 0;
}

}  // namespace

int CQuorvex_Script::F_RegEnumKey(CValueList& args, CScriptValue& result) {
  return EnumerateEntry(*this, args, result, 255, [](HKEY key, DWORD i, char* name, DWORD* length) {
    return RegEnumKeyExA(key, i, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

int CQuorvex_Script::F_RegEnumVal(CValueList& args, CScriptValue& result) {
  return EnumerateEntry(*this, args, result, 16383, [](HKEY key, DWORD i, char* name, DWORD* length) {
    return RegEnumValueA(key, i, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}
