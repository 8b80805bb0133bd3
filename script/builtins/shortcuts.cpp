// The shell built-ins of the file family: shortcuts (.lnk files) and the folder, open and save
// dialogs.
#include <windows.h>

#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "script/interpreter.h"
#include "script/sysutil.h"

namespace {

// COM for the length of one call; uninitialised only when this call initialised it.
class CComScope {
public:
  CComScope() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~CComScope() {
    if (initialised_) CoUninitialize();
  }
  CComScope(const CComScope&) = delete;
  CComScope& operator=(const CComScope&) = delete;

private:
  bool initialised_;
};

// Releases a COM interface when it goes out of scope.
template <typename T>
class CComRef {
public:
  CComRef() = default;
  ~CComRef() {
    if (p) p->Release();
  }
  CComRef(const CComRef&) = delete;
  CComRef& operator=(const CComRef&) = delete;
  T* operator->() const { return p; }
  void** Out() { return reinterpret_cast<void**>(&p); }
  T* p = nullptr;
};

std::string LinkName(const char* name) {
  std::string link = name;
  if (link.size() < 4 || lstrcmpiA(link.c_str() + link.size() - 4, ".lnk") != 0) link += ".lnk";
  return link;
}

std::wstring Wide(const std::string& text) {
  wchar_t wide[MAX_PATH];
  if (!MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, MAX_PATH)) return std::wstring();
  return wide;
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
  std::wstring path = Wide(LinkName(args.GetAt(1).GetString()));
  if (path.empty() || FAILED(link->QueryInterface(IID_IPersistFile, file.Out()))) return 0;
  result.SetInt(SUCCEEDED(file->Save(path.c_str(), TRUE)));
  return 0;
}

int CQuorvex_Script::F_FileGetShortcut(CValueList& args, CScriptValue& result) {
  SetError(1);
  std::string name = LinkName(args.GetAt(0).GetString());
  if (GetFileAttributesA(name.c_str()) == INVALID_FILE_ATTRIBUTES) return 0;
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

int CQuorvex_Script::F_FileSelectFolder(CValueList& args, CScriptValue& result) {
  result.SetString("");
  CComRef<IMalloc> allocator;
  if (FAILED(SHGetMalloc(reinterpret_cast<IMalloc**>(allocator.Out())))) {
    SetError(1);
    return 0;
  }
  // The new-style dialog needs OLE on this thread.
  bool ole = SUCCEEDED(OleInitialize(nullptr));
  int flag = args.GetAt(2).GetInt();
  char title[2048], chosen[MAX_PATH];
  CopyTextLimited(title, args.GetAt(0).GetString(), sizeof title);
  BROWSEINFOA info = {};
  info.lpszTitle = title;
  info.pszDisplayName = chosen;
  if (flag & 1) info.ulFlags |= BIF_NEWDIALOGSTYLE;
  if (flag & 2) info.ulFlags |= BIF_NEWDIALOGSTYLE;
  if (flag & 4) info.ulFlags |= BIF_EDITBOX;
  if (!(flag & 1)) info.ulFlags |= BIF_NONEWFOLDERBUTTON;
  LPITEMIDLIST root = nullptr;
  std::wstring rootText = Wide(args.GetAt(1).GetString());
  if (!rootText.empty()) {
    CComRef<IShellFolder> desktop;
    if (SUCCEEDED(SHGetDesktopFolder(reinterpret_cast<IShellFolder**>(desktop.Out()))))
      desktop->ParseDisplayName(nullptr, nullptr, &rootText[0], nullptr, &root, nullptr);
    info.pidlRoot = root;
  }
  LPITEMIDLIST picked = SHBrowseForFolderA(&info);
  chosen[0] = '\0';
  if (picked && SHGetPathFromIDListA(picked, chosen))
    result.SetString(chosen);
  else
    SetError(1);
  if (picked) allocator->Free(picked);
  if (root) allocator->Free(root);
  if (ole) OleUninitialize();
  return 0;
}

namespace {

// FILEOPENDIALOG and FILESAVEDIALOG: 0 done (result or @error set), 1 after a fatal report.
int FileDialog(CQuorvex_Script& script, CValueList& args, CScriptValue& result, bool save) {
  std::string filter = args.GetAt(2).GetString();
  size_t open = filter.find('('), close = open == std::string::npos ? open : filter.find(')', open);
  if (close == std::string::npos) return script.FatalError("Invalid file filter given.");
  // Description and pattern, each zero-terminated, then the list's closing zero.
  std::string filterList = filter + '\0' + filter.substr(open + 1, close - open - 1) + '\0' + '\0';
  static const DWORD kOptionFlags[] = {OFN_FILEMUSTEXIST, OFN_PATHMUSTEXIST, OFN_ALLOWMULTISELECT, OFN_CREATEPROMPT,
                                       OFN_OVERWRITEPROMPT};
  int options = args.GetAt(3).GetInt();
  std::vector<char> names(65535, '\0');
  CopyTextLimited(names.data(), args.GetAt(4).GetString(), static_cast<int>(names.size()));
  std::string title = args.GetAt(0).GetString(), directory = args.GetAt(1).GetString();
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.lpstrFilter = filterList.c_str();
  dialog.lpstrFile = names.data();
  dialog.nMaxFile = static_cast<DWORD>(names.size());
  dialog.lpstrTitle = title.c_str();
  dialog.lpstrInitialDir = directory.c_str();
  dialog.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_NODEREFERENCELINKS;
  if (options >= 0 && options <= 31)
    for (int bit = 0; bit < 5; ++bit)
      if (options & (1 << bit)) dialog.Flags |= kOptionFlags[bit];
  result.SetString("");
  if (!(save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog))) {
    script.SetError(1);
    return 0;
  }
  // Several files: the folder, then each name after a zero, ended by two zeros; a zero just
  // before the first name tells them from one file.
  std::string chosen = names.data();
  bool several = dialog.nFileOffset > 0 && names[dialog.nFileOffset - 1] == '\0';
  for (const char* next = names.data() + chosen.size() + 1; several && *next; next += strlen(next) + 1)
    chosen += std::string("|") + next;
  result.SetString(chosen.c_str());
  return 0;
}

}  // namespace

int CQuorvex_Script::F_FileOpenDialog(CValueList& args, CScriptValue& result) {
  return FileDialog(*this, args, result, false);
}

int CQuorvex_Script::F_FileSaveDialog(CValueList& args, CScriptValue& result) {
  return FileDialog(*this, args, result, true);
}
