// CRecordPaneDlg: the robot editor's recording pane. A button runs the visible recorder; while
// the editor is open Ctrl+Alt+R records hidden and Ctrl+Alt+S stops. The recorded lines and
// window records go into the editor's action list. CEditorRecording puts the pane into the
// editor's pane stack.
#pragma once

#include <windows.h>

#include <memory>

#include "editor/recordingslot.h"
#include "framework/dialog.h"
#include "robot/recwininfo.h"

class CExplorerPane;
class CInputRobotDlg;
class CItemPane;
class CRecordRobotDlg;

// The editor's side of a recording.
class CRecordingSink {
public:
  virtual ~CRecordingSink() = default;
  // The window records the robot already has; the recording's are added after them.
  virtual int GetWindowRecordCount() = 0;
  virtual void AddAction(const CString& line) = 0;
  virtual void AddWindowRecord(const RecWinInfo& record) = 0;
};

extern const char kRecordedStartComment[];  // "Comment: ==== Start recorded actions ===="
extern const char kRecordedEndComment[];    // "Comment: ==== End of recorded actions ===="

// The line with its window suffix " At Win [n]" moved on by offset; other lines as they are.
CString ShiftWindowSuffix(const CString& line, int offset);

// Gives a finished recording to the editor: when there are lines, the comment lines around
// them; then the recording's window records after the robot's own, with the lines' window
// positions moved on by the number of records the robot had, so older lines keep their windows.
void HandOverRecording(const CRecordRobotDlg& recorder, CRecordingSink& sink);

class CRecordPaneDlg : public CDialog, public RecordingPane {
public:
  static constexpr UINT_PTR kStartTimer = 1029;
  static constexpr int kStartHotkeyId = 1;  // Ctrl+Alt+R
  static constexpr int kStopHotkeyId = 2;   // Ctrl+Alt+S

  // The editor window is hidden while a recording runs; the sink receives the recordings.
  CRecordPaneDlg(CWnd* editor, CRecordingSink* sink);
  ~CRecordPaneDlg() override;

  // Creates the pane as a child page of parent and takes the start hotkey for its lifetime.
  BOOL Create(CWnd* parent);
  CWnd* GetPaneWindow() override { return this; }
  // A hidden recording (mode 0), started 30 ms later and stopped by Ctrl+Alt+S; or a visible
  // one (mode 1). Either way the result goes to the editor.
  void StartRecording(int mode) override;
  // The visible recorder: its start and stop buttons (or Ctrl+Alt+S) record into the list.
  void RecordIntoList() override;

  // The recorder that runs now or ran last (null before the first recording).
  CRecordRobotDlg* GetRecorder() const { return recorder_.get(); }
  INT_PTR GetLastResult() const { return lastResult_; }
  BOOL IsBusy() const { return busy_; }
  // Whether the start hotkey could be registered (another program may hold it).
  BOOL HasStartHotkey() const { return hasStartHotkey_; }

protected:
  // A new recorder; tests give one with their own clock.
  virtual CRecordRobotDlg* MakeRecorder(int mode);

  void OnTimer(UINT_PTR id);
  void OnHotKey(UINT id, UINT modifiers, UINT vk);
  void OnDestroy();
  void OnRecordButton() { RecordIntoList(); }
  // A page inside the editor: Enter and Escape do not end it.
  void OnOK() override {}
  void OnCancel() override {}
  DECLARE_MESSAGE_MAP()

private:
  void Run(int mode);

  CWnd* editor_;
  HWND activeBefore_ = nullptr;  // the window in front when the editor opened
  CRecordingSink* sink_;
  std::unique_ptr<CRecordRobotDlg> recorder_;
  INT_PTR lastResult_ = 0;
  BOOL busy_ = FALSE;
  BOOL hasStartHotkey_ = FALSE;
};

// The recording pane inside the robot editor: a collapsible panel of its pane stack, below the
// click pane, with the editor as the receiver of the recordings.
class CEditorRecording : public CRecordingSink {
public:
  explicit CEditorRecording(CInputRobotDlg& editor);
  ~CEditorRecording() override;
  CEditorRecording(const CEditorRecording&) = delete;
  CEditorRecording& operator=(const CEditorRecording&) = delete;

  // Adds the panel to the stack; FALSE when it could not be made.
  BOOL Create(CExplorerPane* stack);
  // The pane for the editor's recording slot (null before Create).
  RecordingPane* GetPane() const { return page_.get(); }

  int GetWindowRecordCount() override;
  void AddAction(const CString& line) override;
  void AddWindowRecord(const RecWinInfo& record) override;

private:
  CInputRobotDlg& editor_;
  std::unique_ptr<CRecordPaneDlg> page_;
  std::unique_ptr<CItemPane> panel_;
};
