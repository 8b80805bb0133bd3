// The system around the script: environment variables, the clipboard, sounds, memory
// statistics and the administrator test.
#include "script/interpreter.h"

#include <mmsystem.h>

#include <cstring>
#include <vector>

#include "script/osversion.h"
#include "script/sysutil/sysutil.h"

namespace {

// The clipboard may be held by another program for a moment (a clipboard manager copying what
// was just put there can hold it for most of a second), and a program that opens it without a
// window can take it over between our open and our next step (Wine lets it), so that step
// fails. Either way the whole use is tried again, every 10 ms, for up to two seconds.
constexpr int kClipboardTries = 200;

// Runs `use` with the clipboard open until it returns true; false when it never did.
template <typename Use>
bool WithClipboard(Use use) {
  for (int tries = 0; tries < kClipboardTries; ++tries) {
    if (OpenClipboard(nullptr)) {
      const bool done = use();
      CloseClipboard();
      if (done) return true;
    }
    Sleep(10);
  }
  return false;
}

}  // namespace

// ENVGET(name): the variable's value, "" when it is not set.
int CQuorvex_Script::F_EnvGet(CValueList& args, CScriptValue& result) {
  std::vector<char> buffer(32768);
  DWORD length = GetEnvironmentVariableA(args.GetAt(0).GetString(), buffer.data(), static_cast<DWORD>(buffer.size()));
  if (length >= buffer.size()) length = 0;
  buffer[length] = '\0';
  result.SetString(buffer.data());
  return 0;
}

// ENVSET(name [, value]): sets the variable, or deletes it without a value.
int CQuorvex_Script::F_EnvSet(CValueList& args, CScriptValue&) {
  SetEnvironmentVariableA(args.GetAt(0).GetString(), args.GetCount() > 1 ? args.GetAt(1).GetString() : nullptr);
  return 0;
}

// ENVUPDATE: tells every top-level window that the environment changed.
int CQuorvex_Script::F_EnvUpdate(CValueList&, CScriptValue&) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(HWND_BROADCAST, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>("Environment"), SMTO_BLOCK,
                           15000, &answer))
    SetError(1);
  return 0;
}

// CLIPGET: the clipboard's text; @error 1 when it holds none.
int CQuorvex_Script::F_ClipGet(CValueList&, CScriptValue& result) {
  bool hasText = false;
  const bool read = WithClipboard([&] {
    SetLastError(0);
    HANDLE data = GetClipboardData(CF_TEXT);
    // Not open any more: taken over since it was opened, so it is read again.
    if (!data && GetLastError() == ERROR_CLIPBOARD_NOT_OPEN) return false;
    const char* text = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
    if (text) {
      result.SetString(text);
      GlobalUnlock(data);
      hasText = true;
    }
    return true;
  });
  if (!read || !hasText) SetError(1);
  return 0;
}

// CLIPPUT(text): the text replaces the clipboard's contents; result 0 when that failed.
int CQuorvex_Script::F_ClipPut(CValueList& args, CScriptValue& result) {
  const char* text = args.GetAt(0).GetString();
  size_t size = strlen(text) + 1;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  void* bytes = memory ? GlobalLock(memory) : nullptr;
  if (!bytes) {
    if (memory) GlobalFree(memory);
    result.SetInt(0);
    return 0;
  }
  memcpy(bytes, text, size);
  GlobalUnlock(memory);
  // Once SetClipboardData has taken the memory it belongs to the clipboard; until then it is
  // ours, and the next try offers it again.
  if (!WithClipboard([&] { return EmptyClipboard() && SetClipboardData(CF_TEXT, memory); })) {
    // The clipboard did not take the memory: it is still ours to free.
    GlobalFree(memory);
    result.SetInt(0);
  }
  return 0;
}

// SOUNDPLAY(file [, wait]): waits for the end only when the second argument is exactly 1.
int CQuorvex_Script::F_SoundPlay(CValueList& args, CScriptValue&) {
  PlaySoundFile(args.GetAt(0).GetString(), args.GetCount() > 1 && args.GetAt(1).GetNumber() == 1.0);
  return 0;
}

// SOUNDSETWAVEVOLUME(percent): both channels of the first wave device.
int CQuorvex_Script::F_SoundSetWaveVolume(CValueList& args, CScriptValue&) {
  int percent = args.GetAt(0).GetInt();
  if (percent < 0 || percent > 100) {
    SetError(1);
    return 0;
  }
  DWORD channel = static_cast<DWORD>(percent) * 65535 / 100;
  waveOutSetVolume(reinterpret_cast<HWAVEOUT>(0), channel << 16 | channel);
  return 0;
}

// MEMGETSTATS: memory load in percent, then physical, page-file and virtual memory (total and
// available) in KB.
int CQuorvex_Script::F_MemGetStats(CValueList&, CScriptValue& result) {
  MEMORYSTATUS status = {};
  status.dwLength = sizeof status;
  GlobalMemoryStatus(&status);
  const SIZE_T bytes[6] = {status.dwTotalPhys,     status.dwAvailPhys,    status.dwTotalPageFile,
                           status.dwAvailPageFile, status.dwTotalVirtual, status.dwAvailVirtual};
  if (!CreateArray1D(result, 7)) return 0;
  if (CScriptValue* load = GetArrayElement1D(result, 0)) load->SetInt(static_cast<int>(status.dwMemoryLoad));
  for (int i = 0; i < 6; ++i)
    if (CScriptValue* element = GetArrayElement1D(result, i + 1)) element->SetNumber(bytes[i] / 1024.0);
  return 0;
}

// ISADMIN: 1 when the service database can be locked (or another holds the lock), as only
// administrators may; always 1 on Windows 9x.
int CQuorvex_Script::F_IsAdmin(CValueList&, CScriptValue& result) {
  if (g_OSVersion.bIsWin9x) return 0;
  int admin = 0;
  if (SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_LOCK)) {
    if (SC_LOCK lock = LockServiceDatabase(manager)) {
      UnlockServiceDatabase(lock);
      admin = 1;
    } else if (GetLastError() == ERROR_SERVICE_DATABASE_LOCKED) {
      admin = 1;
    }
    CloseServiceHandle(manager);
  }
  result.SetInt(admin);
  return 0;
}
