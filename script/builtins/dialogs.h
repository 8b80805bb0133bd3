// What the dialog built-ins show, for the tests and the host: the splash and progress windows
// and the version gate of the tray balloon.
#pragma once

#include <windows.h>

class OSVersionInfo;

// The splash and progress windows now on screen, or nullptr.
HWND SplashWindow();
HWND ProgressWindow();
// Tray balloons exist from Windows 2000 (NT 5) on.
bool TrayBalloonSupported(const OSVersionInfo& os);
