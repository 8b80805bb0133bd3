// The main dialog: its controls, the robot list with its check boxes, the buttons, the start-up
// timers, painting and the close question.
#include "app/quorvexdlg.h"

#include <new>
#include <utility>

#include "app/constants.h"
#include "app/optionsdlg.h"
#include "app/quorvexapp.h"
#include "res/resource.h"
#include "app/robotuploaddlg.h"
#include "robot/datafolder.h"
#include "robot/recwininfo.h"
#include "robot/robotfile.h"
#include "robot/robotname.h"
#include "schedule/schedulelistdlg.h"

namespace {

const char kListColumns[] = "Enable,50;Name,100;Start Key,60;End Key,60";
constexpr int kClientWidth = 650, kClientHeight = 343;

// The check state of a list state: the state-image index minus 1, 0 without a state image.
int CheckOf(UINT state) {
  UINT image = (state & LVIS_STATEIMAGEMASK) >> 12;
  return image ? static_cast<int>(image) - 1 : 0;
}

// The file name of a listed robot holds "?" only where the code page had no character for one
// of the file's: no file name can hold a "?".
bool NameLostCharacters(const CString& path) { return RobotNameOfFile(path).Find('?') >= 0; }

// Why a robot file cannot be read or deleted, for the user.
CString FailureReason(const CString& path, DWORD error) {
  if (NameLostCharacters(path)) return AppText(IDS_NAME_NOT_IN_CODE_PAGE);
  if (path.GetLength() > kMaxRobotPath) error = ERROR_FILENAME_EXCED_RANGE;
  return SystemErrorText(error);
}

}  // namespace

CString RobotFilePath(const CString& name) { return GetRobotFolder() + "\\" + name + ".txt"; }

BOOL IsRobotFileMissing(const CString& path, DWORD error) {
  return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) && path.GetLength() <= kMaxRobotPath &&
         !NameLostCharacters(path);
}

CString RobotFileFailureText(const CString& path, DWORD error) {
  CString text;
  if (IsRobotFileMissing(path, error)) {
    text.Format(AppText(IDS_ROBOT_FILE_MISSING), path.GetString());
  } else {
    text.Format(AppText(IDS_ROBOT_FILE_UNREADABLE), path.GetString(), FailureReason(path, error).GetString());
  }
  return text;
}

CString AppText(UINT id) {
  CString text;
  text.LoadString(id);
  return text;
}

