// CQuorvexDlg: the main window. It lists the robots of the robot folder, keeps their global
// hotkeys registered, starts and repeats robot runs, and at start-up runs the robot named on the
// command line. The dialog and its list live in quorvexdlg.cpp, hotkeys and runs in robotruns.cpp,
// adding and editing robots in robotedit.cpp.
#pragma once

#include <set>

#include "controls/buttonst.h"
#include "controls/sortlist.h"
#include "editor/hotkeyowner.h"
#include "framework/ui.h"
#include "robot/robot.h"
#include "schedule/scheduledtask.h"

// WM_USER+2: a second instance asks for a run; lParam = the robot file's index in the folder.
constexpr UINT WM_SCHEDULED_RUN = WM_USER + 2;
// Timers of the main dialog: the command-line run, the tip of the day.
constexpr UINT_PTR kCommandLineTimer = 1027;
constexpr UINT_PTR kTipTimer = 1031;
// The process exit code after the user quits, and after a command-line run.
constexpr int kQuitExitCode = 18;
// The exit code of a command-line run that found no robot of the name.
constexpr int kRobotNotFoundExitCode = 2;
// The exit code of a command-line run whose robot file cannot be read.
constexpr int kRobotUnreadableExitCode = 3;
// The running instance's answer to a second instance's request while it plays a robot or is
// ending: nothing was played, and the second instance asks again (never an exit code).
constexpr int kRequestBusyAnswer = 16;
// The window property that marks the main dialog for a second instance: a robot may change the
// caption, not this.
constexpr char kMainWindowMark[] = "Vantorel Pindrel Main Window";

// The robot file of a name: <robot folder>\<name>.txt.
CString RobotFilePath(const CString& name);
// Whether the system's error code for a robot file means that no such file is there (a name the
// code page could not hold, or a path too long for the system's calls, is there all the same).
BOOL IsRobotFileMissing(const CString& path, DWORD error);
// What to tell the user when a robot file cannot be read: that it cannot be found, or that it
// cannot be read and why (the system's error code).
CString RobotFileFailureText(const CString& path, DWORD error);
// A text of the program's string table.
CString AppText(UINT id);
// "option.ini" of the data folder; its "showtip=" value read over `showTip` (kept when the file
// cannot be read or names no value) and written whole.
CString OptionFilePath();
int ReadShowTip(const CString& path, int showTip);
BOOL WriteShowTip(const CString& path, int showTip);
// Sizes the window so that its client area is `client` and centres it over its parent, or on
// the screen without one.
void CenterWindowWithClientSize(CWnd* wnd, const CRect& client);

class CQuorvexDlg : public CDialog, public CHotkeyOwner {
public:
  explicit CQuorvexDlg(CWnd* parent = nullptr);
  ~CQuorvexDlg() override;

  // ---- the list ---------------------------------------------------------------------------
  // Reads every robot file of the robot folder again and lists it; enabled robots are ticked,
  // which registers their hotkeys.
  void LoadRobotList();
  // The check box of a row (1 ticked, 0 not) through its state image.
  void SetItemChecked(int row, BOOL checked);
  BOOL GetItemChecked(int row) const;
  // The array entry of the robot with this name, or -1.
  int FindRobot(const CString& name) const;
  // The first selected row, or -1.
  int GetSelectedRow() const;
  void OpenHelpFile();
  // The start-up tip: reads the option file and, unless tips are off, shows the tip of the day;
  // "Do not show this again" writes the option file.
  void ShowTipOfTheDay();
  // Reads "option.ini" of the data folder into m_ShowTip / writes it.
  void LoadOptions();
  void SaveOptions();

  // ---- hotkeys ----------------------------------------------------------------------------
  // The hotkey identifier (a global atom of the key notation) of a hotkey text, with its
  // modifier bits and virtual key; 0 when the text names no key.
  static ATOM ParseHotkeyText(const CString& text, UINT& modifiers, UINT& vk);
  // TRUE when the key is this window's hotkey now (also when a robot that shares it holds it)
  // or the text names no key.
  BOOL RegisterRobotHotkey(const CString& text);
  void UnregisterRobotHotkey(const CString& text);
  void RegisterHotkeys(BOOL startKeysOnly);
  void UnregisterHotkeys(BOOL startKeysOnly);
  BOOL IsStartHotkeyFree(const CString& text) override;
  BOOL IsEndHotkeyFree(const CString& text) override;

