// Helpers for tests of real windows: the framework's own message pump, work scheduled on the
// UI thread from inside any message loop (modal ones included), input, pixels and screenshots.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// Pumps this thread's queue through the framework's pre-translate walk until test() is true.
bool PumpUiUntil(const std::function<bool()>& test, int timeoutMs = 5000);
void PumpUiFor(int milliseconds);

// Runs fn on this thread after the delay, from whatever message loop is running then.
void RunLater(int delayMs, std::function<void()> fn);

// Input from inside Wine: keys to the foreground window, the mouse at screen points.
void PressKey(BYTE vk);
void TypeText(const char* text);  // lower-case letters and digits
void MoveMouseTo(POINT screen);
void ClickAt(POINT screen);
void DoubleClickAt(POINT screen);
// The screen point of a client point of the window.
POINT ScreenPointOf(HWND hwnd, int x, int y);

// A pixel of the window's client area as it is on screen now.
COLORREF ClientPixel(HWND hwnd, int x, int y);
// How many pixels of the client rectangle r have exactly this colour.
int CountPixels(HWND hwnd, const RECT& r, COLORREF colour);

// Saves the whole window (frame included) as a 24-bit BMP file.
bool SaveWindowBitmap(HWND hwnd, const std::string& path);
// The build folder's "artifacts" folder (created when missing), where tests leave their files.
std::string ArtifactFolder();

// The display's DPI for the programs started from now on, put back as it was at the end: a
// Wine process reads it when it starts, and the suite's prefix is shared by every test program.
class LogPixels {
public:
  explicit LogPixels(DWORD dpi);
  ~LogPixels();
  LogPixels(const LogPixels&) = delete;
  LogPixels& operator=(const LogPixels&) = delete;

private:
  HKEY key_ = nullptr;
  BYTE old_[64] = {};
  DWORD type_ = REG_DWORD, size_ = 0;
  bool had_ = false;
};

// One line for the window itself when it is not inside the work area of its monitor, and for
// each visible window below it that is not inside its parent's client area or that work area:
// what the user cannot see whole.
std::vector<std::string> CutOffWindows(HWND top);

}  // namespace testing_support