void CenterWindowWithClientSize(CWnd* wnd, const CRect& client) {
  int width = client.Width() + GetSystemMetrics(SM_CXFRAME) + 2 * GetSystemMetrics(SM_CXBORDER);
  int height = client.Height() + GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME);
  int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  int x, y;
  HWND parent = ::GetParent(wnd->m_hWnd);
  if (parent) {
    CRect over;
    ::GetWindowRect(parent, &over);
    x = over.left + (over.Width() - width) / 2;
    y = over.top + (over.Height() - height) / 2;
    if (x + width > screenWidth) x = screenWidth - width;
    if (y + height > screenHeight) y = screenHeight - height;
    if (x < 0) x = 0;
    if (y < 0) y = 0;
  } else {
    x = width < screenWidth ? (screenWidth - width) / 2 : 0;
    y = height < screenHeight ? (screenHeight - height) / 2 : 0;
  }
  wnd->SetWindowPos(nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

BEGIN_MESSAGE_MAP(CQuorvexDlg, CDialog)
  ON_WM_PAINT()
  ON_WM_TIMER()
  ON_WM_QUERYDRAGICON()
  ON_BN_CLICKED(IDC_SCHEDULE, &CQuorvexDlg::OnSchedule)
  ON_BN_CLICKED(IDC_RUN_ROBOT, &CQuorvexDlg::OnRunRobot)
  ON_BN_CLICKED(IDC_OPTIONS, &CQuorvexDlg::OnOptions)
  ON_MESSAGE(WM_SYSCOMMAND, &CQuorvexDlg::OnSysCommand)
  ON_BN_CLICKED(IDC_HELP_BUTTON, &CQuorvexDlg::OnHelp)
  ON_BN_CLICKED(IDC_ADD_ROBOT, &CQuorvexDlg::OnAddRobot)
  ON_BN_CLICKED(IDC_EDIT_ROBOT, &CQuorvexDlg::OnEditRobot)
  ON_BN_CLICKED(IDC_REMOVE_ROBOT, &CQuorvexDlg::OnRemoveRobot)
  ON_COMMAND(ID_SHARE_ROBOT, &CQuorvexDlg::OnShareRobot)
  ON_MESSAGE(WM_CONTEXTMENU, &CQuorvexDlg::OnContextMenu)
  ON_WM_HOTKEY()
  ON_MESSAGE(WM_SCHEDULED_RUN, &CQuorvexDlg::OnScheduledRun)
  ON_NOTIFY(LVN_ITEMCHANGED, IDC_ROBOT_LIST, &CQuorvexDlg::OnRobotListItemChanged)
END_MESSAGE_MAP()

CQuorvexDlg::CQuorvexDlg(CWnd* parent) : CDialog(IDD_PINDREL_DIALOG, parent) {}

CQuorvexDlg::~CQuorvexDlg() = default;

void CQuorvexDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_ROBOT_LIST, m_RobotList);
  DDX_Control(dx, IDC_SCHEDULE, m_btnSchedule);
  DDX_Control(dx, IDC_RUN_ROBOT, m_btnRun);
  DDX_Control(dx, IDC_OPTIONS, m_btnOptions);
  DDX_Control(dx, IDC_HELP_BUTTON, m_btnHelp);
  DDX_Control(dx, IDC_ADD_ROBOT, m_btnAdd);
  DDX_Control(dx, IDC_EDIT_ROBOT, m_btnEdit);
  DDX_Control(dx, IDC_REMOVE_ROBOT, m_btnRemove);
}

BOOL CQuorvexDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  // Marked before the list loads: a box about a robot file may keep the window from showing.
  SetPropA(m_hWnd, kMainWindowMark, m_hWnd);
  m_Background.LoadBitmap(IDB_BACKGROUND);
  m_hIcon.Load(IDR_MAINFRAME, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
  m_hSmallIcon.Load(IDR_MAINFRAME, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hSmallIcon, FALSE);
  CenterWindowWithClientSize(this, CRect(0, 0, kClientWidth, kClientHeight));
  InitButtons();
  // The Options button stays hidden: the options dialog opens from the system menu.
  AddOptionsToSystemMenu(this);
  InitRobotList();
  // Only one instance gets here: no write of ours is under way.
  RemoveStaleRobotFileTemps(GetRobotFolder());
  LoadRobotList();
  SetTimer(m_CommandLineRun ? kCommandLineTimer : kTipTimer, 30);
  return TRUE;
}

