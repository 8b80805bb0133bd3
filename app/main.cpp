// The program's entry point and its one application object.
#include <windows.h>

#include "app/quorvexapp.h"

CQuorvexApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  theApp.SetCommandLine(commandLine);
  return AfxWinMain(instance);
}
