// CDialog: a dialog made from a dialog template of the program's resources, modal (its own
// message loop, the owner disabled meanwhile), modeless, or as a child page of another window.
#pragma once

#include <windows.h>

#include "framework/ddx.h"
#include "framework/msgmap.h"
#include "framework/window.h"

class CDialog : public CWnd {
public:
  CDialog() = default;
  explicit CDialog(UINT templateId, CWnd* parent = nullptr) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

  // Runs the dialog modally and returns the code given to EndDialog (-1 when the template
  // cannot be made into a window). The owner is the parent's top-level window, or without a
  // parent the main window; it is disabled while the dialog runs and enabled again after.
  virtual INT_PTR DoModal();
  // Creates the dialog modeless; a template with WS_CHILD makes a child page of parent.
  virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);

  // WM_INITDIALOG: the base exchanges the members into the controls (UpdateData(FALSE)).
  // TRUE lets the system put the focus on the first control.
  virtual BOOL OnInitDialog();
  // IDOK (Enter, the OK button): the base reads the controls and, when that succeeds, ends
  // the dialog with IDOK.
  virtual void OnOK();
  // IDCANCEL (Escape, the close box, the Cancel button): the base ends the dialog with IDCANCEL.
  virtual void OnCancel();
  // Ends a modal dialog's loop with the result; hides a modeless dialog.
  void EndDialog(int result);

  // Exchanges data between the members and the controls: TRUE reads the controls
  // (and validates), FALSE fills them. FALSE when a value was refused.
  BOOL UpdateData(BOOL saveAndValidate = TRUE);
  virtual void DoDataExchange(CDataExchange*) {}

  // Keyboard messages inside the dialog go to the dialog manager (Tab, Enter, Escape...).
  BOOL PreTranslateMessage(MSG* msg) override;

  void GotoDlgCtrl(CWnd* control) { SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control->m_hWnd), TRUE); }
  void NextDlgCtrl() { SendMessage(WM_NEXTDLGCTL, 0, 0); }
  void PrevDlgCtrl() { SendMessage(WM_NEXTDLGCTL, 1, 0); }
  void SetDefID(UINT id) { SendMessage(DM_SETDEFID, id); }
  DWORD GetDefID() const { return static_cast<DWORD>(SendMessage(DM_GETDEFID)); }
  BOOL IsModal() const { return inModalLoop_; }

  UINT m_nIDTemplate = 0;
  CWnd* m_pParentWnd = nullptr;

protected:
  DECLARE_MESSAGE_MAP()

private:
  static INT_PTR CALLBACK DlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  BOOL CreateFromTemplate(UINT templateId, HWND parent);
  void OnOKCommand() { OnOK(); }
  void OnCancelCommand() { OnCancel(); }

  bool inModalLoop_ = false;
  bool endModal_ = false;
  INT_PTR modalResult_ = -1;
};
