// CSpinButtonCtrl: up-down controls.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "framework/window.h"

class CSpinButtonCtrl : public CWnd {
public:
  CWnd* SetBuddy(CWnd* buddy) {
    return FromHandle(reinterpret_cast<HWND>(SendMessage(UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy ? buddy->m_hWnd : nullptr))));
  }
  CWnd* GetBuddy() const { return FromHandle(reinterpret_cast<HWND>(SendMessage(UDM_GETBUDDY))); }
  void SetRange32(int lower, int upper) { SendMessage(UDM_SETRANGE32, lower, upper); }
  void GetRange32(int& lower, int& upper) const {
    SendMessage(UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower), reinterpret_cast<LPARAM>(&upper));
  }
  void SetRange(short lower, short upper) { SendMessage(UDM_SETRANGE, 0, MAKELPARAM(upper, lower)); }
  int SetPos32(int pos) { return static_cast<int>(SendMessage(UDM_SETPOS32, 0, pos)); }
  int GetPos32(BOOL* error = nullptr) const {
    return static_cast<int>(SendMessage(UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(error)));
  }
  int SetBase(int base) { return static_cast<int>(SendMessage(UDM_SETBASE, base)); }
};
