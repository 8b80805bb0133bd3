// Helpers for tests of real windows: the framework's own message pump, work scheduled on the
// UI thread from inside any message loop (modal ones included), input, pixels and screenshots.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

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

}  // namespace testing_support
