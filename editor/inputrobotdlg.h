// CInputRobotDlg: the robot editor. The user sets a robot's name, hotkeys, repeat option and
// background flag and arranges its action lines; the click pane on the left adds actions. The
// editor checks the input, asks its parent whether the hotkeys are free, and writes the robot file.
#pragma once

#include <memory>
#include <vector>

#include "controls/explorerpane.h"
#include "controls/itempane.h"
#include "editor/inputmousedlg.h"
#include "editor/keyeditctrl.h"
#include "editor/listctrlex.h"
#include "editor/recordingslot.h"
#include "framework/collections.h"
#include "framework/ui.h"
#include "robot/robot.h"

class CEditorRecording;

class CInputRobotDlg : public CDialog {
public:
  explicit CInputRobotDlg(CWnd* parent = nullptr);
  ~CInputRobotDlg() override;

  // The names of the other robots: a new name may not equal one of them (letter case aside).
  void SetRobotNames(const CStringArray& names);
  // Before DoModal, to edit a robot: the loaded robot and the editing flag.
  void SetEditedRobot(const CRobot& robot);

  CString GetRobotName() const { return m_RobotName; }
  CString GetStartKey() const { return m_StartKey; }
  CString GetEndKey() const { return m_EndKey; }
  CRobot GetRobot() const { return m_Robot; }
  // After a rename: the old robot file could not be deleted, so the robot folder holds both.
  BOOL KeptOldFile() const { return m_KeptOldFile; }

  // Inserts one action row before the first selected row, or at the end when none is selected.
  void AddAction(const CString& line);
  void SelectAction(int row, BOOL focus);
  void FocusActionList();
  void AddWindowRecord(const RecWinInfo& record) { m_Robot.AddWindowRecord(record); }
  void ClearWindowRecords() { m_Robot.WinRecords.RemoveAll(); }
  int GetWindowRecordCount() const { return m_Robot.WinRecords.GetSize(); }
  void RecordAndInsert();
  void StartRecording();

  // TRUE when the text may be a start or end hotkey; otherwise tells the user why.
  BOOL ValidateHotkey(const CString& text);

  BOOL PreTranslateMessage(MSG* msg) override;

  BOOL m_Editing = FALSE;
  BOOL m_RecordAtStart = FALSE;
  int m_RepeatMode = 0;   // 0 a number of times, 1 until the end hotkey
  int m_RepeatCount = 1;
  int m_UseSimilarWin = 0;
  int m_RunAtBackground = 0;
  RecordingPane* m_pRecordingPane = nullptr;  // not owned

  // Controls and panes, reachable for tests and the recorder.
  CEdit m_NameEdit, m_RepeatText;
  CKeyEditCtrl m_StartKeyEdit, m_EndKeyEdit;
  CListCtrlEx m_ActionList;
  CButton m_BackgroundCheck;
  CExplorerPane* GetPaneStack() const { return m_pPaneStack.get(); }
  CInputMouseDlg* GetClickPane() const { return m_pMouseDlg.get(); }
  CItemPane* GetItemPane() const { return m_pItemPane.get(); }

protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  void OnDestroy();
  void OnTimer(UINT_PTR id);
  void OnRepeatOptions();
  void OnDeleteAction();
  void OnMoveUp();
  void OnMoveDown();
  DECLARE_MESSAGE_MAP()

private:
  void CreatePanes();
  void PlaceBesidePanes();
  void InitControls();
  void LoadRobot();
  void SetRepeatText();
  // The checks of Save, in order; FALSE after telling the user (the focus where it belongs).
  BOOL CheckInput();
  // The robot's action lines from the rows: kept statements as they were, the others translated.
  void CollectActionLines(CStringArray& lines);
  int PlainMessage(const CString& text);
  // What the editor holds of the robot, to tell whether the user changed anything.
  CString CurrentState();

  CString m_RobotName, m_StartKey, m_EndKey;
  CRobot m_Robot;
  CString m_LoadedName;  // the name the edited robot had when it was loaded
  BOOL m_KeptOldFile = FALSE;
  CString m_OpenedState;  // CurrentState() when the editor opened
  CStringArray m_RobotNames;
  // Statements the editor cannot show as an action: kept with their row (item data = index + 1)
  // and written back unchanged.
  std::vector<CString> m_KeptLines;
  std::unique_ptr<CExplorerPane> m_pPaneStack;
  std::unique_ptr<CInputMouseDlg> m_pMouseDlg;
  std::unique_ptr<CItemPane> m_pItemPane;
  // The recording pane below the click pane; it fills the recording slot.
  std::unique_ptr<CEditorRecording> m_pRecording;
};
