// The robot editor: its fields, the action rows, the checks of Save and the writing of the robot.
#include "editor/inputrobotdlg.h"

#include <algorithm>
#include <climits>
#include <string>

#include "res/resource.h"
#include "editor/hotkeyowner.h"
#include "editor/recordpanedlg.h"
#include "editor/robotrepeatoption.h"
#include "robot/actiontext.h"
#include "robot/datafolder.h"
#include "robot/numbertext.h"
#include "robot/robotfile.h"
#include "robot/robotname.h"

namespace {

constexpr UINT_PTR kRecordAtStartTimer = 1030;
constexpr int kPaneGap = 10;  // pixels of the stack's background right of its panes

// FALSE when the field holds characters the program's code page has no byte for: the program
// would read each of them as "?". The field is asked through its own class's procedure, since
// everything that passes the program's 8-bit procedures has already lost them.
bool HoldsOnlyCodePageText(HWND field) {
  auto classProc = reinterpret_cast<WNDPROC>(::GetClassLongPtrW(field, GCLP_WNDPROC));
  if (!classProc) return true;
  int length = static_cast<int>(::CallWindowProcW(classProc, field, WM_GETTEXTLENGTH, 0, 0));
  if (length <= 0) return true;
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  length = static_cast<int>(::CallWindowProcW(classProc, field, WM_GETTEXT, static_cast<WPARAM>(length) + 1,
                                              reinterpret_cast<LPARAM>(text.data())));
  BOOL usedDefault = FALSE;
  ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr, 0, nullptr, &usedDefault);
  return !usedDefault;
}

// The name field is the system's edit control itself, not subclassed, made a Unicode window:
// the message loop then gives it typed characters (and an input method's) as they are, as a
// paste does, so it shows what the user typed and Save can name the real problem. The program
// still reads it through 8-bit calls.
void DDX_UnicodeEdit(CDataExchange* dx, int id, CEdit& field) {
  if (dx->Failed() || field.m_hWnd) return;
  HWND hwnd = dx->PrepareCtrl(id);
  if (!hwnd || !field.Attach(hwnd)) return;
  ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, ::GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
}

}  // namespace

BEGIN_MESSAGE_MAP(CInputRobotDlg, CDialog)
  ON_WM_DESTROY()
  ON_WM_TIMER()
  ON_BN_CLICKED(IDC_REPEAT_OPTIONS, &CInputRobotDlg::OnRepeatOptions)
  ON_BN_CLICKED(IDC_DELETE_ACTION, &CInputRobotDlg::OnDeleteAction)
  ON_BN_CLICKED(IDC_MOVE_UP, &CInputRobotDlg::OnMoveUp)
  ON_BN_CLICKED(IDC_MOVE_DOWN, &CInputRobotDlg::OnMoveDown)
END_MESSAGE_MAP()

CInputRobotDlg::CInputRobotDlg(CWnd* parent) : CDialog(IDD_INPUT_ROBOT, parent) {}

CInputRobotDlg::~CInputRobotDlg() = default;

void CInputRobotDlg::SetRobotNames(const CStringArray& names) {
  m_RobotNames.RemoveAll();
  m_RobotNames.Append(names);
}

void CInputRobotDlg::SetEditedRobot(const CRobot& robot) {
  m_Robot = robot;
  m_LoadedName = robot.Name;
  m_Editing = TRUE;
}

void CInputRobotDlg::DoDataExchange(CDataExchange* dx) {
  DDX_UnicodeEdit(dx, IDC_ROBOT_NAME, m_NameEdit);
  DDX_Control(dx, IDC_START_KEY, m_StartKeyEdit);
  DDX_Control(dx, IDC_END_KEY, m_EndKeyEdit);
  DDX_Control(dx, IDC_REPEAT_TEXT, m_RepeatText);
  DDX_Control(dx, IDC_ACTION_LIST, m_ActionList);
  DDX_Control(dx, IDC_RUN_BACKGROUND, m_BackgroundCheck);
}

