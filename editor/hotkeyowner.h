// What the robot editor asks its parent window before it saves: whether another robot already
// uses a hotkey. The main dialog answers (and tells the user itself when a key is taken).
#pragma once

#include "framework/cstring.h"

class CHotkeyOwner {
public:
  virtual ~CHotkeyOwner() = default;
  virtual BOOL IsStartHotkeyFree(const CString& text) = 0;
  virtual BOOL IsEndHotkeyFree(const CString& text) = 0;
};
