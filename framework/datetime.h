// CDateTimeCtrl: date and time pickers.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "framework/window.h"

class CDateTimeCtrl : public CWnd {
public:
  // GDT_VALID with the time, or GDT_NONE when a picker with a check box is unchecked.
  DWORD GetTime(SYSTEMTIME& time) const {
    return static_cast<DWORD>(SendMessage(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)));
  }
  BOOL SetTime(const SYSTEMTIME& time) {
    return static_cast<BOOL>(SendMessage(DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time)));
  }
  BOOL SetFormat(const char* format) { return static_cast<BOOL>(SendMessage(DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>(format))); }
  BOOL SetRange(const SYSTEMTIME* earliest, const SYSTEMTIME* latest) {
    SYSTEMTIME range[2] = {};
    WPARAM flags = 0;
    if (earliest) range[0] = *earliest, flags |= GDTR_MIN;
    if (latest) range[1] = *latest, flags |= GDTR_MAX;
    return static_cast<BOOL>(SendMessage(DTM_SETRANGE, flags, reinterpret_cast<LPARAM>(range)));
  }
};
