// What a run pressed and has not released (keys, mouse buttons) and whether it blocked the user's
// input, so that the end of a run can put everything back.
#pragma once

#include <windows.h>

// A key event sent as system input (not a posted message).
void NoteKeyEvent(int vk, bool extended, bool up);
// A button event: MOUSEEVENTF_LEFTDOWN, ...UP, RIGHT..., MIDDLE...; other flags are ignored.
void NoteMouseButton(DWORD flags);
void NoteBlockInput(bool blocked);
// Releases every held key (the last pressed first) and button and unblocks input, through the
// input seam; afterwards nothing is noted.
void ReleaseHeldInput();
