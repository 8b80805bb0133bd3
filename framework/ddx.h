// Dialog data exchange: the DDX_ functions that a dialog's DoDataExchange calls move values
// between its members and its controls, in the direction the exchange says. A value that
// cannot be read stops the exchange with a message and the focus on that control.
#pragma once

#include <windows.h>

#include "framework/cstring.h"

class CWnd;

class CDataExchange {
public:
  CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

  BOOL m_bSaveAndValidate;  // TRUE: controls -> members
  CWnd* m_pDlgWnd;

  // The control's window (remembered for Fail); null when the dialog has no such control.
  HWND PrepareCtrl(int id);
  HWND PrepareEditCtrl(int id);
  // Refuses the exchange: the last prepared control gets the focus (an edit's text selected).
  void Fail();
  bool Failed() const { return failed_; }

private:
  HWND last_ = nullptr;
  bool lastIsEdit_ = false;
  bool failed_ = false;
};

// Attaches the object to the control (the first time only; it subclasses the control).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
void DDX_Text(CDataExchange* dx, int id, CString& value);
// Whole numbers: refused with "Please enter an integer." (or "Please enter a positive integer.").
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Text(CDataExchange* dx, int id, UINT& value);
// Check box: 0 unchecked, 1 checked, 2 indeterminate.
void DDX_Check(CDataExchange* dx, int id, int& value);
// The radio group that starts at id: the index of the checked button, -1 when none is.
void DDX_Radio(CDataExchange* dx, int id, int& value);
