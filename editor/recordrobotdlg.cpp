// The recorder dialog: hook messages in, action lines, waits and window records out.
#include "editor/recordrobotdlg.h"

#include <shellapi.h>

#include "res/resource.h"
#include "editor/hooklib/hookmessages.h"
#include "framework/app.h"
#include "framework/msgbox.h"
#include "robot/activewinpath.h"
#include "robot/datafolder.h"
#include "robot/entrypoint.h"
#include "robot/numbertext.h"
#include "robot/keynames.h"

const char kSpeedMark[] = "=> [remove on faster speed]";

namespace {

const char kMovePrefix[] = "Mouse move to ";
const char kWaitPrefix[] = "Wait ";
const char kKeyDownPrefix[] = "Key Down ";
const char kKeyUpPrefix[] = "Key Up ";
const char kHelpAddress[] = "https://vantorel.example/pindrel/support/recorder.html";
const int kLinkCursorId = 143;

// Elapsed times above which a wait line is recorded, and the limits of the speed marks.
const DWORD kMouseWaitAbove = 50;
const DWORD kKeyWaitAbove = 200;
const DWORD kMarkKeyWaitBelow = 800;
const DWORD kMinMoveInterval = 20;

const int kTabKey = 9;
const int kLeftWinKey = 91;
const int kRightWinKey = 92;

bool StartsWith(const CString& line, const char* prefix) { return line.Find(prefix) == 0; }
bool IsWinKey(int vk) { return vk == kLeftWinKey || vk == kRightWinKey; }

// The start hotkey's keys: their release at the start of a hidden recording is not recorded.
bool IsStartHotkeyKey(int vk) {
  switch (vk) {
    case VK_MENU:
    case VK_CONTROL:
    case VK_LMENU:
    case VK_RMENU:
    case VK_LCONTROL:
    case VK_RCONTROL:
    case 'R':
      return true;
    default:
      return false;
  }
}

// Ctrl and Alt as any of their codes; with R they are the key that starts a hidden recording.
bool IsCtrl(int vk) { return vk == VK_CONTROL || vk == VK_LCONTROL || vk == VK_RCONTROL; }
bool IsAlt(int vk) { return vk == VK_MENU || vk == VK_LMENU || vk == VK_RMENU; }

CString PointText(LPARAM lParam) {
  const POINT p = HookPointOf(lParam);
  return IntToString(p.x) + ", " + IntToString(p.y);
}

CString AppText(UINT id) {
  CString text;
  text.LoadString(id);
  return text;
}

}  // namespace

BEGIN_MESSAGE_MAP(CRecordRobotDlg, CDialog)
  ON_BN_CLICKED(IDC_RECORD_START, &CRecordRobotDlg::OnStart)
  ON_BN_CLICKED(IDC_RECORD_STOP, &CRecordRobotDlg::OnStop)
  ON_NOTIFY(CLabel::kLinkClicked, IDC_RECORD_HELP, &CRecordRobotDlg::OnHelpLink)
  ON_MESSAGE(WM_HOOK_MOUSEPOSITION, &CRecordRobotDlg::OnHookMouseMove)
  ON_MESSAGE(WM_HOOK_MOUSEEVENT, &CRecordRobotDlg::OnHookMouseButton)
  ON_MESSAGE(WM_HOOK_KEY, &CRecordRobotDlg::OnHookKey)
  ON_MESSAGE(WM_WINDOWPOSCHANGING, &CRecordRobotDlg::OnWindowPosChanging)
END_MESSAGE_MAP()

CRecordRobotDlg::CRecordRobotDlg(int mode, CWnd* parent) : CDialog(IDD_RECORD_ROBOT, parent), m_nMode(mode) {}

CRecordRobotDlg::~CRecordRobotDlg() { ReleaseHook(); }

CString CRecordRobotDlg::GetLine(int index) const {
  if (index < 0 || index >= m_Lines.GetSize()) return CString();
  return m_Lines[index];
}

