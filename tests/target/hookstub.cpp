// Stand-ins for the hook library: its two entry points, with no hooks behind them. Built twice:
// pindrel_quiethook.dll says that its hooks are set (a recorder then records only what a test
// sends it), pindrel_failinghook.dll that they cannot be.
#include <windows.h>

#ifndef PINDREL_HOOK_ANSWER
#error PINDREL_HOOK_ANSWER must be TRUE or FALSE
#endif

extern "C" __declspec(dllexport) BOOL WINAPI InstallHook(HINSTANCE, HWND notify) {
  return notify && PINDREL_HOOK_ANSWER;
}

extern "C" __declspec(dllexport) BOOL WINAPI UninstallHook() { return PINDREL_HOOK_ANSWER; }
