// The recording pane of the robot editor and the hand-over of a recording to the action list.
#include "editor/recordpanedlg.h"

#include "res/resource.h"
#include "controls/explorerpane.h"
#include "controls/itempane.h"
#include "editor/inputrobotdlg.h"
#include "editor/recordrobotdlg.h"
#include "robot/numbertext.h"

const char kRecordedStartComment[] = "Comment: ==== Start recorded actions ====";
const char kRecordedEndComment[] = "Comment: ==== End of recorded actions ====";

namespace {
const char kWindowMarker[] = " At Win [";
const UINT kStartDelayMs = 30;
const char kStartHotkeyTaken[] = "Ctrl+Alt+R is held by another program: record with the button above.";

// A top-level window the user can type into: shown, enabled, not minimised, not the editor.
bool TakesKeys(HWND hwnd, HWND editor) {
  return hwnd && hwnd != editor && hwnd != ::GetDesktopWindow() && ::IsWindowVisible(hwnd) &&
         ::IsWindowEnabled(hwnd) && !::IsIconic(hwnd) && !(::GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
}

// Where the keys typed during a hidden recording go: the window that was active before the
// editor opened, else the one under the pointer, else the first one below the editor.
HWND WindowForKeys(HWND before, HWND editor) {
  if (TakesKeys(before, editor)) return before;
  POINT p;
  if (::GetCursorPos(&p)) {
    HWND under = ::GetAncestor(::WindowFromPoint(p), GA_ROOT);
    if (TakesKeys(under, editor)) return under;
  }
  for (HWND w = ::GetWindow(editor, GW_HWNDNEXT); w; w = ::GetWindow(w, GW_HWNDNEXT))
    if (TakesKeys(w, editor)) return w;
  return nullptr;
}
}  // namespace

CString ShiftWindowSuffix(const CString& line, int offset) {
  // The last marker counts, and only with a "]" after it, as when the line is translated.
  int marker = -1;
  for (int at = line.Find(kWindowMarker); at >= 0; at = line.Find(kWindowMarker, at + 1)) marker = at;
  if (marker < 0 || offset == 0) return line;
  const int first = marker + static_cast<int>(sizeof kWindowMarker) - 1;
  const int close = line.Find(']', first);
  if (close < 0) return line;
  const int position = StringToInt(line.Mid(first, close - first));
  return line.Left(first) + IntToString(position + offset) + line.Mid(close);
}

void HandOverRecording(const CRecordRobotDlg& recorder, CRecordingSink& sink) {
  const int offset = sink.GetWindowRecordCount();
  if (recorder.GetLineCount() > 0) {
    sink.AddAction(kRecordedStartComment);
    for (int i = 0; i < recorder.GetLineCount(); ++i) {
      CString line = recorder.GetLine(i);
      if (!line.IsEmpty()) sink.AddAction(ShiftWindowSuffix(line, offset));
    }
    sink.AddAction(kRecordedEndComment);
  }
  RecWinInfo record;
  for (int i = 0; recorder.GetWindowRecord(i, record); ++i) sink.AddWindowRecord(record);
}

BEGIN_MESSAGE_MAP(CRecordPaneDlg, CDialog)
  ON_WM_TIMER()
  ON_WM_HOTKEY()
  ON_WM_DESTROY()
  ON_BN_CLICKED(IDC_RECORDING_RECORD, &CRecordPaneDlg::OnRecordButton)
END_MESSAGE_MAP()

CRecordPaneDlg::CRecordPaneDlg(CWnd* editor, CRecordingSink* sink) : editor_(editor), sink_(sink) {}

CRecordPaneDlg::~CRecordPaneDlg() {
  if (m_hWnd) DestroyWindow();
}

BOOL CRecordPaneDlg::Create(CWnd* parent) {
  // The editor is not shown yet: the window in front is the one the user worked in before.
  activeBefore_ = ::GetForegroundWindow();
  if (!CDialog::Create(IDD_RECORDING_PANE, parent)) return FALSE;
  hasStartHotkey_ = ::RegisterHotKey(m_hWnd, kStartHotkeyId, MOD_CONTROL | MOD_ALT, 'R');
  if (!hasStartHotkey_) SetDlgItemText(IDC_RECORDING_HINT, kStartHotkeyTaken);
  return TRUE;
}

CRecordRobotDlg* CRecordPaneDlg::MakeRecorder(int mode) { return new CRecordRobotDlg(mode); }

void CRecordPaneDlg::StartRecording(int mode) { Run(mode); }

void CRecordPaneDlg::RecordIntoList() { Run(-1); }

// mode -1: the visible recorder waiting for its start button; 0 and 1: started by timer 1029.
void CRecordPaneDlg::Run(int mode) {
  if (busy_) return;
  busy_ = TRUE;
  recorder_.reset();
  // A hidden recorder never takes the keyboard, and the hidden editor no longer can: a visible
  // window gets it before the editor goes, so that typing is recorded and Ctrl+Alt+S arrives.
  // It gets a message first, queued before the activation: the system takes the time of its
  // last message as the time of its request for the focus, and an old one is refused. Nothing
  // waits for the other program.
  if (mode == 0 && editor_ && editor_->m_hWnd) {
    if (HWND keys = WindowForKeys(activeBefore_, editor_->m_hWnd)) {
      ::PostMessageA(keys, WM_NULL, 0, 0);
      ::SetForegroundWindow(keys);
    }
  }
  if (editor_ && editor_->m_hWnd) editor_->ShowWindow(SW_HIDE);
  recorder_.reset(MakeRecorder(mode < 0 ? 1 : mode));
  // Ctrl+Alt+S stops any recording; the hook records its keys, and "stop" drops key-downs
  // without their key-ups.
  ::RegisterHotKey(m_hWnd, kStopHotkeyId, MOD_CONTROL | MOD_ALT, 'S');
  if (mode >= 0) SetTimer(kStartTimer, kStartDelayMs);
  lastResult_ = recorder_->DoModal();
  KillTimer(kStartTimer);
  ::UnregisterHotKey(m_hWnd, kStopHotkeyId);
  if (lastResult_ == IDOK && sink_) HandOverRecording(*recorder_, *sink_);
  if (editor_ && editor_->m_hWnd) editor_->ShowWindow(SW_SHOWNORMAL);
  busy_ = FALSE;
}

void CRecordPaneDlg::OnTimer(UINT_PTR id) {
  if (id != kStartTimer) {
    Default();
    return;
  }
  KillTimer(kStartTimer);
  if (!recorder_ || !recorder_->m_hWnd) return;
  recorder_->OnStart();
  // Without the library a hidden recorder could never be closed: it ends at once.
  if (!recorder_->IsRecording() && recorder_->GetMode() == 0) recorder_->EndDialog(IDCANCEL);
}

void CRecordPaneDlg::OnHotKey(UINT id, UINT, UINT) {
  if (id == kStartHotkeyId) {
    if (!busy_ && editor_ && editor_->IsWindowVisible() && editor_->IsWindowEnabled()) StartRecording(0);
  } else if (id == kStopHotkeyId) {
    if (busy_ && recorder_ && recorder_->m_hWnd && recorder_->IsRecording()) recorder_->OnStop();
  }
}

void CRecordPaneDlg::OnDestroy() {
  KillTimer(kStartTimer);
  if (hasStartHotkey_) ::UnregisterHotKey(m_hWnd, kStartHotkeyId);
  ::UnregisterHotKey(m_hWnd, kStopHotkeyId);
  hasStartHotkey_ = FALSE;
  Default();
}

CEditorRecording::CEditorRecording(CInputRobotDlg& editor) : editor_(editor) {}

CEditorRecording::~CEditorRecording() {
  if (panel_ && panel_->IsWindow()) panel_->DestroyWindow();
  if (page_ && page_->IsWindow()) page_->DestroyWindow();
}

BOOL CEditorRecording::Create(CExplorerPane* stack) {
  if (!stack || !stack->IsWindow()) return FALSE;
  page_ = std::make_unique<CRecordPaneDlg>(&editor_, this);
  if (!page_->Create(stack)) return FALSE;
  panel_ = std::make_unique<CItemPane>(IDD_ITEM_PANE, stack, page_.get(), IDB_PANE_CAPTION, IDB_PANE_COLLAPSED,
                                       IDB_PANE_EXPANDED, CItemPane::kExpanded);
  if (!panel_->Create(IDD_ITEM_PANE, stack)) return FALSE;
  panel_->SetTitle("Record Actions", 0xFFFFFF, nullptr);
  panel_->ShowWindow(SW_SHOW);
  stack->AddPane(panel_.get());
  stack->RecalcLayout();
  return TRUE;
}

int CEditorRecording::GetWindowRecordCount() { return editor_.GetWindowRecordCount(); }
void CEditorRecording::AddAction(const CString& line) { editor_.AddAction(line); }
void CEditorRecording::AddWindowRecord(const RecWinInfo& record) { editor_.AddWindowRecord(record); }
