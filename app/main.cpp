// The program's entry point and its one application object.
#include <windows.h>

#include <cstring>

#include "app/quorvexapp.h"
#include "framework/lifetime.h"

// Built after the script engine and destroyed before it: the main dialog it deletes may still
// hold a run.
CQuorvexApp theApp PINDREL_INIT_ORDER(kInitOrderApplication);
static LifetimeNote g_AppNote PINDREL_INIT_ORDER(kInitOrderApplication)("application");

namespace {

// Wine's Task Scheduler starts a job with the job's parameters alone as the command line, without
// the program's name in front, so the runtime takes "-a" for the name: the whole line is then
// the run request.
const char* RunArguments(LPSTR commandLine) {
  const char* whole = GetCommandLineA();
  if (whole && _strnicmp(whole, "-a ", 3) == 0) return whole;
  return commandLine;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  theApp.SetCommandLine(RunArguments(commandLine));
  return AfxWinMain(instance);
}
