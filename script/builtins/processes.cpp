// The process and run built-ins: starting programs and documents (with RunAs credentials),
// looking for, waiting for, ending and re-prioritising processes, and shutting down.
#include "script/interpreter.h"

#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "script/osversion.h"
#include "script/sysutil/sysutil.h"

namespace {

const char kProcessListError[] =
    "Unable to get a list of running processes.  If running Windows NT4 then PSAPI.DLL is required - please see the "
    "documentation.";
constexpr int kRunAsLimit = 256;
constexpr int kWideLimit = 4096;

// Text in the thread's code page as UTF-16, cut to at most `limit` characters.
std::wstring Widen(const char* text, int limit) {
  int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 1) return std::wstring();
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], n);
  wide.resize(static_cast<size_t>(n - 1 < limit ? n - 1 : limit));
  return wide;
}

// The extension of the file part of a path (from its last "."), or "".
const char* Extension(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return path.c_str() + dot;
}

using CreateWithLogonFn = BOOL(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR, DWORD, LPCWSTR, LPWSTR, DWORD, LPVOID, LPCWSTR,
                                        LPSTARTUPINFOW, LPPROCESS_INFORMATION);
using OpenProcessFn = HANDLE(WINAPI*)(DWORD, BOOL, DWORD);
using SetPriorityClassFn = BOOL(WINAPI*)(HANDLE, DWORD);

template <typename T>
T Entry(HMODULE module, const char* name) {
  return reinterpret_cast<T>(reinterpret_cast<void*>(module ? GetProcAddress(module, name) : nullptr));
}

}  // namespace

// ---- RUN, RUNWAIT, RUNREADYINPUT ----------------------------------------------------------------

int CQuorvex_Script::RunCommon(int kind, CValueList& args, CScriptValue& result, CWait* wait) {
  // "'C:\path\program.exe' arguments": the program between the first and the last single quote.
  std::string text = args.GetAt(0).GetString();
  if (text.empty() || text[0] != '\'') return FatalError("Invalid program to launch");
  size_t lastQuote = text.rfind('\'');
  if (lastQuote <= 1) return FatalError("Empty program to launch");
  std::string program = text.substr(1, lastQuote - 1);
  std::string arguments = text.substr(lastQuote + 1);
  if (GetFileAttributesA(program.c_str()) == INVALID_FILE_ATTRIBUTES) {
    // Not a path that exists: the system's search path finds the bare file name.
    size_t slash = program.rfind('\\');
    if (slash != std::string::npos) program = program.substr(slash + 1);
  }
  const char* extension = Extension(program);
  bool executable = !*extension || _stricmp(extension, ".exe") == 0;
  std::string directory = args.GetCount() > 1 ? args.GetAt(1).GetString() : "";
  const char* workingDirectory = directory.empty() ? nullptr : directory.c_str();
  int show = args.GetCount() > 2 ? args.GetAt(2).GetInt() : SW_SHOWNORMAL;

  if (!executable) {
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    // No box of the shell's own: a failure is reported here.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | (kind == 2 ? SEE_MASK_WAITFORINPUTIDLE : 0);
    info.lpFile = program.c_str();
    info.lpParameters = arguments.c_str();
    info.lpDirectory = workingDirectory;
    info.nShow = show;
    if (!ShellExecuteExA(&info))
      return FatalErrorDetail("Unable to execute the external program.", FormatLastErrorText());
    AfterRun = 1;
    if (kind == 1 && wait)
      wait->Process = info.hProcess;
    else if (info.hProcess)
      CloseHandle(info.hProcess);
    return 0;
  }

  std::string commandLine = "\"" + program + "\"" + arguments;
  PROCESS_INFORMATION started = {};
  BOOL ok;
  if (RunAsActive) {
    HMODULE advapi = GetModuleHandleA("advapi32.dll");
    if (!advapi) advapi = LoadLibraryA("advapi32.dll");  // kept loaded: later runs use it again
    auto createWithLogon = Entry<CreateWithLogonFn>(advapi, "CreateProcessWithLogonW");
    if (!createWithLogon) return FatalError("Unable to access RunAs API.");
    std::wstring wideCommand = Widen(commandLine.c_str(), kWideLimit);
    std::wstring wideDirectory = workingDirectory ? Widen(workingDirectory, kWideLimit) : std::wstring();
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    ok = createWithLogon(RunAsUser.c_str(), RunAsDomain.c_str(), RunAsPassword.c_str(), RunAsLogonFlags, nullptr,
                         &wideCommand[0], 0, nullptr, workingDirectory ? wideDirectory.c_str() : nullptr, &startup,
                         &started);
  } else {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    ok = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, workingDirectory, &startup, &started);
  }
  if (!ok) {
    if (RunErrorsFatal == 1) return FatalErrorDetail("Unable to execute the external program.", FormatLastErrorText());
    SetError(1);
    result.SetInt(0);
    return 0;
  }
  AfterRun = 1;
  CloseHandle(started.hThread);
  if (kind == 1 && wait) {
    wait->Process = started.hProcess;
    return 0;
  }
  if (kind == 2) WaitForInputIdle(started.hProcess, INFINITE);
  result.SetInt(static_cast<int>(started.dwProcessId));
  CloseHandle(started.hProcess);
  return 0;
}