void CQuorvexDlg::InitButtons() {
  // Each button is sized to end before the next one starts and, in the bottom row, at the
  // list's right edge (624): the template's dialog units give sizes that overlap.
  struct Place {
    CButtonST* button;
    UINT icon;
    const char* tooltip;
    int x, y, width, height;
  };
  const Place places[] = {
      {&m_btnRun, IDI_RUN, "Run the selected robot", 350, 46, 90, 26},
      {&m_btnSchedule, IDI_SCHEDULE, "Schedule selected robot to run later", 445, 46, 100, 26},
      {&m_btnHelp, IDI_HELP, "Help", 550, 46, 74, 26},
      {&m_btnAdd, IDI_ADD, "Add a robot", 330, 280, 95, 28},
      {&m_btnEdit, IDI_EDIT, "Edit selected robot", 430, 280, 90, 28},
      {&m_btnRemove, IDI_REMOVE, "Remove selected robot", 525, 280, 99, 28},
  };
  for (const Place& p : places) {
    p.button->SetIcon(p.icon, CButtonST::BTNST_AUTO_DARKER);
    p.button->SetTooltipText(p.tooltip, TRUE);
    p.button->SetAlign(CButtonST::ST_ALIGN_HORIZ, TRUE);
    p.button->SetTransparent(FALSE);
    p.button->SetWindowPos(nullptr, p.x, p.y, p.width, p.height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void CQuorvexDlg::InitRobotList() {
  m_RobotList.SetExtendedStyle(m_RobotList.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES |
                               LVS_EX_FULLROWSELECT);
  m_RobotList.SetHeadings(kListColumns);
  m_RobotList.LoadColumnInfo();
  m_RobotList.MoveWindow(23, 75, 601, 204);
}

void CQuorvexDlg::LoadRobotList() {
  m_Robots.RemoveAll();
  m_RobotList.DeleteAllItems();
  CString folder = GetRobotFolder();
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA(folder + "\\*.txt", &found);
  if (find == INVALID_HANDLE_VALUE) return;
  m_LoadingList = TRUE;
  // The list is drawn once, when it is full.
  m_RobotList.SendMessage(WM_SETREDRAW, FALSE, 0);
  do {
    if (!IsRobotFile(found)) continue;
    CString path = folder + "\\" + found.cFileName;
    CRobot robot;
    if (!robot.LoadFromFile(path) && robot.FileError) {
      // Listed under its file name, unticked and without keys: what it holds is not known.
      CString line;
      line.Format(AppText(IDS_LIST_UNREADABLE_FILE), path.GetString(), FailureReason(path, robot.FileError).GetString());
      if (!m_UnreadableFiles.IsEmpty()) m_UnreadableFiles += "\n";
      m_UnreadableFiles += line;
      robot = CRobot();
    }
    if (robot.Name.IsEmpty()) {
      // A file that could not be read is still listed, under its file name.
      robot.Name = RobotNameOfFile(found.cFileName);
    }
    try {
      m_Robots.Add(std::move(robot));
    } catch (const std::bad_alloc&) {
      // No room for its lines beside the others: listed like a file that cannot be read.
      CRobot unread;
      unread.Name = RobotNameOfFile(found.cFileName);
      Message(RecWinLoadFailedText(path));
      m_Robots.Add(std::move(unread));
    }
    CRobot& added = m_Robots[m_Robots.GetSize() - 1];
    int row = m_RobotList.AddItem("", added.Name, added.StartKey, added.EndKey);
    // A key that names no key would leave a ticked robot that never starts or stops: the robot
    // stays unticked for this run of the program (its file is left as it is) and the user is told.
    if (added.Enable && NoteUnreadableKeys(added)) added.Enable = 0;
    // Ticking goes through the list notification, which registers the robot's hotkeys.
    if (row >= 0 && added.Enable) SetItemChecked(row, TRUE);
  } while (FindNextFileA(find, &found));
  FindClose(find);
  m_LoadingList = FALSE;
  m_RobotList.SendMessage(WM_SETREDRAW, TRUE, 0);
  m_RobotList.Invalidate();
  // At start-up the report waits until the window shows (timer 1031); a command-line run, which
  // nobody may be watching, reports nothing.
  if (m_CommandLineRun) {
    m_HotkeyProblems.Empty();
    m_UnreadableFiles.Empty();
  } else if (IsWindowVisible()) {
    ShowHotkeyProblems();
  }
}

void CQuorvexDlg::SetItemChecked(int row, BOOL checked) {
  m_RobotList.SetItemState(row, INDEXTOSTATEIMAGEMASK(checked ? 2 : 1), LVIS_STATEIMAGEMASK);
}

BOOL CQuorvexDlg::GetItemChecked(int row) const { return CheckOf(m_RobotList.GetItemState(row, LVIS_STATEIMAGEMASK)); }

int CQuorvexDlg::FindRobot(const CString& name) const {
  for (int i = 0; i < m_Robots.GetSize(); ++i)
    if (m_Robots[i].Name == name) return i;
  return -1;
}

int CQuorvexDlg::GetSelectedRow() const { return m_RobotList.GetNextItem(-1, LVNI_SELECTED); }

void CQuorvexDlg::OnRobotListItemChanged(NMHDR* hdr, LRESULT* result) {
  *result = 0;
  auto* item = reinterpret_cast<NMLISTVIEW*>(hdr);
  if (item->uOldState == 0 && item->uNewState == 0) return;
  int checked = CheckOf(item->uNewState);
  if (CheckOf(item->uOldState) == checked) return;
  CString name = m_RobotList.GetItemText(item->iItem, 1);
  if (name.IsEmpty()) return;

  // While the list loads, the row ticked is the robot added last: no search through the others.
  const int last = m_Robots.GetSize() - 1;
  int entry = m_LoadingList && last >= 0 && m_Robots[last].Name == name ? last : FindRobot(name);
  CRobot loaded;
  const CRobot* robot = &loaded;
  BOOL unsaved = FALSE;
  CString unsavedText;  // why the tick is not written
  int read = 0;
  DWORD writeError = 0;
  if (m_LoadingList && entry >= 0) {
    // The list was just read from this file: it is not read again, and written only when that
    // changes it.
    CRobot& listed = m_Robots[entry];
    BOOL changed = listed.Enable != checked || !listed.FileIsCurrent;
    listed.Enable = checked;
    if (listed.FileReadsBack && changed && listed.RewriteFile(GetRobotFolder())) listed.FileIsCurrent = TRUE;
    robot = &listed;
  } else if ((read = loaded.LoadFromFile(RobotFilePath(name), FALSE)) != 0 && loaded.FileReadsWhole) {
    // A broken file was reported when the list was loaded: it is not reported again here.
    loaded.Enable = checked;
    if (!loaded.RewriteFile(GetRobotFolder())) writeError = GetLastError();
    if (entry >= 0) {
      m_Robots[entry] = std::move(loaded);
      robot = &m_Robots[entry];
    }
  } else if (entry >= 0) {
    // A file not read, or read otherwise than it was meant, is never written: that would cut off
    // what it holds.
    m_Robots[entry].Enable = checked;
    robot = &m_Robots[entry];
    unsaved = !m_LoadingList;
    const CString path = RobotFilePath(name);
    if (loaded.FileError) {
      unsavedText.Format(AppText(IDS_TICK_UNREADABLE), RobotFileFailureText(path, loaded.FileError).GetString());
    } else if (read) {
      unsavedText.Format(AppText(IDS_TICK_NOT_SAVED), path.GetString());
    } else {
      unsavedText.Format(AppText(IDS_TICK_UNREADABLE), RecWinLoadFailedText(path).GetString());
    }
  }
  // The keys are taken before any box, whose messages may change the array.
  CRobot keys;
  keys.Name = robot->Name;
  keys.StartKey = robot->StartKey;
  keys.EndKey = robot->EndKey;
  if (checked) {
    BOOL startRegistered = RegisterRobotHotkey(keys.StartKey);
    BOOL endRegistered = RegisterRobotHotkey(keys.EndKey);
    // A ticked robot whose key does nothing would look ready: the user is told, once for the
    // whole list while it loads.
    NoteHotkeyProblems(keys, startRegistered, endRegistered);
    if (unsaved) NoteUnsavedTick(name, unsavedText);
    if (writeError) NoteUnsavedTick(name, WriteFailedText(name, writeError));
    if (!m_LoadingList) ShowHotkeyProblems();
  } else {
    // The end key stays: end keys may be shared between robots.
    UnregisterRobotHotkey(keys.StartKey);
    RestoreSharedHotkeys();
    if (unsaved) NoteUnsavedTick(name, unsavedText);
    if (writeError) NoteUnsavedTick(name, WriteFailedText(name, writeError));
  }
}

CString CQuorvexDlg::WriteFailedText(const CString& name, DWORD error) const {
  CString text;
  text.Format(AppText(IDS_TICK_WRITE_FAILED), RobotFilePath(name).GetString(), RobotFileErrorText(error).GetString());
  return text;
}

void CQuorvexDlg::NoteUnsavedTick(const CString& name, const CString& text) {
  // Once per robot and run of the program: the box would otherwise come at every tick.
  for (const CString& told : m_ToldUnsaved)
    if (told == name) return;
  m_ToldUnsaved.Add(name);
  Message(text);
}

int CQuorvexDlg::Message(UINT textId, UINT type) { return Message(AppText(textId), type); }

int CQuorvexDlg::Message(const CString& text, UINT type) {
  return ShowMessageBox(m_hWnd, text, AfxGetAppName(), type);
}

void CQuorvexDlg::OnRunRobot() {
  int row = GetSelectedRow();
  if (row < 0) {
    Message(IDS_NO_ROBOT_TO_RUN);
    return;
  }
  CString name = m_RobotList.GetItemText(row, 1);
  if (name.IsEmpty()) return;
  m_CurrentRobotPath = RobotFilePath(name);
  RunRobot(m_CurrentRobotPath);
}

void CQuorvexDlg::OnSchedule() {
  int row = GetSelectedRow();
  if (row < 0) {
    Message(IDS_NO_ROBOT_TO_RUN);
    return;
  }
  CString name = m_RobotList.GetItemText(row, 1);
  if (!name.IsEmpty()) ShowRobotSchedule(m_TaskScheduler, name);
}

void CQuorvexDlg::OnOptions() {
  COptionsDlg options(this);
  options.DoModal();
  if (options.m_AddRobot) OnAddRobot();
}

LRESULT CQuorvexDlg::OnSysCommand(WPARAM wParam, LPARAM) {
  if ((wParam & 0xFFF0) != IDM_SYS_OPTIONS) return Default();
  OnOptions();
  return 0;
}

void CQuorvexDlg::OnRemoveRobot() {
  int row = GetSelectedRow();
  if (row < 0) {
    Message(IDS_NO_ROBOT_TO_DELETE);
    return;
  }
  if (Message(IDS_CONFIRM_DELETE, MB_YESNO) != IDYES) return;
  CString name = m_RobotList.GetItemText(row, 1);
  if (!name.IsEmpty()) {
    CString path = RobotFilePath(name);
    // Deleting a link of the host deletes the file it links to, outside the robot folder.
    if (PlaceOfFile(path, GetRobotFolder()) == FilePlace::kElsewhere) {
      CString text;
      text.Format(AppText(IDS_REMOVE_LINK_REFUSED), path.GetString());
      Message(text);
      return;
    }
    int entry = FindRobot(name);
    CRobot robot;
    if (entry >= 0) {
      robot = m_Robots[entry];
    } else {
      robot.LoadFromFile(path, FALSE);
    }
    // The row goes only with its file: a file that stays would bring the robot back at the next
    // start. A file that is gone already is no reason to keep the row.
    if (!DeleteRobotFile(path)) {
      DWORD error = GetLastError();
      if (!IsRobotFileMissing(path, error)) {
        CString text;
        text.Format(AppText(IDS_REMOVE_FAILED), path.GetString(), FailureReason(path, error).GetString());
        Message(text);
        return;
      }
    }
    if (robot.Enable) {
      UnregisterRobotHotkey(robot.StartKey);
      UnregisterRobotHotkey(robot.EndKey);
    }
    if (entry >= 0) m_Robots.RemoveAt(entry);
    if (!DeleteRobotJobs(m_TaskScheduler, name)) {
      CString text;
      text.Format(AppText(IDS_JOBS_NOT_REMOVED), name.GetString());
      Message(text);
    }
    // Another enabled robot may share the key just released.
    RestoreSharedHotkeys();
  }
  m_RobotList.DeleteItem(row);
}

void CQuorvexDlg::OnShareRobot() {
  int row = GetSelectedRow();
  if (row < 0) {
    Message(IDS_NO_ROBOT_TO_SHARE);
    return;
  }
  CString name = m_RobotList.GetItemText(row, 1);
  if (name.IsEmpty()) return;
  CRobotUploadDlg dlg(this);
  dlg.m_RobotPath = RobotFilePath(name);
  dlg.DoModal();
}

// The robot list's context menu (right click, or the menu key and Shift+F10 at the selection).
LRESULT CQuorvexDlg::OnContextMenu(WPARAM wParam, LPARAM lParam) {
  if (reinterpret_cast<HWND>(wParam) != m_RobotList.m_hWnd) return Default();
  CPoint at(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
  if (lParam == -1) {
    CRect item(0, 0, 0, 0);
    int row = GetSelectedRow();
    if (row >= 0) ListView_GetItemRect(m_RobotList.m_hWnd, row, &item, LVIR_LABEL);
    at = CPoint(item.left, item.bottom);
    m_RobotList.ClientToScreen(&at);
  }
  CMenu menu;
  if (menu.LoadMenu(IDR_ROBOT_MENU)) {
    if (CMenu* popup = menu.GetSubMenu(0))
      ::TrackPopupMenu(*popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, m_hWnd, nullptr);
  }
  return 0;
}

void CQuorvexDlg::OnHelp() { OpenHelpFile(); }

void CQuorvexDlg::OpenHelpFile() {
  typedef HWND(WINAPI * HtmlHelpProc)(HWND, const char*, UINT, DWORD_PTR);
  static HMODULE library = LoadLibraryA("hhctrl.ocx");  // kept: unloading it closes the help
  auto htmlHelp = library ? reinterpret_cast<HtmlHelpProc>(reinterpret_cast<void*>(GetProcAddress(library, "HtmlHelpA"))) : nullptr;
  CString path = GetProgramFolder() + "\\" + kHelpFileName;
  const UINT kDisplayTopic = 0;
  if (!htmlHelp || !htmlHelp(nullptr, path, kDisplayTopic, 0)) Message(IDS_HELP_NOT_FOUND, MB_OK | MB_ICONSTOP);
}

void CQuorvexDlg::OnTimer(UINT_PTR id) {
  Default();
  if (id == kCommandLineTimer) {
    if (!IsWindowVisible()) return;
    KillTimer(id);
    ShowWindow(SW_HIDE);
    RunRobotByName(m_CommandLineRobot);
    ShowWindow(SW_HIDE);
    HideTrayIcon();
    // Whoever started the program learns that nothing was played; a robot that played ends
    // with the normal code, whatever its script did.
    QuitApplication(CommandLineExitCode());
  } else if (id == kTipTimer) {
    if (!IsWindowVisible()) return;
    KillTimer(id);
    ShowHotkeyProblems();
    ShowTipOfTheDay();
  }
}

void CQuorvexDlg::OnCancel() {
  if (Message(IDS_CONFIRM_QUIT, MB_YESNO) != IDYES) return;
  ShowWindow(SW_HIDE);
  HideTrayIcon();
  QuitApplication();
}

void CQuorvexDlg::HideTrayIcon() {
  if (auto* app = dynamic_cast<CQuorvexApp*>(AfxGetApp())) app->HideTrayIcon();
}

void CQuorvexDlg::OnPaint() {
  if (IsIconic()) {
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    CRect rect;
    GetClientRect(&rect);
    int x = (rect.Width() - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (rect.Height() - GetSystemMetrics(SM_CYICON) + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
    return;
  }
  if (!m_Background.GetSafeHandle()) {
    Default();
    return;
  }
  CPaintDC dc(this);
  CDC memory;
  memory.CreateCompatibleDC(&dc);
  BITMAP info;
  m_Background.GetBitmap(&info);
  HBITMAP old = memory.SelectObject(&m_Background);
  dc.BitBlt(0, 0, info.bmWidth, info.bmHeight, &memory, 0, 0, SRCCOPY);
  memory.SelectObject(old);
}

HCURSOR CQuorvexDlg::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(static_cast<HICON>(m_hIcon)); }