  // ---- runs -------------------------------------------------------------------------------
  // Plays the robot file once per repetition; FALSE when the run was refused.
  BOOL RunRobot(const CString& path);
  BOOL RunCurrentRobot();
  // Sets IsRobotNotFound().
  BOOL RunRobotByName(const CString& name);
  // The last RunRobotByName found no robot file of the name.
  BOOL IsRobotNotFound() const { return m_RobotNotFound; }
  // The last run was refused because its robot file cannot be read.
  BOOL IsRobotUnreadable() const { return m_RobotUnreadable; }
  // The exit code that tells the starter of a command-line run how the last RunRobotByName went.
  int CommandLineExitCode() const;
  // The name of the index-th robot file of the robot folder (files only), "" when none.
  CString GetRobotNameByIndex(int index);
  // Ends the program: releases every hotkey and posts the quit message with the exit code. A
  // run in progress ends before its next line.
  void QuitApplication(int exitCode = kQuitExitCode);

  BOOL IsRunning() const { return m_Running; }
  const CArray<CRobot>& GetRobots() const { return m_Robots; }
  CSortListCtrl& GetRobotList() { return m_RobotList; }

  // Set by the application object before the dialog is created.
  BOOL m_CommandLineRun = FALSE;
  CString m_CommandLineRobot;
  int m_ShowTip = 1;
  // The robot the editor works on ("" when adding): the hotkey checks skip it.
  CString m_EditedRobot;

protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void OnCancel() override;

  void OnPaint();
  void OnTimer(UINT_PTR id);
  HCURSOR OnQueryDragIcon();
  void OnSchedule();
  void OnRunRobot();
  void OnOptions();
  LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam);
  void OnHelp();
  void OnAddRobot();
  void OnEditRobot();
  void OnRemoveRobot();
  // The sharing page of the selected robot (command 1148, from the robot list's context menu).
  void OnShareRobot();
  LRESULT OnContextMenu(WPARAM wParam, LPARAM lParam);
  void OnHotKey(UINT id, UINT modifiers, UINT vk);
  LRESULT OnScheduledRun(WPARAM wParam, LPARAM lParam);
  void OnRobotListItemChanged(NMHDR* hdr, LRESULT* result);
  DECLARE_MESSAGE_MAP()

private:
  void InitButtons();
  void InitRobotList();
  void HideTrayIcon();
  // Registers again the keys of the enabled robots that a single unregistration may have taken
  // from them (robots can share a key); start keys only while no run is in progress, and the
  // running robot's end key while one is.
  void RestoreSharedHotkeys();
  // Whether the key is the start or end key of a ticked robot.
  bool IsKeyOfEnabledRobot(const CString& text) const;
  void StopRun();
  // Tells, once per robot, that a tick is not saved (the text says why).
  void NoteUnsavedTick(const CString& name, const CString& text);
  // The text for a tick whose rewrite failed with the system's error.
  CString WriteFailedText(const CString& name, DWORD error) const;
  // Adds to m_HotkeyProblems the keys of the robot that name no key; TRUE when there is one.
  BOOL NoteUnreadableKeys(const CRobot& robot);
  // Adds to m_HotkeyProblems why the keys of a robot just ticked do not work: taken by another
  // program (not registered), or clashing with another ticked robot's start key.
  void NoteHotkeyProblems(const CRobot& robot, BOOL startRegistered, BOOL endRegistered);
  // Tells the user, in one box, about every problem noted; nothing when there is none.
  void ShowHotkeyProblems();
  static DWORD KeyCombination(UINT modifiers, UINT vk) { return modifiers << 16 | vk; }
  // Shows a text of the string table in the dialog's own box.
  int Message(UINT textId, UINT type = MB_OK);
  int Message(const CString& text, UINT type = MB_OK);

  CIcon m_hIcon, m_hSmallIcon;
  CBitmap m_Background;
  CSortListCtrl m_RobotList;
  CButtonST m_btnRun, m_btnSchedule, m_btnHelp, m_btnAdd, m_btnEdit, m_btnRemove;
  CButton m_btnOptions;
  CArray<CRobot> m_Robots;  // robot-folder order; rows are matched to entries by name
  CTaskScheduler m_TaskScheduler;  // this program's scheduler jobs, refilled by Schedule

  // The key combinations this window holds as hotkeys.
  std::set<DWORD> m_HeldHotkeys;
  // Lines about keys that do not work, gathered while the list loads and shown once.
  CString m_HotkeyProblems;
  // Robot files the list could not read, shown once with the hotkey problems.
  CString m_UnreadableFiles;
  BOOL m_LoadingList = FALSE;
  // Robots whose unsaved tick the user was told about.
  CStringArray m_ToldUnsaved;

  // Run state.
  CString m_CurrentRobotPath;
  CString m_RunEndKey;  // the running robot's end key, registered for the run
  BYTE m_StopRun = 0;
  BOOL m_Running = FALSE;
  BOOL m_Quitting = FALSE;
  BOOL m_RobotNotFound = FALSE;
  BOOL m_RobotUnreadable = FALSE;
};
