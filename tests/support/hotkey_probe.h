// Whether anyone holds the global hotkey of a hotkey text: a probe registration of the same key
// fails while it is held.
#pragma once

#include <windows.h>

#include "app/quorvexdlg.h"

namespace testing_support {

inline bool KeyTaken(const char* text) {
  UINT modifiers = 0, vk = 0;
  if (!CQuorvexDlg::ParseHotkeyText(text, modifiers, vk)) return false;
  const int kProbeId = 0x7ABC;
  if (!RegisterHotKey(nullptr, kProbeId, modifiers, vk)) return true;
  UnregisterHotKey(nullptr, kProbeId);
  return false;
}

}  // namespace testing_support
