// The 73 macros ("@" names): values built from the system at the moment of use.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>

#include "script/interpreter.h"
#include "script/osversion.h"
#include "script/sysutil/sysutil.h"

namespace {

const char* const kMacroNames[] = {
    "ERROR", "SEC", "MIN", "HOUR", "MDAY", "MON", "YEAR", "WDAY", "YDAY", "PROGRAMFILESDIR", "COMMONFILESDIR",
    "MYDOCUMENTSDIR", "APPDATACOMMONDIR", "DESKTOPCOMMONDIR", "DOCUMENTSCOMMONDIR", "FAVORITESCOMMONDIR",
    "PROGRAMSCOMMONDIR", "STARTMENUCOMMONDIR", "STARTUPCOMMONDIR", "APPDATADIR", "DESKTOPDIR", "FAVORITESDIR",
    "PROGRAMSDIR", "STARTMENUDIR", "STARTUPDIR", "COMPUTERNAME", "WINDOWSDIR", "SYSTEMDIR", "SW_HIDE", "SW_MINIMIZE",
    "SW_MAXIMIZE", "SW_RESTORE", "SW_SHOW", "SW_SHOWDEFAULT", "SW_SHOWMAXIMIZED", "SW_SHOWMINIMIZED",
    "SW_SHOWMINNOACTIVE", "SW_SHOWNA", "SW_SHOWNOACTIVATE", "SW_SHOWNORMAL", "SCRIPTFULLPATH", "SCRIPTNAME",
    "SCRIPTDIR", "WORKINGDIR", "OSTYPE", "OSVERSION", "OSBUILD", "OSSERVICEPACK", "OSLANG", "RUVEROVERSION",
    "IPADDRESS1", "IPADDRESS2", "IPADDRESS3", "IPADDRESS4", "CR", "LF", "CRLF", "DESKTOPWIDTH", "DESKTOPHEIGHT",
    "DESKTOPDEPTH", "DESKTOPREFRESH", "COMPILED", "COMSPEC", "TAB", "USERNAME", "TEMPDIR", "USERPROFILEDIR",
    "HOMEDRIVE", "HOMEPATH", "HOMESHARE", "LOGONSERVER", "LOGONDOMAIN", "LOGONDNSDOMAIN",
};
static_assert(sizeof kMacroNames / sizeof kMacroNames[0] == 73);

enum Macro {
  M_ERROR, M_SEC, M_MIN, M_HOUR, M_MDAY, M_MON, M_YEAR, M_WDAY, M_YDAY, M_PROGRAMFILESDIR, M_COMMONFILESDIR,
  M_MYDOCUMENTSDIR, M_APPDATACOMMONDIR, M_DESKTOPCOMMONDIR, M_DOCUMENTSCOMMONDIR, M_FAVORITESCOMMONDIR,
  M_PROGRAMSCOMMONDIR, M_STARTMENUCOMMONDIR, M_STARTUPCOMMONDIR, M_APPDATADIR, M_DESKTOPDIR, M_FAVORITESDIR,
  M_PROGRAMSDIR, M_STARTMENUDIR, M_STARTUPDIR, M_COMPUTERNAME, M_WINDOWSDIR, M_SYSTEMDIR, M_SW_HIDE, M_SW_MINIMIZE,
  M_SW_MAXIMIZE, M_SW_RESTORE, M_SW_SHOW, M_SW_SHOWDEFAULT, M_SW_SHOWMAXIMIZED, M_SW_SHOWMINIMIZED,
  M_SW_SHOWMINNOACTIVE, M_SW_SHOWNA, M_SW_SHOWNOACTIVATE, M_SW_SHOWNORMAL, M_SCRIPTFULLPATH, M_SCRIPTNAME,
  M_SCRIPTDIR, M_WORKINGDIR, M_OSTYPE, M_OSVERSION, M_OSBUILD, M_OSSERVICEPACK, M_OSLANG, M_RUVEROVERSION,
  M_IPADDRESS1, M_IPADDRESS2, M_IPADDRESS3, M_IPADDRESS4, M_CR, M_LF, M_CRLF, M_DESKTOPWIDTH, M_DESKTOPHEIGHT,
  M_DESKTOPDEPTH, M_DESKTOPREFRESH, M_COMPILED, M_COMSPEC, M_TAB, M_USERNAME, M_TEMPDIR, M_USERPROFILEDIR,
  M_HOMEDRIVE, M_HOMEPATH, M_HOMESHARE, M_LOGONSERVER, M_LOGONDOMAIN, M_LOGONDNSDOMAIN,
};

const char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char kShellFolders[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string Registry(HKEY root, const char* key, const char* value) {
  char buffer[MAX_PATH];
  RegReadString(root, key, value, sizeof buffer, buffer);
  return buffer;
}

std::string WithoutTrailingBackslash(std::string text) {
  if (!text.empty() && text.back() == '\\') text.pop_back();
  return text;
}

// A common shell folder, or the current user's one when the common one is not set.
std::string CommonFolder(const char* common, const char* user) {
  std::string text = Registry(HKEY_LOCAL_MACHINE, kShellFolders, common);
  return text.empty() ? Registry(HKEY_CURRENT_USER, kShellFolders, user) : text;
}

std::string Environment(const char* name) {
  char buffer[32768];
  DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

template <class Call>
std::string SystemText(Call call) {
  char buffer[MAX_PATH] = "";
  call(buffer);
  return buffer;
}

std::string TwoDigits(int n) {
  char text[16];
  snprintf(text, sizeof text, "%.2d", n);
  return text;
}

int DayOfYear(const SYSTEMTIME& t) {
  static const int kBefore[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  int y = t.wYear;
  bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return kBefore[(t.wMonth - 1) % 12] + t.wDay + (leap && t.wMonth > 2 ? 1 : 0);
}

int DesktopCaps(int index) {
  HWND desktop = GetDesktopWindow();
  HDC dc = GetDC(desktop);
  int value = GetDeviceCaps(dc, index);
  ReleaseDC(desktop, dc);
  return value;
}

}  // namespace

bool CQuorvex_Script::GetMacroValue(const CTokenList& tokens, int& index, CScriptValue& result) {
  static const std::unordered_map<std::string, int> lookup = [] {
    std::unordered_map<std::string, int> m;
    for (int i = 0; i < 73; ++i) m.emplace(kMacroNames[i], i);
    return m;
  }();
  const CScriptToken& token = tokens[index];
  ++index;
  CScriptString name(token.value.GetString());
  name.MakeUpper();
  auto found = lookup.find(name.GetText());
  if (found == lookup.end()) return FatalError("Unknown macro.", token.column) != 0;

  SYSTEMTIME now;
  std::string text;
  switch (found->second) {
    case M_ERROR: result.SetInt(error_); return false;
    case M_SEC: GetLocalTime(&now); text = TwoDigits(now.wSecond); break;
    case M_MIN: GetLocalTime(&now); text = TwoDigits(now.wMinute); break;
    case M_HOUR: GetLocalTime(&now); text = TwoDigits(now.wHour); break;
    case M_MDAY: GetLocalTime(&now); text = TwoDigits(now.wDay); break;
    case M_MON: GetLocalTime(&now); text = TwoDigits(now.wMonth); break;
    case M_YEAR: GetLocalTime(&now); text = std::to_string(now.wYear); break;
    case M_WDAY: GetLocalTime(&now); text = std::to_string(now.wDayOfWeek + 1); break;
    case M_YDAY: GetLocalTime(&now); text = std::to_string(DayOfYear(now)); break;
    case M_PROGRAMFILESDIR: text = Registry(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir"); break;
    case M_COMMONFILESDIR: text = Registry(HKEY_LOCAL_MACHINE, kCurrentVersion, "CommonFilesDir"); break;
    case M_MYDOCUMENTSDIR: text = WithoutTrailingBackslash(Registry(HKEY_CURRENT_USER, kShellFolders, "Personal")); break;
    case M_APPDATACOMMONDIR: text = Registry(HKEY_LOCAL_MACHINE, kShellFolders, "Common AppData"); break;
    case M_DOCUMENTSCOMMONDIR: text = Registry(HKEY_LOCAL_MACHINE, kShellFolders, "Common Documents"); break;
    case M_DESKTOPCOMMONDIR: text = CommonFolder("Common Desktop", "Desktop"); break;
    case M_FAVORITESCOMMONDIR: text = CommonFolder("Common Favorites", "Favorites"); break;
    case M_PROGRAMSCOMMONDIR: text = CommonFolder("Common Programs", "Programs"); break;
    case M_STARTMENUCOMMONDIR: text = CommonFolder("Common Start Menu", "Start Menu"); break;
    case M_STARTUPCOMMONDIR: text = CommonFolder("Common Startup", "Startup"); break;
    case M_APPDATADIR: text = Registry(HKEY_CURRENT_USER, kShellFolders, "AppData"); break;
    case M_DESKTOPDIR: text = Registry(HKEY_CURRENT_USER, kShellFolders, "Desktop"); break;
    case M_FAVORITESDIR: text = Registry(HKEY_CURRENT_USER, kShellFolders, "Favorites"); break;
    case M_PROGRAMSDIR: text = Registry(HKEY_CURRENT_USER, kShellFolders, "Programs"); break;
    case M_STARTMENUDIR: text = Registry(HKEY_CURRENT_USER, kShellFolders, "Start Menu"); break;
    case M_STARTUPDIR: text = Registry(HKEY_CURRENT_USER, kShellFolders, "Startup"); break;
    case M_COMPUTERNAME:
      text = SystemText([](char* b) {
        DWORD n = MAX_PATH;
        GetComputerNameA(b, &n);
      });
      break;
    case M_WINDOWSDIR: text = SystemText([](char* b) { GetWindowsDirectoryA(b, MAX_PATH); }); break;
    case M_SYSTEMDIR: text = SystemText([](char* b) { GetSystemDirectoryA(b, MAX_PATH); }); break;
    case M_WORKINGDIR: text = SystemText([](char* b) { GetCurrentDirectoryA(MAX_PATH, b); }); break;
    case M_USERNAME:
      text = SystemText([](char* b) {
        DWORD n = MAX_PATH;
        GetUserNameA(b, &n);
      });
      break;
    case M_SW_HIDE: result.SetInt(0); return false;
    case M_SW_SHOWNORMAL: result.SetInt(1); return false;
    case M_SW_SHOWMINIMIZED: result.SetInt(2); return false;
    case M_SW_MAXIMIZE:
    case M_SW_SHOWMAXIMIZED: result.SetInt(3); return false;
    case M_SW_SHOWNOACTIVATE: result.SetInt(4); return false;
    case M_SW_SHOW: result.SetInt(5); return false;
    case M_SW_MINIMIZE: result.SetInt(6); return false;
    case M_SW_SHOWMINNOACTIVE: result.SetInt(7); return false;
    case M_SW_SHOWNA: result.SetInt(8); return false;
    case M_SW_RESTORE: result.SetInt(9); return false;
    case M_SW_SHOWDEFAULT: result.SetInt(10); return false;
    case M_SCRIPTFULLPATH: result.SetString(ScriptFullPath); return false;
    case M_SCRIPTNAME: result.SetString(ScriptName); return false;
    case M_SCRIPTDIR: result.SetString(ScriptDir); return false;
    case M_OSTYPE: text = g_OSVersion.bIsNTFamily ? "WIN32_NT" : "WIN32_WINDOWS"; break;
    case M_OSVERSION:
      if (g_OSVersion.bIsNTFamily) {
        text = g_OSVersion.bIsXP ? "WIN_XP" : g_OSVersion.bIs2000 ? "WIN_2000" : "WIN_NT4";
      } else {
        text = g_OSVersion.bIs95 ? "WIN_95" : g_OSVersion.bIs98 ? "WIN_98" : "WIN_ME";
      }
      break;
    case M_OSBUILD: result.SetNumber(g_OSVersion.dwBuildNumber); return false;
    case M_OSSERVICEPACK: text = g_OSVersion.szCSDVersion; break;
    case M_OSLANG:
      if (g_OSVersion.bIsNTFamily) {
        text = Registry(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Nls\\Language",
                        g_OSVersion.bIs2000OrLater ? "InstallLanguage" : "Default");
      } else {
        text = Registry(HKEY_USERS, ".DEFAULT\\Control Panel\\Desktop\\ResourceLocale", "");
        text = text.size() > 4 ? text.substr(4) : std::string();
      }
      break;
    case M_RUVEROVERSION: {
      char path[MAX_PATH] = "", version[MAX_PATH] = "";
      GetModuleFileNameA(nullptr, path, MAX_PATH);
      if (GetFileVersionText(path, version)) text = version;
      break;
    }
    case M_IPADDRESS1:
    case M_IPADDRESS2:
    case M_IPADDRESS3:
    case M_IPADDRESS4: {
      char address[64] = "0.0.0.0";
      GetIPAddress(found->second - M_IPADDRESS1 + 1, address);
      text = address;
      break;
    }
    case M_CR: text = "\r"; break;
    case M_LF: text = "\n"; break;
    case M_CRLF: text = "\r\n"; break;
    case M_TAB: text = "\t"; break;
    case M_DESKTOPWIDTH:
    case M_DESKTOPHEIGHT: {
      RECT r;
      GetWindowRect(GetDesktopWindow(), &r);
      result.SetInt(found->second == M_DESKTOPWIDTH ? r.right : r.bottom);
      return false;
    }
    case M_DESKTOPDEPTH: result.SetInt(DesktopCaps(BITSPIXEL)); return false;
    case M_DESKTOPREFRESH: result.SetInt(DesktopCaps(VREFRESH)); return false;
    case M_COMPILED: result.SetInt(0); return false;
    case M_TEMPDIR:
      text = WithoutTrailingBackslash(SystemText([](char* b) { GetTempPathA(MAX_PATH, b); }));
      break;
    case M_USERPROFILEDIR: {
      text = Registry(HKEY_CURRENT_USER, kShellFolders, "Desktop");
      size_t cut = text.rfind('\\');
      if (cut != std::string::npos) text.resize(cut);
      break;
    }
    case M_COMSPEC: text = Environment("COMSPEC"); break;
    case M_HOMEDRIVE: text = Environment("HOMEDRIVE"); break;
    case M_HOMEPATH: text = Environment("HOMEPATH"); break;
    case M_HOMESHARE: text = Environment("HOMESHARE"); break;
    case M_LOGONSERVER: text = Environment("LOGONSERVER"); break;
    case M_LOGONDOMAIN: text = Environment("USERDOMAIN"); break;
    case M_LOGONDNSDOMAIN: text = Environment("USERDNSDOMAIN"); break;
  }
  result.SetString(text.c_str());
  return false;
}
