// CChildDialog: a dialog page that lives inside another dialog as a child window. Enter and
// Escape in its controls do nothing to it: the owning dialog decides when its pages go.
#pragma once

#include "framework/dialog.h"

class CChildDialog : public CDialog {
public:
  CChildDialog(UINT templateId, CWnd* parent) : CDialog(templateId, parent) {}

protected:
  void OnOK() override {}
  void OnCancel() override {}
};
