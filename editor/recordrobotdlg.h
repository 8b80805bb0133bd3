// CRecordRobotDlg: turns the user's live mouse and keyboard input, reported by the hook library,
// into robot action lines with the waits between them and the windows they went to.
#pragma once

#include <windows.h>

#include "controls/label.h"
#include "framework/collections.h"
#include "framework/dialog.h"
#include "robot/recwininfo.h"

// Appended to a line that faster playback leaves out.
extern const char kSpeedMark[];  // "=> [remove on faster speed]"

class CRecordRobotDlg : public CDialog {
public:
  // Mode 1: visible, always on top, driven by its buttons. Mode 0: hidden, started and stopped
  // by the editor's recording pane through OnStart and OnStop.
  explicit CRecordRobotDlg(int mode = 1, CWnd* parent = nullptr);
  ~CRecordRobotDlg() override;

  int GetLineCount() const { return m_Lines.GetSize(); }
  // The empty string outside the range.
  CString GetLine(int index) const;
  int GetWindowRecordCount() const { return m_WinRecords.GetSize(); }
  // FALSE outside the range.
  BOOL GetWindowRecord(int index, RecWinInfo& record) const;

  // "start": loads the hook library and has it report to this window. A library that is
  // missing or cannot set its hooks is reported and leaves the recorder idle.
  void OnStart();
  // "stop": cleans the lines up, releases the library and ends the dialog with IDOK.
  void OnStop();
  // Between a successful start and the stop.
  BOOL IsRecording() const { return m_hLibrary != nullptr; }
  int GetMode() const { return m_nMode; }

  // The library's file name in the program's folder, or a full path; tests point it elsewhere.
  void SetLibraryName(const char* name) { m_LibraryName = name; }

  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;

protected:
  // Seams for the tests: the clock (milliseconds) and the window in front.
  virtual DWORD TickCount() { return ::GetTickCount(); }
  virtual HWND ForegroundWindow() { return ::GetForegroundWindow(); }
  virtual HWND WindowAt(POINT screen) { return ::WindowFromPoint(screen); }

  void OnOK() override;
  void OnCancel() override;
  void OnHelpLink(NMHDR* nm, LRESULT* result);
  LRESULT OnHookMouseMove(WPARAM wParam, LPARAM lParam);
  LRESULT OnHookMouseButton(WPARAM wParam, LPARAM lParam);
  LRESULT OnHookKey(WPARAM wParam, LPARAM lParam);
  LRESULT OnWindowPosChanging(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()

  // 1 when the window's description is a new current window: it was appended to the records.
  int FindOrAddWindowRecord(HWND hWnd);
  // Numbers the windows of one program from 1 in order of first use.
  void AssignWindowIndex(RecWinInfo& record) const;
  // A move line directly followed by a wait keeps its place at every speed.
  void FixMoveSuffixes();

  // The display lines in order.
  CStringArray m_Lines;

private:
  struct Timing {
    DWORD now;
    DWORD elapsed;
    bool first;
  };
  Timing TimingStep();
  void AddWait(DWORD elapsed, bool marked);
  CString WindowSuffixOf(HWND hWnd);
  bool IsOwnWindow(HWND hWnd) const;
  // A point (x low word, y high word) on the recorder or one of its controls.
  bool IsOverOwnWindow(LPARAM point);
  // The point (x low word, y high word) is where the last recorded move left the pointer.
  bool IsRecordedPoint(LPARAM point) const;
  void AddMove(LPARAM point, bool marked);
  // Ctrl and Alt held without Shift or a Windows key.
  bool IsHotkeyHeld() const;
  bool IsSwallowed(int vk) const;
  void ForgetSwallowed(int vk);
  void SwallowRecordHotkey();
  bool IsHeld(int vk) const;
  // The library's full path: beside the program unless a path was given; empty when unknown.
  CString LibraryPath() const;
  void ReleaseHook();
  // The three clean-up passes of "stop".
  void RemoveUnmatchedKeyDowns();
  void RemoveLeadingModifierReleases();
  void RemoveTail();

  CLabel m_HelpLink;
  CArray<int> m_HeldKeys;
  // Keys of the record hotkey pressed during the recording, not recorded until they come up.
  CArray<int> m_SwallowedKeys;
  RecWinInfo m_CurrentWin;
  CArray<RecWinInfo> m_WinRecords;
  HMODULE m_hLibrary = nullptr;
  CString m_LibraryName = "automation.dll";
  POINT m_LastPoint = {0, 0};
  bool m_bHasPoint = false;
  DWORD m_LastEventTime = 0;
  DWORD m_LastMoveTime = 0;
  int m_bFirstEvent = 1;
  int m_bDetail = 0;
  int m_bHotkeyMode = 0;
  int m_bWinPending = 0;
  int m_nWinPressIndex = -1;
  int m_nMode = 1;
};