// RUN(program [, working directory, show flag]): the process id of a program, 1 for a document.
int CQuorvex_Script::F_Run(CValueList& args, CScriptValue& result) { return RunCommon(0, args, result); }

// RUNREADYINPUT: as RUN, returning once the program waits for input.
int CQuorvex_Script::F_RunReadyInput(CValueList& args, CScriptValue& result) { return RunCommon(2, args, result); }

// RUNWAIT: as RUN, then waits for the program to end; its exit code. A document that started no
// process has nothing to wait for: 0.
int CQuorvex_Script::F_RunWait(CValueList& args, CScriptValue& result) {
  CWait wait;  // closes the process when the run is stopped before it ends
  int failed = RunCommon(1, args, result, &wait);
  if (failed || GetError()) return failed;
  if (!wait.Process) {
    result.SetInt(0);
    return 0;
  }
  return NestedWait(WAIT_RUNWAIT, wait, result);
}

// RUNASSET([user, domain, password [, logon option]]): on Windows 2000 and XP only.
int CQuorvex_Script::F_RunAsSet(CValueList& args, CScriptValue& result) {
  if (!g_OSVersion.bIsNTFamily || g_OSVersion.dwMajorVersion != 5) {
    result.SetInt(0);
    return 0;
  }
  int count = args.GetCount();
  if (count == 0) {
    ForgetRunAs();
    return 0;
  }
  if (count < 3) return FatalError("Incorrect number of parameters in function call.");
  ForgetRunAs();
  RunAsUser = Widen(args.GetAt(0).GetString(), kRunAsLimit);
  RunAsDomain = Widen(args.GetAt(1).GetString(), kRunAsLimit);
  RunAsPassword = Widen(args.GetAt(2).GetString(), kRunAsLimit);
  RunAsLogonFlags = LOGON_WITH_PROFILE;
  if (count == 4) {
    int option = args.GetAt(3).GetInt();
    if (option == 0) RunAsLogonFlags = 0;
    if (option == 2) RunAsLogonFlags = LOGON_NETCREDENTIALS_ONLY;
  }
  RunAsActive = 1;
  return 0;
}

void CQuorvex_Script::ForgetRunAs() {
  // The password is not left behind in freed memory.
  SecureZeroMemory(RunAsPassword.data(), RunAsPassword.size() * sizeof(wchar_t));
  RunAsPassword.clear();
  RunAsUser.clear();
  RunAsDomain.clear();
  RunAsActive = 0;
}

// ---- processes -----------------------------------------------------------------------------------

// PROCESSEXISTS(process): its id, or 0.
int CQuorvex_Script::F_ProcessExists(CValueList& args, CScriptValue& result) {
  DWORD id;
  bool found;
  if (!ProcessFind(args.GetAt(0).GetString(), id, found)) return FatalError(kProcessListError);
  result.SetInt(found ? static_cast<int>(id) : 0);
  return 0;
}

