// Operating-system and small text utilities shared by the interpreter and its built-ins.
// None of them shows a message; each reports failure by its result or an empty buffer.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "script/scriptstring.h"

class CScriptValue;

// --- Waits ---------------------------------------------------------------------------------

// Waits n milliseconds, ending at the performance counter's deadline: Sleep (at the finest timer
// resolution) until the last 2 ms (55 ms on 9x), then a yielding busy wait.
void PreciseDelay(int milliseconds);
// The performance counter now, and its ticks per millisecond (0 when the machine has none).
LONGLONG PerfCounterNow();
LONGLONG PerfTicksPerMs();
// Waits as PreciseDelay does until the performance counter reaches `deadline`.
void WaitUntilPerfCounter(LONGLONG deadline);

// --- Message box with a time-out ------------------------------------------------------------

// Shows a box through ShowMessageBox; after timeoutMs (0 = never) the box is closed and the
// result is -1, otherwise it is the button pressed.
int MessageBoxWithTimeout(HWND owner, const char* text, const char* caption, UINT style, DWORD timeoutMs);
// Worker of the above (parameter: its private arguments) and its window-enumeration callback.
DWORD WINAPI MsgBoxTimeoutThread(LPVOID parameter);
BOOL CALLBACK FindDialogWindowProc(HWND window, LPARAM parameter);

// --- Processes ------------------------------------------------------------------------------

// Looks for a process by executable name with extension (any case) or by id (the text's atoi).
// Returns false when the process list could not be read; otherwise `found` tells whether a
// process matched and `processId` is its id.
bool ProcessFind(const char* nameOrId, DWORD& processId, bool& found);
bool ProcessFindToolhelp(const char* nameOrId, DWORD& processId, bool& found);
bool ProcessFindPsapi(const char* nameOrId, DWORD& processId, bool& found);

// Asks a window to close (WM_CLOSE, 500 ms unless hung); when it does not answer, ends its
// process, never this program's own. True when the window took the message or was ended.
bool CloseWindowOrKill(HWND window);
// EnumWindows callback: CloseWindowOrKill on every window of other processes.
BOOL CALLBACK CloseWindowProc(HWND window, LPARAM parameter);
// Logs off or shuts down with ExitWindowsEx flags (taking the shutdown privilege on NT);
// true when Windows accepted the request.
bool EnableShutdownPrivilege(UINT flags);
// The shut-down that SHUTDOWN asks for: EnableShutdownPrivilege unless a test has put another
// function in place (the real one would end the desktop the tests run in).
using ShutdownFunction = bool (*)(UINT flags);
bool ShutdownSystem(UINT flags);
// Puts `function` in place (nullptr: the real one again); returns the one it replaces.
ShutdownFunction SetShutdownFunction(ShutdownFunction function);

// --- Registry -------------------------------------------------------------------------------

// Reads a value as text into buffer (size bytes, always terminated); the buffer is empty when
// the key or value is missing or does not fit. True when the value was read.
bool RegReadString(HKEY root, const char* key, const char* value, DWORD size, char* buffer);
// Deletes every subkey of an open key, with their subkeys; the key itself stays. False at the
// first key that cannot be opened or deleted.
bool DeleteRegistryTree(HKEY key);

// --- Files ----------------------------------------------------------------------------------

