// CScheduleRobotDlg: the schedule wizard. Its pages ask how often (daily, weekly, monthly, once,
// at start-up, at logon), when, and under which account a robot runs; Finish saves the job
// that starts this program with "-a " and the robot's name.
#pragma once

#include <memory>

#include "controls/childdialog.h"
#include "framework/ui.h"
#include "schedule/scheduledtask.h"

class CScheduleRobotDlg : public CDialog {
public:
  enum Page { kKindPage, kDailyPage, kWeeklyPage, kMonthlyPage, kOncePage, kAccountPage, kPageCount };

  explicit CScheduleRobotDlg(CWnd* parent = nullptr);
  ~CScheduleRobotDlg() override;

  // The robot the job runs; set before DoModal.
  CString m_RobotName;

  // Opens the wizard on an existing job instead of the defaults; Finish then replaces it.
  void EditExistingJob(const CScheduledTask& job);

  // Builds the job from the pages and saves it; TRUE when the scheduler took it.
  BOOL CreateTask();
  // The HRESULT of the last save.
  HRESULT GetLastResult() const { return m_LastResult; }
  // The trigger the pages describe now.
  TASK_TRIGGER BuildTrigger() const;

  int GetCurrentPage() const { return m_CurrentPage; }
  CChildDialog* GetPage(int page) const { return m_Pages[page].get(); }
  // The job name of a robot: "VantorelPindrel_<name>.job".
  static CString JobNameOf(const CString& robotName);

protected:
  BOOL OnInitDialog() override;
  // Enter never ends the wizard: only Finish with a saved job, or Cancel, do.
  void OnOK() override {}
  void OnCancel() override;

  void OnTimer(UINT_PTR id);
  void OnBack();
  void OnNext();
  void OnCancelButton();
  void OnDestroy();
  DECLARE_MESSAGE_MAP()

private:
  void ShowPage();
  void SetDefaults();
  void PresetFromJob();
  // The page that follows page 0 for the chosen kind.
  int KindPage() const;
  int Kind() const;
  void UpdateControls();
  // The number field of a page, clamped to its spin range.
  int PageNumber(int page) const;
  void ShowSaveError(HRESULT hr);

  std::unique_ptr<CChildDialog> m_Pages[kPageCount];
  int m_CurrentPage = kKindPage;
  HRESULT m_LastResult = S_OK;
  // The job being changed, when the wizard was opened on one.
  std::unique_ptr<CScheduledTask> m_ExistingJob;
};
