// The whole window layer in one include: windows, message maps, dialogs, data exchange,
// controls, device contexts, GDI owners, menus, the application object and its profile.
//
// A dialog:
//   class CRepeatDlg : public CDialog {
//   public:
//     explicit CRepeatDlg(CWnd* parent = nullptr) : CDialog(140, parent) {}
//     int mode = 0;
//     CSpinButtonCtrl spin;
//   protected:
//     void DoDataExchange(CDataExchange* dx) override {
//       DDX_Control(dx, 1044, spin);     // attaches the object to control 1044
//       DDX_Radio(dx, 1040, mode);       // the radio group that starts at 1040
//     }
//     BOOL OnInitDialog() override {
//       CDialog::OnInitDialog();         // fills the controls from the members
//       spin.SetRange32(1, 999999);
//       return TRUE;
//     }
//     void OnTimer(UINT_PTR id);
//     void OnRepeat();
//     DECLARE_MESSAGE_MAP()
//   };
//   BEGIN_MESSAGE_MAP(CRepeatDlg, CDialog)
//     ON_WM_TIMER()
//     ON_BN_CLICKED(1035, &CRepeatDlg::OnRepeat)
//   END_MESSAGE_MAP()
//
//   CRepeatDlg dlg(this);
//   if (dlg.DoModal() == IDOK) use(dlg.mode);   // OnOK read the controls back
#pragma once

#include "framework/app.h"
#include "framework/archive.h"
#include "framework/button.h"
#include "framework/combobox.h"
#include "framework/datetime.h"
#include "framework/dc.h"
#include "framework/ddx.h"
#include "framework/dialog.h"
#include "framework/edit.h"
#include "framework/gdi.h"
#include "framework/headerctrl.h"
#include "framework/listctrl.h"
#include "framework/menu.h"
#include "framework/msgbox.h"
#include "framework/msgmap.h"
#include "framework/profile.h"
#include "framework/spinbutton.h"
#include "framework/static.h"
#include "framework/tooltip.h"
#include "framework/types.h"
#include "framework/window.h"