// True when the path names a device rather than a file: a device name (CON, PRN, AUX, NUL,
// COM1-COM9, LPT1-LPT9, CONIN$, CONOUT$, CLOCK$) with any extension, or a path in the device
// namespace ("\\.\", "\??\", or "\\?\" other than a drive or UNC path).
bool IsDevicePath(const char* path);
// True when the path is a disk file, or does not exist (a file that a write would create), as
// the file built-ins need it: never a device, a pipe or anything else GetFileType does not call
// a disk file. Told without waiting: the name is tested first, and the look at what the path is
// opens it for no access and asynchronous use.
bool IsDiskFileOrAbsent(const char* path);
// CreateFileA for a disk file only (see IsDiskFileOrAbsent); INVALID_HANDLE_VALUE otherwise.
HANDLE OpenDiskFile(const char* path, DWORD access, DWORD share, DWORD disposition, DWORD flags);
// A stream on a disk file only, for the modes "rb", "a+b" and "w+b" (as fopen, sharing reads
// and writes); null when it is no disk file or does not open.
FILE* OpenDiskStream(const char* path, const char* mode);
// The prefix of the script's temporaries (robot/tempfiles.h gives their form).
constexpr char kScriptTempPrefix[] = "~pdl";
// A new empty temporary of the script in `folder` (path: MAX_PATH bytes), where a file is written
// before it replaces its target; the temporaries there whose writer is gone are removed first.
bool MakeScriptTemporary(const char* folder, char* path);
// True when the path exists, or when the wildcard pattern matches anything.
bool FileExistsPattern(const char* path);
bool IsDirectory(const char* path);
// Full path (buffer of MAX_PATH bytes) without a final backslash; empty and false on failure.
bool GetFullPathNoSlash(const char* name, char* buffer);
// Removes one final backslash from a non-empty text.
void StripTrailingBackslash(char* text);
// The path with the long names of its components (buffer of MAX_PATH bytes); on failure the
// path is copied unchanged and the result is false.
bool GetLongPathViaShell(const char* path, char* buffer);
// True when the two paths lie on different drives, or when either has no drive letter.
bool DrivesDiffer(const char* path1, const char* path2);
// Deletes every file matching the pattern (a folder stands for every file in it). True when at
// least one file was deleted and no deletion failed.
bool FileDeletePattern(const char* path);
// Copies or moves every file matching the source pattern to the destination (a folder, a file
// name or a wildcard name such as "x\*.bak"). An existing target is replaced only with
// `overwrite`; a file is never copied onto itself. True when every match was done.
bool FileCopyMovePattern(const char* source, const char* destination, bool overwrite, bool move);
// The target path (MAX_PATH bytes) for a source file name and a destination with wildcards.
void WildcardTargetName(const char* sourceName, const char* destination, char* target);
// The pattern's first "*" replaced by text, its other "*" removed (result: MAX_PATH bytes).
void ReplaceWildcard(const char* text, const char* pattern, char* result);
// SetFileTimeEx `which`: 0 the last-write time, 1 the creation time, other the last-access time.
bool SetFileTimeEx(const char* path, const FILETIME& time, int which);
// "a.b.c.d" from the file's version resource (buffer of at least 24 bytes); false without one.
bool GetFileVersionText(const char* file, char* buffer);
// Reads one line ending at LF, CR LF, a lone CR or the end of the file, keeping at most
// size - 1 characters, without its end. False at the end of the file. With `consumed`, adds the
// bytes it took from the file (the line's end included) to it.
bool ReadFileLine(char* buffer, int size, FILE* file, long long* consumed = nullptr);

// --- Directories ----------------------------------------------------------------------------

// Creates a directory with every missing parent; an existing directory is success.
bool CreateDirectoryPath(const char* path);
// Copies everything in the source folder into the destination (created when missing; an
// existing one needs `overwrite`).
bool DirCopyHelper(const char* source, const char* destination, bool overwrite);
// Moves a folder (across drives: copy, then remove the source tree).
bool DirMoveHelper(const char* source, const char* destination, bool overwrite);
// Removes an empty folder, or the whole tree with `wholeTree`.
bool DirRemoveHelper(const char* path, bool wholeTree);
// SHFileOperationA (FO_COPY, FO_MOVE, FO_DELETE) with no window, no question and no error box;
// `to` may be empty. True when every file was done.
bool ShellFileOperation(UINT operation, const std::string& from, const std::string& to, WORD extraFlags = 0);

// --- Network --------------------------------------------------------------------------------

// The n-th (1-4) address of this host in dotted form (buffer of at least 16 bytes);
// "0.0.0.0" when it has fewer addresses or the sockets library fails.
void GetIPAddress(int n, char* buffer);
// Downloads the URL into the file through wininet (loaded here); `libraryMissing` is set when
// it cannot be loaded. True when the whole resource was written; the target is replaced only
// then, and no partial file is left behind.
bool InternetDownload(const char* url, const char* file, bool& libraryMissing);

// --- Sound and mouse ------------------------------------------------------------------------