BOOL CRecordRobotDlg::GetWindowRecord(int index, RecWinInfo& record) const {
  if (index < 0 || index >= m_WinRecords.GetSize()) return FALSE;
  record = m_WinRecords[index];
  return TRUE;
}

void CRecordRobotDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_RECORD_HELP, m_HelpLink);
  DDX_Check(dx, IDC_RECORD_DETAIL, m_bDetail);
}

BOOL CRecordRobotDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  if (m_nMode == 1) ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  m_Lines.RemoveAll();
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_RECORD_STOP), FALSE);

  HCURSOR cursor = ::LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCEA(kLinkCursorId));
  if (!cursor) cursor = ::LoadCursorA(nullptr, IDC_HAND);
  m_HelpLink.SetTransparent(TRUE)
      .SetFontName("Tahoma", 0)
      .SetFontSize(9)
      .SetTextColor(0xFF0005)
      .SetFontUnderline(TRUE)
      .SetLink(TRUE, TRUE)
      .SetLinkCursor(cursor);

  if (m_nMode == 0) {
    m_bHotkeyMode = 1;
    ShowWindow(SW_HIDE);
    return FALSE;  // no control of a hidden dialog gets the focus
  }
  return TRUE;
}

// A hidden recorder stays hidden and never takes the keyboard from the window the user records
// in: the modal loop shows and activates a dialog that is not visible yet.
LRESULT CRecordRobotDlg::OnWindowPosChanging(WPARAM, LPARAM lParam) {
  if (m_bHotkeyMode) {
    auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
    pos->flags = (pos->flags & ~SWP_SHOWWINDOW) | SWP_NOACTIVATE;
  }
  return Default();
}

void CRecordRobotDlg::OnStart() {
  m_Lines.RemoveAll();
  m_HeldKeys.RemoveAll();
  m_SwallowedKeys.RemoveAll();
  m_WinRecords.RemoveAll();
  m_bHasPoint = false;

  // A second start while recording keeps the library it already holds.
  if (!m_hLibrary) {
    const CString path = LibraryPath();
    if (!path.IsEmpty()) m_hLibrary = ::LoadLibraryA(path);
  }
  if (!m_hLibrary) {
    AfxMessageBox(AppText(IDS_RECORD_LOAD_FAILED));
    return;
  }
  // Without its hooks the library reports nothing: a recorder that showed it records would
  // hand back an empty recording.
  auto install = BindEntryPoint<InstallHookFn>(m_hLibrary, "InstallHook");
  if (!install || !install(m_hLibrary, m_hWnd)) {
    ReleaseHook();
    AfxMessageBox(AppText(IDS_RECORD_HOOK_FAILED));
    return;
  }
  UpdateData(TRUE);
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_RECORD_DETAIL), FALSE);
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_RECORD_STOP), TRUE);
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_RECORD_START), FALSE);
  m_LastEventTime = m_LastMoveTime = TickCount();
}

// Only the program's own folder: a bare name is searched for in the current folder and along
// the path too, where any library of that name would be given the user's input.
CString CRecordRobotDlg::LibraryPath() const {
  if (m_LibraryName.FindOneOf("\\/:") >= 0) return m_LibraryName;
  const CString folder = GetProgramFolder();
  return folder.IsEmpty() ? CString() : folder + "\\" + m_LibraryName;
}

void CRecordRobotDlg::ReleaseHook() {
  if (!m_hLibrary) return;
  if (auto uninstall = BindEntryPoint<UninstallHookFn>(m_hLibrary, "UninstallHook")) uninstall();
  ::FreeLibrary(m_hLibrary);
  m_hLibrary = nullptr;
}

void CRecordRobotDlg::OnStop() {
  RemoveUnmatchedKeyDowns();
  RemoveLeadingModifierReleases();
  RemoveTail();
  ReleaseHook();
  FixMoveSuffixes();
  EndDialog(IDOK);
}

