// Dialogs from templates: creation, the modal loop, OK and Cancel, data exchange.
#include "framework/dialog.h"

#include "framework/app.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
  ON_COMMAND(IDOK, &CDialog::OnOKCommand)
  ON_COMMAND(IDCANCEL, &CDialog::OnCancelCommand)
END_MESSAGE_MAP()

INT_PTR CALLBACK CDialog::DlgProc(HWND hwnd, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) return FALSE;
  auto* dlg = dynamic_cast<CDialog*>(FromHandlePermanent(hwnd));
  if (!dlg) return TRUE;
  // A pop-up dialog opens over its owner, or in the middle of the screen when the owner is not
  // to be seen (minimised or hidden): never at the owner's corner or off the screen. Its own
  // initialisation may still place it elsewhere.
  if (!(dlg->GetStyle() & WS_CHILD)) dlg->CenterWindow();
  return dlg->OnInitDialog();
}

BOOL CDialog::CreateFromTemplate(UINT templateId, HWND parent) {
  if (m_hWnd) return FALSE;
  HINSTANCE instance = AfxGetResourceHandle();
  HRSRC res = ::FindResourceA(instance, MAKEINTRESOURCEA(templateId), RT_DIALOG);
  HGLOBAL mem = res ? ::LoadResource(instance, res) : nullptr;
  auto* tmpl = mem ? static_cast<const DLGTEMPLATE*>(::LockResource(mem)) : nullptr;
  if (!tmpl) return FALSE;
  AfxInitCommonControls();
  m_nIDTemplate = templateId;
  HookWindowCreate(this);
  HWND hwnd = ::CreateDialogIndirectParamA(instance, tmpl, parent, &CDialog::DlgProc, 0);
  UnhookWindowCreate();
  if (!hwnd) {
    if (m_hWnd) Detach();
    return FALSE;
  }
  return TRUE;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
  if (parent) m_pParentWnd = parent;
  HWND parentWnd = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
  return CreateFromTemplate(templateId, parentWnd);
}

INT_PTR CDialog::DoModal() {
  HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
  if (!owner && AfxGetMainWnd()) owner = AfxGetMainWnd()->m_hWnd;
  if (owner) owner = ::GetAncestor(owner, GA_ROOT);
  if (owner && !::IsWindow(owner)) owner = nullptr;
  bool enableOwner = owner && ::IsWindowEnabled(owner);
  if (enableOwner) ::EnableWindow(owner, FALSE);

  endModal_ = false;
  modalResult_ = -1;
  inModalLoop_ = true;
  if (!CreateFromTemplate(m_nIDTemplate, owner)) {
    inModalLoop_ = false;
    if (enableOwner) ::EnableWindow(owner, TRUE);
    return -1;
  }
  HWND self = m_hWnd;
  if (!endModal_ && !(GetStyle() & WS_VISIBLE)) ShowWindow(SW_SHOWNORMAL);
  if (!AfxRunNestedLoop([&] { return endModal_ || !::IsWindow(self); })) {
    modalResult_ = IDCANCEL;  // the program is quitting
  }
  inModalLoop_ = false;

  if (enableOwner) ::EnableWindow(owner, TRUE);
  if (::IsWindow(self)) {
    if (owner && ::GetActiveWindow() == self) ::SetActiveWindow(owner);
    ::SetWindowPos(self, nullptr, 0, 0, 0, 0,
                   SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    DestroyWindow();
  }
  return modalResult_;
}

void CDialog::EndDialog(int result) {
  modalResult_ = result;
  if (inModalLoop_) {
    endModal_ = true;
    if (m_hWnd) PostMessage(WM_NULL);
  } else if (m_hWnd) {
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(&dx);
  return !dx.Failed();
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
  if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return FALSE;
  // The message loop gives a Unicode window its characters in their wide form.
  if (::IsWindowUnicode(msg->hwnd)) return ::IsDialogMessageW(m_hWnd, msg);
  return ::IsDialogMessageA(m_hWnd, msg);
}