// Plays a sound through MCI under the alias "PlayMe", stopping the previous one; an empty
// file name only stops it. With `wait` returns when the sound has ended.
void PlaySoundFile(const char* file, bool wait);
// "RIGHT", "MIDDLE" or any other text for the left button (any case).
void MouseButtonDown(const char* button);
void MouseButtonUp(const char* button);
// "UP" turns the wheel away from the user, anything else towards.
void MouseWheelTurn(const char* direction);

// --- Windows --------------------------------------------------------------------------------

// How long a window is given to answer a message that the engine sends it to read or search
// windows: one that has not answered by then counts as hung. The message is sent again in short
// slices meanwhile, and a stop request of the run in progress ends the wait early.
constexpr UINT kWindowPatienceMs = 5000;

// The threads that did not answer during one walk over windows: their other windows are passed
// over without another message, so a program that does not answer costs one wait per walk, not
// one per window.
class CSilentThreads {
public:
  // SendMessageTimeoutA (abort if hung) with kWindowPatienceMs as above, unless the window's
  // thread has not answered before; false when the message was not sent or not answered.
  bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& answer);
  // True when the window answers WM_NULL (as Send).
  bool Answers(HWND window) {
    DWORD_PTR answer;
    return Send(window, WM_NULL, 0, 0, answer);
  }
  // The window's text through WM_GETTEXT (as Send), up to 32767 characters; false (and an
  // empty text) when it did not answer.
  bool ReadText(HWND window, CScriptString& text);

private:
  bool Knows(DWORD thread) const;
  std::vector<DWORD> threads_;
};

// True when the window does not answer WM_NULL within timeoutMs (sent as CSilentThreads sends,
// so a stop request ends the wait early: the window then counts as hung).
bool IsWindowHung(HWND window, UINT timeoutMs);
// Attaches (or detaches) this thread's input to the window's thread; not to a hung window.
void AttachToWindowThread(HWND window, bool attach);
// The texts of the window's children, one a line ("\n" after each), up to 32767 characters.
// Children that do not answer are passed over (CSilentThreads); the walk ends early on a stop
// request of the run in progress.
CScriptString GetWindowTextAll(HWND window, bool includeHidden);
// The class names of the window's children, one a line, up to 32767 characters.
CScriptString GetWindowClassList(HWND window);
BOOL CALLBACK EnumWindowTextProc(HWND child, LPARAM parameter);
BOOL CALLBACK EnumClassNamesProc(HWND child, LPARAM parameter);

// --- Hexadecimal ----------------------------------------------------------------------------

// Hexadecimal text to a 32-bit value: 0-9, A-F, a-f, at most 8 digits. An empty text gives 0
// and true; a bad character or a ninth digit gives 0 and false.
bool HexToInt(const char* text, int& value);
// Exactly `digits` upper-case hexadecimal digits; false when the value needs more.
bool IntToHex(int value, char* buffer, int digits);

// --- Arrays ---------------------------------------------------------------------------------

// Makes the value a one-dimensional array of n elements; false when it is refused.
bool CreateArray1D(CScriptValue& value, int n);
// Element i of a one-dimensional array, or null when i is out of range.
CScriptValue* GetArrayElement1D(CScriptValue& value, int i);

// --- Text -----------------------------------------------------------------------------------

// Removes every carriage return, in place.
void StripCR(char* text);
// Copies text with every LF turned into CR LF; the buffer holds the length plus the number
// of line feeds plus one.
void ExpandLF(const char* text, char* buffer);
// Appends text to buffer (currently `length` characters) while the total stays within `limit`
// characters; returns the new length.
int AppendTextLimited(char* buffer, int length, const char* text, int limit);
// Copies at most size - 1 characters and always terminates.
void CopyTextLimited(char* buffer, const char* text, int size);
// A copy on the heap (delete[] it).
char* DuplicateText(const char* text);
// Exchanges the red and blue bytes of a colour and clears the top byte.
void SwapRedBlue(DWORD& colour);
// The system's text for an error code (-1: GetLastError()), in a shared 4096-byte buffer.
const char* FormatLastErrorText(int code = -1);