BOOL CInputRobotDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  CreatePanes();
  PlaceBesidePanes();
  InitControls();
  if (m_Editing) LoadRobot();
  m_StartKeyEdit.SetRestricted(TRUE);
  m_EndKeyEdit.SetRestricted(TRUE);
  if (m_RecordAtStart) SetTimer(kRecordAtStartTimer, 20);
  m_OpenedState = CurrentState();
  return TRUE;
}

CString CInputRobotDlg::CurrentState() {
  // Everything Save would write, one field a line; the click pane's point is not the robot's.
  CString state = m_NameEdit.GetWindowText() + "\n" + m_StartKeyEdit.GetWindowText() + "\n" +
                  m_EndKeyEdit.GetWindowText() + "\n" + IntToString(m_RepeatMode) + "\n" + IntToString(m_RepeatCount) +
                  "\n" + IntToString(m_BackgroundCheck.GetCheck()) + "\n" + IntToString(GetWindowRecordCount()) + "\n";
  for (int row = 0; row < m_ActionList.GetItemCount(); ++row)
    state += m_ActionList.GetItemText(row, 1) + "\t" + IntToString(static_cast<int>(m_ActionList.GetItemData(row))) + "\n";
  return state;
}

void CInputRobotDlg::CreatePanes() {
  m_pPaneStack = std::make_unique<CExplorerPane>(IDD_EXPLORER_PANE, this);
  if (!m_pPaneStack->Create(IDD_EXPLORER_PANE, this)) return;
  m_pPaneStack->MoveWindow(5, 4, 320, 577);  // grown to what the panes need by PlaceBesidePanes
  m_pPaneStack->ShowWindow(SW_SHOW);
  m_pPaneStack->SetBkColor(0xD8E9EC);
  m_pPaneStack->m_Spacing = 2;
  m_pPaneStack->SetScrollBarEnabled(FALSE);

  m_pMouseDlg = std::make_unique<CInputMouseDlg>(m_pPaneStack.get());
  m_pMouseDlg->Create(IDD_INPUT_MOUSE, m_pPaneStack.get());
  m_pMouseDlg->ShowWindow(SW_SHOW);
  m_pMouseDlg->m_pOwner = this;

  m_pItemPane = std::make_unique<CItemPane>(IDD_ITEM_PANE, m_pPaneStack.get(), m_pMouseDlg.get(), IDB_PANE_CAPTION,
                                            IDB_PANE_COLLAPSED, IDB_PANE_EXPANDED, CItemPane::kExpanded);
  if (!m_pItemPane->Create(IDD_ITEM_PANE, m_pPaneStack.get())) return;
  m_pItemPane->SetTitle("", 0xFFFFFF, nullptr);
  m_pItemPane->ShowWindow(SW_SHOW);
  m_pPaneStack->AddPane(m_pItemPane.get());
  m_pPaneStack->RecalcLayout();

  m_pRecording = std::make_unique<CEditorRecording>(*this);
  if (m_pRecording->Create(m_pPaneStack.get())) m_pRecordingPane = m_pRecording->GetPane();
}

