// Sound through MCI and synthesised mouse buttons and wheel turns.
#include "script/sysutil/sysutil.h"

#include "script/builtins/heldinput.h"
#include "script/builtins/inputseam.h"

#include <mmsystem.h>

#include <string>

void PlaySoundFile(const char* file, bool wait) {
  char mode[64];
  if (mciSendStringA("status PlayMe mode", mode, sizeof mode, nullptr) == 0)
    mciSendStringA("close PlayMe", nullptr, 0, nullptr);
  if (!file || !*file) return;
  std::string open = std::string("open \"") + file + "\" alias PlayMe";
  if (mciSendStringA(open.c_str(), nullptr, 0, nullptr) != 0) return;
  if (wait) {
    mciSendStringA("play PlayMe wait", nullptr, 0, nullptr);
    mciSendStringA("close PlayMe", nullptr, 0, nullptr);
  } else {
    mciSendStringA("play PlayMe", nullptr, 0, nullptr);  // closed by the next call or at exit
  }
}

namespace {

DWORD ButtonEvent(const char* button, bool down) {
  if (lstrcmpiA(button, "RIGHT") == 0) return down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
  if (lstrcmpiA(button, "MIDDLE") == 0) return down ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_MIDDLEUP;
  return down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
}

void MouseButtonEvent(DWORD flags) {
  Input().MouseEvent(flags, 0, 0, 0);
  NoteMouseButton(flags);
}

}  // namespace

// Buttons go through the input seam, which also notes what stays pressed at the end of a run.
void MouseButtonDown(const char* button) { MouseButtonEvent(ButtonEvent(button ? button : "", true)); }

void MouseButtonUp(const char* button) { MouseButtonEvent(ButtonEvent(button ? button : "", false)); }

void MouseWheelTurn(const char* direction) {
  int delta = (direction && lstrcmpiA(direction, "UP") == 0) ? WHEEL_DELTA : -WHEEL_DELTA;
  Input().MouseEvent(MOUSEEVENTF_WHEEL, 0, 0, static_cast<DWORD>(delta));
}
