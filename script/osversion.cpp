// The Windows version record, read once at start-up.
#include "script/osversion.h"

#include <cstring>

#include "framework/lifetime.h"

OSVersionInfo g_OSVersion PINDREL_INIT_ORDER(kInitOrderOSVersion);
static LifetimeNote g_OSVersionNote PINDREL_INIT_ORDER(kInitOrderOSVersion)("OS version record");

OSVersionInfo::OSVersionInfo() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  GetVersionExA(&info);
  Fill(info);
}

OSVersionInfo::OSVersionInfo(const OSVERSIONINFOA& info) { Fill(info); }

void OSVersionInfo::Fill(const OSVERSIONINFOA& info) {
  dwMajorVersion = info.dwMajorVersion;
  dwMinorVersion = info.dwMinorVersion;
  dwBuildNumber = info.dwBuildNumber;

  // The service-pack text without the spaces some systems pad it with.
  const char* begin = info.szCSDVersion;
  const char* end = begin + strnlen(begin, sizeof info.szCSDVersion);
  while (begin < end && *begin == ' ') ++begin;
  while (end > begin && end[-1] == ' ') --end;
  size_t length = static_cast<size_t>(end - begin);
  if (length >= sizeof szCSDVersion) length = sizeof szCSDVersion - 1;
  memcpy(szCSDVersion, begin, length);
  szCSDVersion[length] = '\0';

  bIsNTFamily = bIsWin9x = bIsNT4 = bIsNT4OrLater = bIsXP = bIsXPOrLater = bIs2000 = bIs2000OrLater = false;
  bIs98 = bIs98OrLater = bIs95 = bIs95OrLater = bIsMe = bIsMeOrLater = false;

  if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) {
    bIsNTFamily = true;
    if (info.dwMajorVersion == 4) {
      bIsNT4 = bIsNT4OrLater = true;
    } else if (info.dwMajorVersion == 5) {
      bIsNT4OrLater = bIs2000OrLater = true;
      if (info.dwMinorVersion == 0)
        bIs2000 = true;
      else
        bIsXP = bIsXPOrLater = true;
    }
  } else if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
    bIsWin9x = bIs95OrLater = true;
    dwBuildNumber &= 0xFFFF;  // the high word holds the version again on these systems
    if (info.dwMinorVersion == 0) {
      bIs95 = true;
    } else if (info.dwMinorVersion == 10) {
      bIs98 = bIs98OrLater = true;
    } else if (info.dwMinorVersion == 90) {
      bIs98OrLater = bIsMe = bIsMeOrLater = true;
    }
  }
}