// Enter while recording stops the recording like "stop", so the hook never outlives the dialog.
void CRecordRobotDlg::OnOK() {
  if (IsRecording()) {
    OnStop();
    return;
  }
  CDialog::OnOK();
}

// Escape and the close box give up the recording: the hook is removed and the library freed.
void CRecordRobotDlg::OnCancel() {
  ReleaseHook();
  CDialog::OnCancel();
}

void CRecordRobotDlg::OnHelpLink(NMHDR*, LRESULT* result) {
  *result = 0;
  HINSTANCE shown = ::ShellExecuteA(::GetDesktopWindow(), "open", kHelpAddress, nullptr, nullptr, SW_SHOWNORMAL);
  if (reinterpret_cast<INT_PTR>(shown) <= 32) {
    CString text;
    text.Format(AppText(IDS_RECORD_WEB_FAILED), kHelpAddress);
    AfxMessageBox(text);
  }
}

CRecordRobotDlg::Timing CRecordRobotDlg::TimingStep() {
  Timing t{TickCount(), 0, false};
  if (m_bFirstEvent) {
    m_LastEventTime = m_LastMoveTime = t.now;
    m_bFirstEvent = 0;
    t.first = true;
  } else {
    t.elapsed = t.now - m_LastEventTime;
  }
  return t;
}

void CRecordRobotDlg::AddWait(DWORD elapsed, bool marked) {
  CString line = CString(kWaitPrefix) + IntToString(static_cast<int>(elapsed)) + " milliseconds";
  if (marked) line += kSpeedMark;
  m_Lines.Add(line);
}

bool CRecordRobotDlg::IsOwnWindow(HWND hWnd) const {
  return hWnd && (hWnd == m_hWnd || ::IsChild(m_hWnd, hWnd));
}

CString CRecordRobotDlg::WindowSuffixOf(HWND hWnd) {
  if (FindOrAddWindowRecord(hWnd) != 1) return CString();
  return " At Win [" + IntToString(m_WinRecords.GetSize() - 1) + "]";
}

bool CRecordRobotDlg::IsOverOwnWindow(LPARAM point) { return IsOwnWindow(WindowAt(HookPointOf(point))); }

bool CRecordRobotDlg::IsRecordedPoint(LPARAM point) const {
  const POINT p = HookPointOf(point);
  return m_bHasPoint && m_LastPoint.x == p.x && m_LastPoint.y == p.y;
}

void CRecordRobotDlg::AddMove(LPARAM point, bool marked) {
  m_Lines.Add(kMovePrefix + PointText(point) + (marked ? kSpeedMark : ""));
  m_LastPoint = HookPointOf(point);
  m_bHasPoint = true;
}

// The hook reports a press's place after the move that brought the pointer there: one line.
LRESULT CRecordRobotDlg::OnHookMouseMove(WPARAM, LPARAM lParam) {
  if (IsOverOwnWindow(lParam) || IsRecordedPoint(lParam)) return 0;
  AddMove(lParam, false);
  return 0;
}

