// The options dialog: robot export and import.
#include "app/optionsdlg.h"

#include <shlobj.h>

#include "app/quorvexdlg.h"
#include "res/resource.h"
#include "robot/datafolder.h"
#include "robot/robotname.h"

namespace {

const char kFolderTitle[] = "Select a folder to store your robots";
const char kExistsInOutput[] = " already exists in output folder. Do you wish to overwrite existing robot in output folder?";
const char kExists[] = " already exists. Do you wish to overwrite existing robot?";
const char kCopyFailed[] = "These robots could not be copied:\n";
const char kOptionsMenuText[] = "Options...";

BOOL BrowseForFolder(CWnd* owner, CString& folder) {
  ::OleInitialize(nullptr);
  BROWSEINFOA info = {};
  info.hwndOwner = owner ? owner->m_hWnd : nullptr;
  info.lpszTitle = kFolderTitle;
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS | BIF_EDITBOX | BIF_VALIDATE | BIF_NEWDIALOGSTYLE;
  LPITEMIDLIST item = ::SHBrowseForFolderA(&info);
  BOOL chosen = FALSE;
  if (item) {
    char path[MAX_PATH] = "";
    chosen = ::SHGetPathFromIDListA(item, path) && path[0];
    if (chosen) folder = path;
    ::CoTaskMemFree(item);
  }
  ::OleUninitialize();
  return chosen;
}

// The entry's name without its last extension.
CString BaseName(const char* fileName) {
  CString name = fileName;
  int dot = name.ReverseFind('.');
  return dot >= 0 ? name.Left(dot) : name;
}

// Shows the wait cursor while it lives.
class WaitCursor {
public:
  WaitCursor() : old_(::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)))) {}
  ~WaitCursor() { ::SetCursor(old_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

private:
  HCURSOR old_;
};

}  // namespace

int GetFileOpenError(const char* path) {
  HANDLE file = ::CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    ::CloseHandle(file);
    return 0;
  }
  switch (::GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
      return 2;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return 3;
    case ERROR_ACCESS_DENIED:
      return 5;
    case ERROR_SHARING_VIOLATION:
      return 7;
    default:
      return 1;
  }
}

BOOL IsDirectoryPath(const char* path) {
  DWORD attributes = ::GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void AddOptionsToSystemMenu(CWnd* wnd) {
  HMENU menu = ::GetSystemMenu(wnd->m_hWnd, FALSE);
  if (!menu || ::GetMenuState(menu, IDM_SYS_OPTIONS, MF_BYCOMMAND) != static_cast<UINT>(-1)) return;
  int close = -1;
  for (int i = 0; i < ::GetMenuItemCount(menu); ++i)
    if (::GetMenuItemID(menu, i) == SC_CLOSE) close = i;
  if (close < 0) {
    ::AppendMenuA(menu, MF_STRING, IDM_SYS_OPTIONS, kOptionsMenuText);
    return;
  }
  ::InsertMenuA(menu, close, MF_BYPOSITION | MF_STRING, IDM_SYS_OPTIONS, kOptionsMenuText);
  ::InsertMenuA(menu, close + 1, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

COptionsDlg::ChooseFolder COptionsDlg::s_ChooseFolder = &BrowseForFolder;

BEGIN_MESSAGE_MAP(COptionsDlg, CDialog)
  ON_BN_CLICKED(IDC_EXPORT, &COptionsDlg::OnExport)
  ON_BN_CLICKED(IDC_IMPORT, &COptionsDlg::OnImport)
  ON_BN_CLICKED(IDC_ADD_ADVANCED, &COptionsDlg::OnStart)
END_MESSAGE_MAP()

COptionsDlg::COptionsDlg(CQuorvexDlg* owner) : CDialog(IDD_OPTIONS, owner), owner_(owner) {}

int COptionsDlg::AskOverwrite(const CString& name, const char* rest) {
  return ShowMessageBox(m_hWnd, "Vantorel Pindrel robot \"" + name + "\"" + rest, AfxGetAppName(),
                        MB_YESNOCANCEL | MB_ICONQUESTION);
}

void COptionsDlg::ReportFailures(const CString& failed) {
  if (!failed.IsEmpty()) ShowMessageBox(m_hWnd, kCopyFailed + failed, AfxGetAppName(), MB_OK);
}

void COptionsDlg::OnExport() {
  CString folder;
  WaitCursor wait;
  if (s_ChooseFolder(this, folder)) ExportTo(folder);
}

void COptionsDlg::OnImport() {
  CString folder;
  WaitCursor wait;
  if (s_ChooseFolder(this, folder)) ImportFrom(folder);
}

int COptionsDlg::ExportTo(CString folder) {
  if (folder.Right(1) == "\\") folder = folder.Left(folder.GetLength() - 1);
  CString failed;
  int copied = CopyRobots(GetRobotFolder() + "\\", "*.txt", folder + "\\", ".robo", kExistsInOutput, failed);
  ReportFailures(failed);
  return copied;
}

int COptionsDlg::ImportFrom(CString folder) {
  if (folder.Right(1) != "\\") folder += "\\";
  CString robots = GetRobotFolder();
  CreateFolderPath(robots);
  CString failed;
  int copied = CopyRobots(folder, "*.robo", robots + "\\", ".txt", kExists, failed);
  // The list shows what the robot folder holds, also after a Cancel at a later question.
  if (copied > 0 && owner_) owner_->LoadRobotList();
  ReportFailures(failed);
  return copied;
}

int COptionsDlg::CopyRobots(const CString& from, const char* pattern, const CString& to, const char* extension,
                            const char* question, CString& failed) {
  WIN32_FIND_DATAA found;
  HANDLE find = ::FindFirstFileA(from + pattern, &found);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int copied = 0;
  do {
    CString source = from + found.cFileName;
    if (lstrcmpA(found.cFileName, ".") == 0 || lstrcmpA(found.cFileName, "..") == 0 || IsDirectoryPath(source))
      continue;
    CString name = BaseName(found.cFileName);
    CString target = to + name + extension;
    // A name no robot can have would be written and then lost (or not found again): such a file
    // is listed, under its file name, with the copies that failed.
    if (CheckRobotName(name, GetRobotFolder()) != RobotNameProblem::kNone || target.GetLength() > kMaxRobotPath) {
      failed += CString(found.cFileName) + "\n";
      continue;
    }
    // Only a target that is there is asked about: a path that cannot be opened for another
    // reason is no robot to overwrite.
    if (::GetFileAttributesA(target) != INVALID_FILE_ATTRIBUTES) {
      int answer = AskOverwrite(name, question);
      if (answer == IDCANCEL) break;
      if (answer != IDYES) continue;
    }
    if (::CopyFileA(source, target, FALSE)) {
      ++copied;
    } else {
      failed += name + "\n";
    }
  } while (::FindNextFileA(find, &found));
  ::FindClose(find);
  return copied;
}

void COptionsDlg::OnStart() {
  m_AddRobot = TRUE;
  EndDialog(IDOK);
}