// PROCESSCLOSE(process): ends it, asking only for the right to end it; never this program.
int CQuorvex_Script::F_ProcessClose(CValueList& args, CScriptValue&) {
  DWORD id;
  bool found;
  if (!ProcessFind(args.GetAt(0).GetString(), id, found)) return FatalError(kProcessListError);
  if (!found || id == GetCurrentProcessId()) return 0;
  if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, id)) {
    TerminateProcess(process, 0);
    CloseHandle(process);
  }
  return 0;
}

// PROCESSSETPRIORITY(process, priority 0-5): 1, or 0 with @error 1 (2: a class 9x lacks) when the
// process does not run or the system refuses the change.
int CQuorvex_Script::F_ProcessSetPriority(CValueList& args, CScriptValue& result) {
  static const DWORD kClasses[] = {IDLE_PRIORITY_CLASS,         BELOW_NORMAL_PRIORITY_CLASS, NORMAL_PRIORITY_CLASS,
                                   ABOVE_NORMAL_PRIORITY_CLASS, HIGH_PRIORITY_CLASS,         REALTIME_PRIORITY_CLASS};
  result.SetInt(0);
  SetError(1);
  DWORD id;
  bool found;
  if (!ProcessFind(args.GetAt(0).GetString(), id, found)) return FatalError(kProcessListError);
  if (!found) return 0;
  int code = args.GetAt(1).GetInt();
  if (code < 0 || code > 5) return 0;
  if ((code == 1 || code == 3) && g_OSVersion.bIsWin9x) {
    SetError(2);
    return 0;
  }
  HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
  auto open = Entry<OpenProcessFn>(kernel, "OpenProcess");
  auto setPriority = Entry<SetPriorityClassFn>(kernel, "SetPriorityClass");
  if (!open || !setPriority) return 0;
  HANDLE process = open(PROCESS_SET_INFORMATION, FALSE, id);
  if (!process) return 0;
  if (setPriority(process, kClasses[code])) {
    result.SetInt(1);
    SetError(0);
  }
  CloseHandle(process);
  return 0;
}

void CQuorvex_Script::StartProcessWait(const CValueList& args, CWait& wait) {
  wait.ProcessName.AssignText(args.GetAt(0).GetString());
  int seconds = args.GetCount() < 2 ? 0 : args.GetAt(1).GetInt();
  if (seconds <= 0)
    wait.Timeout = 0;
  else
    wait.Timeout = seconds > 0x7FFFFFFF / 1000 ? 0x7FFFFFFF : static_cast<DWORD>(seconds) * 1000;
}

int CQuorvex_Script::ProcessWaitCondition(int state) {
  DWORD id;
  bool found;
  if (!ProcessFind(Run.Wait->ProcessName, id, found)) {
    FatalError(kProcessListError);
    return -1;
  }
  return (state == WAIT_PROCESSWAIT) == found ? 1 : 0;
}

namespace {
int ProcessWaitBuiltin(CQuorvex_Script& script, int state, CValueList& args, CScriptValue& result) {
  CQuorvex_Script::CWait wait;
  script.StartProcessWait(args, wait);
  return script.NestedWait(state, wait, result);
}
}  // namespace

// PROCESSWAIT(process [, time-out]): 1 once it runs, 0 after the time-out.
int CQuorvex_Script::F_ProcessWait(CValueList& args, CScriptValue& result) {
  return ProcessWaitBuiltin(*this, WAIT_PROCESSWAIT, args, result);
}

// PROCESSWAITCLOSE(process [, time-out]): 1 once it does not run, 0 after the time-out.
int CQuorvex_Script::F_ProcessWaitClose(CValueList& args, CScriptValue& result) {
  return ProcessWaitBuiltin(*this, WAIT_PROCESSWAITCLOSE, args, result);
}

// SHUTDOWN(code): ExitWindowsEx flags (0 log off, 1 shut down, 2 reboot, 4 force, 8 power off);
// 0 when Windows refuses.
int CQuorvex_Script::F_Shutdown(CValueList& args, CScriptValue& result) {
  if (!ShutdownSystem(static_cast<UINT>(args.GetAt(0).GetInt()))) result.SetInt(0);
  return 0;
}
