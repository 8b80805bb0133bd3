// The program's entry point and its one application object.
#include <windows.h>

#include "app/quorvexapp.h"
#include "framework/lifetime.h"

// Built after the script engine and destroyed before it: the main dialog it deletes may still
// hold a run.
CQuorvexApp theApp PINDREL_INIT_ORDER(kInitOrderApplication);
static LifetimeNote g_AppNote PINDREL_INIT_ORDER(kInitOrderApplication)("application");

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  theApp.SetCommandLine(commandLine);
  return AfxWinMain(instance);
}
