// Whether anyone holds the global hotkey of a hotkey text: a probe registration of the same key
// fails while it is held.
#pragma once

#include <windows.h>

#include "app/quorvexdlg.h"
#include "tests/support/test_support.h"

namespace testing_support {

inline bool KeyTaken(const char* text) {
  UINT modifiers = 0, vk = 0;
  if (!CQuorvexDlg::ParseHotkeyText(text, modifiers, vk)) return false;
  const int kProbeId = 0x7ABC;
  if (!RegisterHotKey(nullptr, kProbeId, modifiers, vk)) return true;
  UnregisterHotKey(nullptr, kProbeId);
  return false;
}

// Waits until someone holds the key: the program registering it (again). A probe that finds the
// key free holds it for a moment, and a registration the program makes in that moment fails for
// good, so the probes are spaced out: one every 200 ms, not one per pump.
inline bool WaitUntilKeyTaken(const char* text, int timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (KeyTaken(text)) return true;
    if (static_cast<int>(GetTickCount() - start) >= timeoutMs) return false;
    PumpFor(200);
  }
}

}  // namespace testing_support