// The stack is placed in pixels and its panes' captions are bitmaps of fixed pixels, but the
// panes' contents and the editor's own controls are laid out in the dialog font's units: with
// another font or DPI they would cut each other off. The panes take the width the widest of
// them needs, the stack grows to hold them, the editor's controls move to its right and the
// dialog takes their width and, when the panes need more, the stack's height, inside the work
// area.
void CInputRobotDlg::PlaceBesidePanes() {
  if (!m_pPaneStack || !m_pPaneStack->IsWindow()) return;
  const HWND stack = m_pPaneStack->m_hWnd;
  CRect bounds;
  m_pPaneStack->GetWindowRect(&bounds);
  ScreenToClient(&bounds);
  const int paneWidth = m_pPaneStack->FitPaneWidths(bounds.Width() - kPaneGap);
  const int width = std::max<int>(bounds.Width(), paneWidth + kPaneGap);
  // No taller than the dialog leaves room for (a smaller font), unless the panes need it.
  CRect client;
  GetClientRect(&client);
  const int height = std::max<int>(std::min<int>(bounds.Height(), client.Height() - 2 * bounds.top),
                                   m_pPaneStack->GetPanesHeight());
  if (width != bounds.Width() || height != bounds.Height()) {
    m_pPaneStack->SetWindowPos(nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    bounds.right = bounds.left + width;
    bounds.bottom = bounds.top + height;
    m_pPaneStack->RecalcLayout();
  }
  int left = INT_MAX;
  for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (child == stack) continue;
    CRect r;
    ::GetWindowRect(child, &r);
    ScreenToClient(&r);
    if (r.left < left) left = r.left;
  }
  // The same margin right of the stack as left of it.
  const int shift = left == INT_MAX ? 0 : bounds.right + bounds.left - left;
  if (shift != 0) {
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
      if (child == stack) continue;
      CRect r;
      ::GetWindowRect(child, &r);
      ScreenToClient(&r);
      ::SetWindowPos(child, nullptr, r.left + shift, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  const int grow = std::max<int>(0, bounds.bottom + bounds.top - client.bottom);  // the same margin below as above
  if (shift != 0 || grow != 0) {
    CRect window;
    GetWindowRect(&window);
    SetWindowPos(nullptr, 0, 0, window.Width() + shift, window.Height() + grow,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  CenterWindow();
}

void CInputRobotDlg::InitControls() {
  m_ActionList.SetExtendedStyle(m_ActionList.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  m_ActionList.InsertColumn(0, "Steps", LVCFMT_LEFT, 40);
  m_ActionList.InsertColumn(1, "Robot Actions Description", LVCFMT_LEFT, 400);
  m_StartKeyEdit.SetWindowText("None");
  m_EndKeyEdit.SetWindowText("<F11>");
  m_RepeatText.SetWindowText("Run 1 times");
}

void CInputRobotDlg::SetRepeatText() {
  m_RepeatText.SetWindowText(m_RepeatMode == 1 ? CString("Run until pressing end key")
                                               : "Run " + IntToString(m_RepeatCount) + " times");
}

void CInputRobotDlg::LoadRobot() {
  SetWindowText("Edit Robot");
  m_NameEdit.SetWindowText(m_Robot.Name);
  m_StartKeyEdit.SetWindowText(m_Robot.StartKey);
  m_EndKeyEdit.SetWindowText(m_Robot.EndKey);
  m_UseSimilarWin = m_Robot.UseSimilarWin;
  m_RunAtBackground = m_Robot.RunAtBackground;
  m_BackgroundCheck.SetCheck(m_RunAtBackground ? BST_CHECKED : BST_UNCHECKED);
  m_RepeatMode = m_Robot.RepeatOption;
  if (m_RepeatMode != 1) m_RepeatCount = m_Robot.RepeatTimes;
  SetRepeatText();
  m_KeptLines.clear();
  // Rows are added with drawing off and room made for all of them at once: the list is laid
  // out and drawn once, not once per row.
  const int count = m_Robot.ActionLines.GetSize();
  m_ActionList.SendMessage(WM_SETREDRAW, FALSE, 0);
  m_ActionList.SendMessage(LVM_SETITEMCOUNT, count, 0);
  for (int i = 0; i < count; ++i) {
    const CString& statement = m_Robot.ActionLines[i];
    CString display = ScriptToActionText(statement);
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = i;
    char number[16];
    wsprintfA(number, "%d", i + 1);
    item.pszText = number;
    m_ActionList.InsertItem(&item);
    m_ActionList.SetItemText(i, 1, display);
    // A statement that does not come back the same through its display line (a hand-written
    // While, an assignment...) is kept as it is, so saving never changes or drops it.
    if (ActionTextToScript(display) != statement) {
      m_KeptLines.push_back(statement);
      m_ActionList.SetItemData(i, m_KeptLines.size());
    }
  }
  m_ActionList.SendMessage(WM_SETREDRAW, TRUE, 0);
  m_ActionList.Invalidate();
}

void CInputRobotDlg::AddAction(const CString& line) {
  int selected = m_ActionList.GetNextItem(-1, LVNI_SELECTED);
  if (selected < 0) {
    int row = m_ActionList.GetItemCount();
    m_ActionList.InsertItem(row, IntToString(row + 1));
    m_ActionList.SetItemText(row, 1, line);
    return;
  }
  m_ActionList.InsertItem(selected, IntToString(selected + 1));
  m_ActionList.SetItemText(selected, 1, line);
  m_ActionList.SetItemState(selected, 0, LVIS_SELECTED | LVIS_FOCUSED);
  m_ActionList.Renumber(selected + 1);
  SelectAction(selected + 1, TRUE);
}

void CInputRobotDlg::SelectAction(int row, BOOL focus) { m_ActionList.SelectItem(row, focus); }

void CInputRobotDlg::FocusActionList() { m_ActionList.SetFocus(); }

void CInputRobotDlg::RecordAndInsert() {
  if (m_pRecordingPane && m_pRecordingPane->GetPaneWindow() && m_pRecordingPane->GetPaneWindow()->IsWindow()) {
    m_pRecordingPane->RecordIntoList();
  }
}

void CInputRobotDlg::StartRecording() {
  if (m_pRecordingPane && m_pRecordingPane->GetPaneWindow() && m_pRecordingPane->GetPaneWindow()->IsWindow()) {
    m_pRecordingPane->StartRecording(0);
  }
}

void CInputRobotDlg::OnRepeatOptions() {
  CRobotRepeatOption options(this);
  if (options.DoModal() != IDOK) return;
  m_RepeatMode = options.m_Mode;
  m_RepeatCount = options.m_Count;
  SetRepeatText();
}

void CInputRobotDlg::OnDeleteAction() { m_ActionList.DeleteSelected(); }
void CInputRobotDlg::OnMoveUp() { m_ActionList.MoveSelectedUp(); }
void CInputRobotDlg::OnMoveDown() { m_ActionList.MoveSelectedDown(); }

BOOL CInputRobotDlg::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && m_pMouseDlg && !m_pMouseDlg->IsPointField(msg->hwnd)) {
    m_pMouseDlg->SetPointFromCursor();
  }
  // A hotkey (Ctrl+Alt+R of the recording pane) takes its key before the hotkey field with the
  // focus sees it: the field would be left with the modifiers alone instead of its key.
  if (msg->message == WM_HOTKEY) {
    m_StartKeyEdit.RestoreKeyBeforeModifiers();
    m_EndKeyEdit.RestoreKeyBeforeModifiers();
  }
  return CDialog::PreTranslateMessage(msg);
}

int CInputRobotDlg::PlainMessage(const CString& text) { return MessageBox(text, nullptr, MB_OK); }

BOOL CInputRobotDlg::ValidateHotkey(const CString& key) {
  CString text = key.IsEmpty() ? CString("None") : key;  // an empty field is a key not set
  if (text.CompareNoCase("None") == 0) {
    PlainMessage("Robot's Start/End Hotkey is not set. Please set the start/End Hotkey for robot.");
    return FALSE;
  }
  if (text.CompareNoCase("Ctrl + Alt + R") == 0 || text.CompareNoCase("Ctrl + Alt + S") == 0) {
    PlainMessage(
        "Hotkeys 'Ctrl+Alt+R' and 'Ctrl+Alt+S' are reserved for recording robots.\n\nPlease set the Start/End Hotkey "
        "for robot.");
    return FALSE;
  }
  for (const char* bare : {"Ctrl + Shift + Alt + ", "Ctrl + Shift + ", "Ctrl + Alt + ", "Shift + Alt + ", "Shift + ",
                           "Ctrl + ", "Alt + "}) {
    if (text.CompareNoCase(bare) == 0) {
      PlainMessage("You can not specify key '" + text +
                   "' as Start or End Hotkey.\n\nPlease specify Start or End Hotkey like something below:\n"
                   "'Ctrl + Shift + Alt + M', 'Ctrl + K', 'Ctrl + Shift + 9' or <F2>");
      return FALSE;
    }
  }
  if (text.Find("<F12>") >= 0) {
    AfxMessageBox("Key <F12> is reserved by Windows and it can not be used as Start/End Hotkey.\n\nPlease use another "
                  "hotkey.");
    return FALSE;
  }
  return TRUE;
}

BOOL CInputRobotDlg::CheckInput() {
  m_RobotName = m_NameEdit.GetWindowText();
  m_StartKey = m_StartKeyEdit.GetWindowText();
  m_EndKey = m_EndKeyEdit.GetWindowText();
  if (m_ActionList.GetItemCount() == 0) {
    PlainMessage("No clicks added to robot. Please press 'Add Click' button to add a click.");
    return FALSE;
  }
  // The name becomes the robot file's name: one the system cannot write and read back as a
  // plain file would be saved and then lost.
  CString problem;
  if (!HoldsOnlyCodePageText(m_NameEdit.m_hWnd)) {
    problem = "Robot name contains characters that cannot be used in a robot name on this system. Please choose "
              "another name.";
  } else switch (CheckRobotName(m_RobotName, GetRobotFolder())) {
    case RobotNameProblem::kNone:
      break;
    case RobotNameProblem::kEmpty:
      problem = "Robot name is empty. Please enter robot name.";
      break;
    case RobotNameProblem::kBadCharacter:
      problem = "cannot contain any of the following characters:\n \\ / : * ? \" < > |";
      break;
    case RobotNameProblem::kDeviceName:
      problem = "Robot name \"" + m_RobotName + "\" is reserved by Windows for a device, please choose another one.";
      break;
    case RobotNameProblem::kTooLong:
      problem = "Robot name is too long, please use at most " + IntToString(MaxRobotNameLength(GetRobotFolder())) +
                " characters.";
      break;
  }
  if (!problem.IsEmpty()) {
    PlainMessage(problem);
    GotoDlgCtrl(&m_NameEdit);
    return FALSE;
  }
  // Robot files live on a file system that ignores letter case: "robot" would overwrite "Robot".
  for (int i = 0; i < m_RobotNames.GetSize(); ++i) {
    if (m_RobotNames[i].CompareNoCase(m_RobotName) == 0) {
      PlainMessage("Robot name already exists, please choose another one.");
      GotoDlgCtrl(&m_NameEdit);
      return FALSE;
    }
  }
  if (!ValidateHotkey(m_StartKey)) {
    GotoDlgCtrl(&m_StartKeyEdit);
    return FALSE;
  }
  if (!ValidateHotkey(m_EndKey)) {
    GotoDlgCtrl(&m_EndKeyEdit);
    return FALSE;
  }
  if (auto* owner = dynamic_cast<CHotkeyOwner*>(m_pParentWnd)) {
    if (!owner->IsStartHotkeyFree(m_StartKey)) {
      GotoDlgCtrl(&m_StartKeyEdit);
      return FALSE;
    }
    if (!owner->IsEndHotkeyFree(m_EndKey)) {
      GotoDlgCtrl(&m_EndKeyEdit);
      return FALSE;
    }
  }
  if (m_StartKey.CompareNoCase(m_EndKey) == 0) {
    AfxMessageBox("Start Hotkey and End Hotkey can not be same.\nPlease use different key for Start Hotkey and End "
                  "Hotkey.");
    GotoDlgCtrl(&m_StartKeyEdit);
    return FALSE;
  }
  return TRUE;
}

void CInputRobotDlg::CollectActionLines(CStringArray& lines) {
  lines.RemoveAll();
  for (int row = 0; row < m_ActionList.GetItemCount(); ++row) {
    size_t kept = m_ActionList.GetItemData(row);
    if (kept > 0 && kept <= m_KeptLines.size()) {
      lines.Add(m_KeptLines[kept - 1]);
      continue;
    }
    CString statement = ActionTextToScript(m_ActionList.GetItemText(row, 1));
    if (!statement.IsEmpty()) lines.Add(statement);
  }
}

void CInputRobotDlg::OnOK() {
  if (!CheckInput()) return;
  CString folder = GetRobotFolder();
  CRobot robot = m_Robot;
  robot.Name = m_RobotName;
  robot.StartKey = m_StartKey;
  robot.EndKey = m_EndKey;
  robot.Enable = 1;
  robot.RepeatOption = m_RepeatMode;
  robot.RepeatTimes = m_RepeatCount;
  robot.UseSimilarWin = m_UseSimilarWin;
  robot.RunAtBackground = m_BackgroundCheck.GetCheck() == BST_CHECKED ? 1 : 0;
  CollectActionLines(robot.ActionLines);

  const CString oldPath = folder + "\\" + m_LoadedName + ".txt";
  const BOOL renamed = m_Editing && !m_LoadedName.IsEmpty() && m_LoadedName.CompareNoCase(robot.Name) != 0;
  // A rename deletes the old file: a link of the host to a file elsewhere would delete that file.
  if (renamed && PlaceOfFile(oldPath, folder) == FilePlace::kElsewhere) {
    PlainMessage("The robot file is a link to a file outside the robot folder:\n" + oldPath +
                 "\n\nThe robot cannot be renamed here: deleting the link would delete the file it links to.");
    GotoDlgCtrl(&m_NameEdit);
    return;
  }
  // The new file is written first; the old one goes only once that worked, so a failed save
  // never loses the robot.
  CreateFolderPath(folder);
  if (!robot.SaveToFile(folder)) {
    DWORD error = ::GetLastError();
    PlainMessage("The robot could not be saved as \"" + folder + "\\" + robot.Name + ".txt\".\n" +
                 RobotFileErrorText(error) + "\n\nNothing was changed. Please try another name or check the folder.");
    return;
  }
  if (renamed) {
    // An old file that stays is a second robot: the user is told, and the caller lists both.
    if (!DeleteRobotFile(oldPath)) {
      const DWORD error = ::GetLastError();
      if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
        m_KeptOldFile = TRUE;
        PlainMessage("The robot was saved as \"" + robot.Name + "\", but its old file cannot be deleted:\n" + oldPath +
                     "\n\n" + SystemErrorText(error) + "\n\nThe robot \"" + m_LoadedName + "\" stays in the list.");
      }
    }
  } else if (m_Editing && m_LoadedName != robot.Name && !m_LoadedName.IsEmpty()) {
    // Only the case changed: the file was written under its old spelling, and the file name is
    // what names the robot.
    const CString newPath = folder + "\\" + robot.Name + ".txt";
    if (!SetFileNameCase(oldPath, newPath)) {
      DWORD error = ::GetLastError();
      PlainMessage("The robot file could not be renamed to \"" + newPath + "\".\n" + RobotFileErrorText(error) +
                   "\n\nThe robot keeps the name \"" + m_LoadedName + "\".");
      robot.Name = m_RobotName = m_LoadedName;
      robot.SaveToFile(folder);
    }
  }
  m_RunAtBackground = robot.RunAtBackground;
  m_Robot = robot;
  EndDialog(IDOK);
}

// Cancel, Escape and the close box: work done in the editor is only thrown away when the user
// says so; No is the default, so that Enter keeps it.
void CInputRobotDlg::OnCancel() {
  if (CurrentState() != m_OpenedState &&
      MessageBox("The robot has been changed. Are you sure you want to discard the changes?", nullptr,
                 MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
    return;
  }
  EndDialog(IDCANCEL);
}

void CInputRobotDlg::OnTimer(UINT_PTR id) {
  if (id == kRecordAtStartTimer) {
    KillTimer(id);
    RecordAndInsert();
    return;
  }
  CWnd::OnTimer(id);
}

void CInputRobotDlg::OnDestroy() {
  m_NameEdit.Detach();  // attached, not subclassed: nothing else lets go of its handle
  m_pRecordingPane = nullptr;
  m_pRecording.reset();
  if (m_pMouseDlg) {
    if (m_pMouseDlg->IsWindow()) m_pMouseDlg->DestroyWindow();
    m_pMouseDlg.reset();
  }
  if (m_pItemPane) {
    if (m_pItemPane->IsWindow()) m_pItemPane->DestroyWindow();
    m_pItemPane.reset();
  }
  if (m_pPaneStack) {
    if (m_pPaneStack->IsWindow()) m_pPaneStack->DestroyWindow();
    m_pPaneStack.reset();
  }
  CWnd::OnDestroy();
}
