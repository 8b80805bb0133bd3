// The shortcut built-ins of the file family: making and reading .lnk files.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include "script/builtins/comutil.h"
#include "script/interpreter.h"
#include "script/sysutil/sysutil.h"

namespace {

std::string LinkName(const char* name) {
  std::string link = name;
  if (link.size() < 4 || lstrcmpiA(link.c_str() + link.size() - 4, ".lnk") != 0) link += ".lnk";
  return link;
}

}  // namespace

int CQuorvex_Script::F_FileCreateShortcut(CValueList& args, CScriptValue& result) {
  CComScope com;
  CComRef<IShellLinkA> link;
  CComRef<IPersistFile> file;
  result.SetInt(0);
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.Out())))
    return 0;
  int count = args.GetCount();
  const char* iconFile = args.GetAt(5).GetString();
  link->SetPath(args.GetAt(0).GetString());
  if (count > 2) link->SetWorkingDirectory(args.GetAt(2).GetString());
  if (count > 3) link->SetArguments(args.GetAt(3).GetString());
  if (count > 4) link->SetDescription(args.GetAt(4).GetString());
  if (count > 5) link->SetIconLocation(iconFile, 0);
  int vk = 0;
  bool shift = false, ctrl = false, alt = false, win = false;
  if (count > 6 && args.GetAt(6).GetString()[0] && CSendKeys::ParseHotkey(args.GetAt(6).GetString(), vk, shift, ctrl, alt, win)) {
    // A shortcut key is always Ctrl + Alt, with Shift when the text asks for it.
    BYTE modifiers = HOTKEYF_CONTROL | HOTKEYF_ALT | (shift ? HOTKEYF_SHIFT : 0);
    link->SetHotkey(MAKEWORD(vk, modifiers));
  }
  if (count > 7) link->SetIconLocation(iconFile, args.GetAt(7).GetInt());
  if (count > 8) link->SetShowCmd(args.GetAt(8).GetInt());
  std::string name = LinkName(args.GetAt(1).GetString());
  std::wstring path = Wide(name);
  if (path.empty() || !IsDiskFileOrAbsent(name.c_str()) || FAILED(link->QueryInterface(IID_IPersistFile, file.Out()))) return 0;
  result.SetInt(SUCCEEDED(file->Save(path.c_str(), TRUE)));
  return 0;
}

int CQuorvex_Script::F_FileGetShortcut(CValueList& args, CScriptValue& result) {
  SetError(1);
  std::string name = LinkName(args.GetAt(0).GetString());
  if (GetFileAttributesA(name.c_str()) == INVALID_FILE_ATTRIBUTES || !IsDiskFileOrAbsent(name.c_str())) return 0;
  CComScope com;
  CComRef<IShellLinkA> link;
  CComRef<IPersistFile> file;
  std::wstring path = Wide(name);
  if (path.empty() ||
      FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.Out())) ||
      FAILED(link->QueryInterface(IID_IPersistFile, file.Out())) || FAILED(file->Load(path.c_str(), STGM_READ)))
    return 0;
  char target[MAX_PATH] = "", directory[MAX_PATH] = "", arguments[MAX_PATH] = "", description[MAX_PATH] = "",
       icon[MAX_PATH] = "";
  int iconIndex = 0, show = 0;
  link->GetPath(target, MAX_PATH, nullptr, 0);
  link->GetWorkingDirectory(directory, MAX_PATH);
  link->GetArguments(arguments, MAX_PATH);
  link->GetDescription(description, MAX_PATH);
  link->GetIconLocation(icon, MAX_PATH, &iconIndex);
  link->GetShowCmd(&show);
  if (!CreateArray1D(result, 7)) return 0;
  const char* texts[] = {target, directory, arguments, description, icon};
  for (int i = 0; i < 5; ++i) GetArrayElement1D(result, i)->SetString(texts[i]);
  GetArrayElement1D(result, 5)->SetInt(iconIndex);
  GetArrayElement1D(result, 6)->SetInt(show);
  SetError(0);
  return 0;
}
