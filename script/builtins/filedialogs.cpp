// The dialog built-ins of the file family: the folder browser and the open and save dialogs.
#include <windows.h>

#include <commdlg.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "script/builtins/comutil.h"
#include "script/interpreter.h"
#include "script/sysutil/sysutil.h"

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
  // The dialog copies the initial folder into a path buffer of its own without a bound: a
  // longer one is left out and the dialog opens in its default folder.
  dialog.lpstrInitialDir = directory.size() < MAX_PATH ? directory.c_str() : nullptr;
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