LRESULT CRecordRobotDlg::OnHookMouseButton(WPARAM wParam, LPARAM lParam) {
  const UINT message = static_cast<UINT>(wParam);
  HWND target = reinterpret_cast<HWND>(lParam);
  switch (message) {
    // A press is reported before the system brings its window to the front, so whether the
    // recorder is in front says nothing about it: only its window tells the recorder's own.
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK: case WM_RBUTTONDOWN: case WM_RBUTTONUP:
    case WM_NCLBUTTONDOWN: case WM_NCLBUTTONUP: case WM_NCLBUTTONDBLCLK: case WM_NCRBUTTONDOWN: case WM_NCRBUTTONUP:
      if (IsOwnWindow(target)) return 0;
      break;
    case WM_MOUSEWHEEL:
      if (ForegroundWindow() == m_hWnd) return 0;
      break;
    // The way to the recorder's own buttons is not part of the recording either.
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
      if (IsOverOwnWindow(lParam)) return 0;
      // The pointer is there already (a click leaves it where its move took it): nothing
      // happened, and the time goes to the next event's wait.
      if (IsRecordedPoint(lParam)) return 0;
      break;
    default:
      break;
  }

  const Timing t = TimingStep();
  bool dropped = false;
  switch (message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE: {
      const bool followUp = m_Lines.GetSize() > 0 && StartsWith(m_Lines[m_Lines.GetUpperBound()], kMovePrefix);
      dropped = followUp && t.now - m_LastMoveTime < kMinMoveInterval && !m_bDetail;
      if (t.elapsed > kMouseWaitAbove) AddWait(t.elapsed, t.first || followUp);
      if (!dropped) AddMove(lParam, followUp);
      break;
    }
    case WM_LBUTTONDOWN: case WM_NCLBUTTONDOWN: case WM_LBUTTONUP: case WM_NCLBUTTONUP:
    case WM_LBUTTONDBLCLK: case WM_NCLBUTTONDBLCLK: case WM_RBUTTONDOWN: case WM_NCRBUTTONDOWN:
    case WM_RBUTTONUP: case WM_NCRBUTTONUP: case WM_MOUSEWHEEL: {
      if (t.elapsed > kMouseWaitAbove) AddWait(t.elapsed, t.first);
      CString line;
      switch (message) {
        case WM_LBUTTONDOWN: case WM_NCLBUTTONDOWN: line = "Mouse Left Down" + WindowSuffixOf(target); break;
        case WM_LBUTTONUP: case WM_NCLBUTTONUP: line = "Mouse Left Up"; break;
        case WM_LBUTTONDBLCLK: case WM_NCLBUTTONDBLCLK: line = "Mouse Double Click" + WindowSuffixOf(target); break;
        case WM_RBUTTONDOWN: case WM_NCRBUTTONDOWN: line = "Mouse Right Down" + WindowSuffixOf(target); break;
        case WM_RBUTTONUP: case WM_NCRBUTTONUP: line = "Mouse Right Up"; break;
        default: line = LOWORD(lParam) ? "Mouse Scroll Up" : "Mouse Scroll Down"; break;
      }
      m_Lines.Add(line);
      break;
    }
    default:
      return 0;  // not a mouse message the recorder knows: nothing, and the times stay
  }
  m_LastEventTime = t.now;
  if (!dropped) m_LastMoveTime = t.now;
  return 0;
}

bool CRecordRobotDlg::IsHeld(int vk) const {
  for (int held : m_HeldKeys)
    if (held == vk) return true;
  return false;
}

