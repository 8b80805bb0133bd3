// The process-wide record of the Windows version that built-ins and macros consult.
#pragma once

#include <windows.h>

class OSVersionInfo {
public:
  // Fills the record from GetVersionExA.
  OSVersionInfo();
  // Fills the record from a version structure already read (lets tests describe any system).
  explicit OSVersionInfo(const OSVERSIONINFOA& info);

  DWORD dwMajorVersion = 0;
  DWORD dwMinorVersion = 0;
  DWORD dwBuildNumber = 0;
  char szCSDVersion[256] = {};  // service pack, without leading and trailing spaces

  bool bIsNTFamily = false;
  bool bIsWin9x = false;  // 95, 98 and Me
  bool bIsNT4 = false;
  bool bIsNT4OrLater = false;
  bool bIsXP = false;
  bool bIsXPOrLater = false;
  bool bIs2000 = false;
  bool bIs2000OrLater = false;
  bool bIs98 = false;
  bool bIs98OrLater = false;
  bool bIs95 = false;
  bool bIs95OrLater = false;
  bool bIsMe = false;
  bool bIsMeOrLater = false;

private:
  void Fill(const OSVERSIONINFOA& info);
};

// Built before any other static object of the program, so their constructors may read it.
extern OSVersionInfo g_OSVersion;
