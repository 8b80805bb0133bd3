// Temporary files written beside the files they will replace: names that say which process
// wrote them, so that the temporaries of a writer that was killed half-way can be told from the
// user's own files and from those of a writer still at work, and removed.
#pragma once

#include <windows.h>

#include <string>

// The name of a temporary: `prefix` (four characters, e.g. "~pdl"), the writer's process id and
// the low 32 bits of its start time in milliseconds (8 hexadecimal digits each), a number of 4
// hexadecimal digits, and ".tmp".
std::string StampedTemporaryName(const char* prefix, DWORD processId, DWORD startStamp, unsigned number);
// Creates a new empty temporary of this process in `folder` (with or without its final
// backslash) and gives its path; false when none could be made.
bool CreateStampedTemporary(const char* folder, const char* prefix, std::string& path);
// True when a file name (without its folder) has the form of StampedTemporaryName with `prefix`.
bool IsStampedTemporaryName(const char* name, const char* prefix);
// True when the name is such a temporary and the process that wrote it is no longer running (a
// process of the same id started at another time is another process). A process that cannot
// be asked counts as running.
bool IsStaleTemporary(const char* name, const char* prefix);
// Deletes the stale temporaries of `prefix` in `folder`; the number deleted.
int RemoveStaleTemporaries(const char* folder, const char* prefix);
// The start stamp of a process as the names carry it; 0 when it cannot be read.
DWORD ProcessStartStamp(HANDLE process);