LRESULT CRecordRobotDlg::OnHookKey(WPARAM wParam, LPARAM lParam) {
  const int vk = static_cast<int>(wParam);
  const UINT message = HIWORD(lParam);
  if (IsSwallowed(vk)) {
    // A key of the record hotkey: its repeats and its release record nothing, and the time it
    // took goes to the next wait.
    if (message == WM_KEYUP) ForgetSwallowed(vk);
    return 0;
  }
  if (message == WM_KEYDOWN && vk == 'R' && IsHotkeyHeld()) {
    SwallowRecordHotkey();
    return 0;
  }

  const CString name = KeyCodeToName(vk);
  const Timing t = TimingStep();
  if (message == WM_KEYDOWN) {
    if (t.elapsed > kKeyWaitAbove) AddWait(t.elapsed, t.first || t.elapsed < kMarkKeyWaitBelow);
    if (IsWinKey(vk)) {
      m_bWinPending = 1;
      m_nWinPressIndex = -1;
    } else {
      m_bWinPending = 0;
    }
    HWND front = ForegroundWindow();
    CString suffix = front != m_hWnd ? WindowSuffixOf(front) : CString();
    m_Lines.Add(kKeyDownPrefix + name + suffix);
    if (vk == kTabKey) m_Lines.Add("Wait 200 milliseconds");
    // Held once however often the key repeats: one key-up releases it.
    if (!IsHeld(vk)) m_HeldKeys.Add(vk);
  } else if (message == WM_KEYUP) {
    if (m_bHotkeyMode && t.first && IsStartHotkeyKey(vk)) {
      m_bFirstEvent = 1;  // the release of the start hotkey
    } else {
      if (t.elapsed > kKeyWaitAbove) AddWait(t.elapsed, t.first);
      if (IsHeld(vk)) {
        if (IsWinKey(vk)) m_nWinPressIndex = m_Lines.GetSize();
        m_Lines.Add(kKeyUpPrefix + name);
        for (int i = m_HeldKeys.GetUpperBound(); i >= 0; --i)
          if (m_HeldKeys[i] == vk) m_HeldKeys.RemoveAt(i);
      } else if (!m_bWinPending) {
        m_Lines.Add("Key Press " + name);
      } else if (!IsWinKey(vk)) {
        // The system kept this key's down to itself while a Windows key was held: the press
        // plays between that Windows key's down and up.
        if (m_nWinPressIndex < 1) {
          m_Lines.Add("Key Press " + name);
        } else {
          CString winUp = m_Lines[m_nWinPressIndex];
          m_Lines.SetAt(m_nWinPressIndex, "Key Press " + name);
          m_nWinPressIndex = m_Lines.Add(winUp);
        }
      }
    }
  } else {
    return 0;
  }
  m_LastEventTime = m_LastMoveTime = t.now;
  return 0;
}

bool CRecordRobotDlg::IsHotkeyHeld() const {
  bool ctrl = false, alt = false;
  for (int held : m_HeldKeys) {
    if (IsCtrl(held)) {
      ctrl = true;
    } else if (IsAlt(held)) {
      alt = true;
    } else if (held == VK_SHIFT || held == VK_LSHIFT || held == VK_RSHIFT || IsWinKey(held)) {
      return false;  // another combination
    }
  }
  return ctrl && alt;
}

bool CRecordRobotDlg::IsSwallowed(int vk) const {
  for (int key : m_SwallowedKeys)
    if (key == vk) return true;
  return false;
}

void CRecordRobotDlg::ForgetSwallowed(int vk) {
  for (int i = m_SwallowedKeys.GetUpperBound(); i >= 0; --i)
    if (m_SwallowedKeys[i] == vk) m_SwallowedKeys.RemoveAt(i);
}

// R came down with Ctrl and Alt held: the key-downs of Ctrl and Alt just recorded go again (the
// waits between them stay, they are time the user took), and none of the three keys is
// recorded until it comes up.
void CRecordRobotDlg::SwallowRecordHotkey() {
  const CString ctrlDown = kKeyDownPrefix + KeyCodeToName(VK_CONTROL);
  const CString altDown = kKeyDownPrefix + KeyCodeToName(VK_MENU);
  int removedRecords = 0;
  for (int i = m_Lines.GetUpperBound(); i >= 0; --i) {
    const CString line = m_Lines[i];
    if (StartsWith(line, kWaitPrefix)) continue;
    const bool ctrl = StartsWith(line, ctrlDown), alt = StartsWith(line, altDown);
    if (!ctrl && !alt) break;
    for (int held = m_HeldKeys.GetUpperBound(); held >= 0; --held) {
      if (ctrl ? IsCtrl(m_HeldKeys[held]) : IsAlt(m_HeldKeys[held])) {
        if (!IsSwallowed(m_HeldKeys[held])) m_SwallowedKeys.Add(m_HeldKeys[held]);
        m_HeldKeys.RemoveAt(held);
      }
    }
    if (line.Find(" At Win [") >= 0) ++removedRecords;
    m_Lines.RemoveAt(i);
  }
  // Each suffix of a removed line added the last record: a window met first by such a line is
  // met again by the next line that goes there.
  if (removedRecords > 0) {
    m_WinRecords.SetSize(removedRecords < m_WinRecords.GetSize() ? m_WinRecords.GetSize() - removedRecords : 0);
    m_CurrentWin = m_WinRecords.GetSize() > 0 ? m_WinRecords[m_WinRecords.GetUpperBound()] : RecWinInfo();
  }
  m_SwallowedKeys.Add('R');
}

