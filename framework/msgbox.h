// Every message box of the program goes through ShowMessageBox, so tests can read the text
// instead of blocking on a box.
#pragma once

#include <windows.h>

#include <functional>

using MessageBoxSink = std::function<int(HWND owner, const char* text, const char* caption, UINT type)>;

// Shows a message box, or hands it to the installed sink.
int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type);

// Installs a sink (an empty one restores the real boxes); returns the previous sink.
MessageBoxSink SetMessageBoxSink(MessageBoxSink sink);

// The application title: the caption of the program's own boxes.
const char* AfxGetAppName();
void AfxSetAppName(const char* title);

// The application box: the title as caption, and the exclamation icon unless the type names an icon.
int AfxMessageBox(const char* text, UINT type = MB_OK, UINT helpId = 0);
