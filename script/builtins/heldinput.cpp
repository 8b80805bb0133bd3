// The record of held keys and buttons and blocked input, and their release at the end of a run.
#include "script/builtins/heldinput.h"

#include <algorithm>
#include <vector>

#include "script/builtins/inputseam.h"
#include "script/interpreter.h"

namespace {

struct HeldKey {
  int vk;
  bool extended;
};

std::vector<HeldKey> g_keys;  // in the order they were pressed
DWORD g_buttons = 0;          // the ...UP flags of the buttons held
bool g_blocked = false;

struct Button {
  DWORD down, up;
};
const Button kButtons[] = {{MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP},
                           {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP},
                           {MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP}};

}  // namespace

void NoteKeyEvent(int vk, bool extended, bool up) {
  auto it = std::find_if(g_keys.begin(), g_keys.end(), [vk](const HeldKey& k) { return k.vk == vk; });
  if (up) {
    if (it != g_keys.end()) g_keys.erase(it);
  } else if (it == g_keys.end()) {
    g_keys.push_back({vk, extended});
  }
}

void NoteMouseButton(DWORD flags) {
  for (const Button& b : kButtons) {
    if (flags & b.down) g_buttons |= b.up;
    if (flags & b.up) g_buttons &= ~b.up;
  }
}

void NoteBlockInput(bool blocked) { g_blocked = blocked; }

void ReleaseHeldInput() {
  CInputSeam& in = Input();
  std::vector<HeldKey> keys;
  keys.swap(g_keys);
  for (auto k = keys.rbegin(); k != keys.rend(); ++k)
    in.KeybdEvent(static_cast<BYTE>(k->vk), static_cast<BYTE>(in.MapKey(k->vk, 0)),
                  KEYEVENTF_KEYUP | (k->extended ? KEYEVENTF_EXTENDEDKEY : 0));
  for (const Button& b : kButtons)
    if (g_buttons & b.up) in.MouseEvent(b.up, 0, 0, 0);
  g_buttons = 0;
  if (g_blocked) in.BlockInput(FALSE);
  g_blocked = false;
}

void CQuorvex_Script::EndRunInput() {
  // A long wait never outlives its run, whichever way the run ended.
  EndWaitTimer();
  SendKeys.ReleaseHeldModifiers();
  ReleaseHeldInput();
}