int CRecordRobotDlg::FindOrAddWindowRecord(HWND hWnd) {
  RecWinInfo info;
  CActiveWinPath service;
  if (!service.GetWindowInfo(hWnd, info)) return 0;
  if (m_WinRecords.GetSize() > 0 && info.WinPath.Compare(m_CurrentWin.WinPath) == 0 && info.hWnd == m_CurrentWin.hWnd)
    return 0;
  AssignWindowIndex(info);
  m_CurrentWin = info;
  m_WinRecords.Add(info);
  return 1;
}

void CRecordRobotDlg::AssignWindowIndex(RecWinInfo& record) const {
  CArray<HWND, HWND> others;  // the other windows of the same program, once each
  for (const RecWinInfo& r : m_WinRecords) {
    if (r.WinPath.Compare(record.WinPath) != 0) continue;
    if (r.hWnd == record.hWnd) {
      record.WinIndex = r.WinIndex;
      return;
    }
    bool counted = false;
    for (HWND h : others) counted = counted || h == r.hWnd;
    if (!counted) others.Add(r.hWnd);
  }
  record.WinIndex = others.GetSize() + 1;
}

void CRecordRobotDlg::RemoveUnmatchedKeyDowns() {
  const int prefix = static_cast<int>(sizeof kKeyDownPrefix) - 1;
  CArray<int> unmatched;  // from the last line to the first
  for (int i = m_Lines.GetUpperBound(); i >= 0; --i) {
    const CString& line = m_Lines[i];
    if (!StartsWith(line, kKeyDownPrefix)) continue;
    CString key;
    if (StartsWith(line, "Key Down <")) {
      int close = line.Find('>');
      if (close < 0) continue;
      key = line.Mid(prefix, close + 1 - prefix);
    } else {
      int blank = line.Find(' ', prefix);
      key = blank < 0 ? line.Mid(prefix) : line.Mid(prefix, blank - prefix);
    }
    const CString release = kKeyUpPrefix + key;
    bool matched = false;
    for (int j = i + 1; j < m_Lines.GetSize() && !matched; ++j) matched = StartsWith(m_Lines[j], release);
    if (!matched) unmatched.Add(i);
  }
  for (int i : unmatched) m_Lines.RemoveAt(i);  // highest index first
}

void CRecordRobotDlg::RemoveLeadingModifierReleases() {
  int i = 0;
  while (i < m_Lines.GetSize()) {
    const CString& line = m_Lines[i];
    if (StartsWith(line, "Key Up <Ctrl>") || StartsWith(line, "Key Up <Alt>")) {
      m_Lines.RemoveAt(i);
    } else if (StartsWith(line, kWaitPrefix)) {
      ++i;
    } else {
      break;
    }
  }
}

void CRecordRobotDlg::RemoveTail() {
  while (m_Lines.GetSize() > 0) {
    const CString& last = m_Lines[m_Lines.GetUpperBound()];
    if (!StartsWith(last, kWaitPrefix) && !StartsWith(last, kKeyDownPrefix)) break;
    m_Lines.RemoveAt(m_Lines.GetUpperBound());
  }
}

void CRecordRobotDlg::FixMoveSuffixes() {
  const int markLength = static_cast<int>(sizeof kSpeedMark) - 1;
  for (int i = 0; i + 1 < m_Lines.GetSize(); ++i) {
    const CString& line = m_Lines[i];
    if (!StartsWith(line, kMovePrefix) || !StartsWith(m_Lines[i + 1], kWaitPrefix)) continue;
    if (line.GetLength() >= markLength && line.Right(markLength) == kSpeedMark)
      m_Lines.SetAt(i, line.Left(line.GetLength() - markLength));
  }
}
