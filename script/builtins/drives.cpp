// The drive built-ins: drive lists, types, space, status, volume information and labels, the CD
// tray, and network drives. No call may show the system's "no disk" box.
#include <windows.h>

#include <mmsystem.h>
#include <winnetwk.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "script/interpreter.h"
#include "script/osversion.h"
#include "script/sysutil/sysutil.h"

namespace {

// Keeps the system's critical-error boxes off while it lives.
class CNoErrorBoxes {
public:
  CNoErrorBoxes() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
  ~CNoErrorBoxes() { SetErrorMode(previous_); }
  CNoErrorBoxes(const CNoErrorBoxes&) = delete;
  CNoErrorBoxes& operator=(const CNoErrorBoxes&) = delete;

private:
  UINT previous_;
};

// The drive text with a final backslash, as the volume functions want their root.
std::string DriveRoot(const CScriptValue& arg) {
  std::string root = arg.GetString();
  if (root.empty() || root.back() != '\\') root += '\\';
  return root;
}

struct CVolumeInfo {
  char label[MAX_PATH + 1] = "";
  char fileSystem[MAX_PATH + 1] = "";
  DWORD serial = 0;
};

bool ReadVolume(const CScriptValue& arg, CVolumeInfo& info) {
  CNoErrorBoxes quiet;
  DWORD longest = 0, flags = 0;
  return GetVolumeInformationA(DriveRoot(arg).c_str(), info.label, sizeof info.label, &info.serial, &longest, &flags,
                               info.fileSystem, sizeof info.fileSystem) != FALSE;
}

// The text of one field of the drive's volume information as the result, or @error 1.
template <typename Field>
void VolumeResult(CQuorvex_Script& script, const CScriptValue& drive, CScriptValue& result, Field field) {
  CVolumeInfo info;
  if (ReadVolume(drive, info))
    result.SetString(field(info).c_str());
  else
    script.SetError(1);
}

// Free space for the caller and total size of a drive in bytes.
bool DriveSpace(const CScriptValue& arg, double& freeBytes, double& totalBytes) {
  CNoErrorBoxes quiet;
  std::string root = DriveRoot(arg);
  typedef BOOL(WINAPI * SpaceExFn)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
  auto spaceEx = reinterpret_cast<SpaceExFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetDiskFreeSpaceExA")));
  if (spaceEx) {
    ULARGE_INTEGER available, total, free;
    if (!spaceEx(root.c_str(), &available, &total, &free)) return false;
    freeBytes = static_cast<double>(available.QuadPart);
    totalBytes = static_cast<double>(total.QuadPart);
    return true;
  }
  DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
  if (!GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) return false;
  double clusterBytes = static_cast<double>(sectorsPerCluster) * bytesPerSector;
  freeBytes = clusterBytes * freeClusters;
  totalBytes = clusterBytes * clusters;
  return true;
}

// The drive's total size or the caller's free space in MB as the result, or @error 1.
void SpaceResult(CQuorvex_Script& script, const CScriptValue& drive, CScriptValue& result, bool total) {
  double freeBytes, totalBytes;
  if (DriveSpace(drive, freeBytes, totalBytes))
    result.SetNumber((total ? totalBytes : freeBytes) / 1048576.0);
  else
    script.SetError(1);
}

}  // namespace

int CQuorvex_Script::F_DriveGetDrive(CValueList& args, CScriptValue& result) {
  static const struct {
    const char* name;
    UINT type;
  } kTypes[] = {{"cdrom", DRIVE_CDROM},   {"removable", DRIVE_REMOVABLE}, {"fixed", DRIVE_FIXED},
                {"network", DRIVE_REMOTE}, {"ramdisk", DRIVE_RAMDISK},    {"unknown", DRIVE_UNKNOWN}};
  const char* wanted = args.GetAt(0).GetString();
  bool all = lstrcmpiA(wanted, "all") == 0;
  int type = -1;
  for (const auto& entry : kTypes)
    if (lstrcmpiA(wanted, entry.name) == 0) type = static_cast<int>(entry.type);
  if (!all && type < 0) {
    SetError(1);
    return 0;
  }
  CNoErrorBoxes quiet;
  std::string drives;
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    char root[4] = {letter, ':', '\\', '\0'};
    UINT found = GetDriveTypeA(root);
    if (all ? found != DRIVE_NO_ROOT_DIR : found == static_cast<UINT>(type)) drives += letter;
  }
  if (drives.empty() || !CreateArray1D(result, static_cast<int>(drives.size()) + 1)) {
    result.SetInt(1);
    SetError(1);
    return 0;
  }
  GetArrayElement1D(result, 0)->SetInt(static_cast<int>(drives.size()));
  for (size_t i = 0; i < drives.size(); ++i) {
    char name[3] = {drives[i], ':', '\0'};
    GetArrayElement1D(result, static_cast<int>(i) + 1)->SetString(name);
  }
  return 0;
}

int CQuorvex_Script::F_DriveGetType(CValueList& args, CScriptValue& result) {
  CNoErrorBoxes quiet;
  switch (GetDriveTypeA(DriveRoot(args.GetAt(0)).c_str())) {
    case DRIVE_NO_ROOT_DIR: SetError(1); break;
    case DRIVE_REMOVABLE: result.SetString("Removable"); break;
    case DRIVE_FIXED: result.SetString("Fixed"); break;
    case DRIVE_REMOTE: result.SetString("Network"); break;
    case DRIVE_CDROM: result.SetString("CDROM"); break;
    case DRIVE_RAMDISK: result.SetString("RAMDisk"); break;
    default: result.SetString("Unknown"); break;
  }
  return 0;
}

int CQuorvex_Script::F_DriveSpaceTotal(CValueList& args, CScriptValue& result) {
  SpaceResult(*this, args.GetAt(0), result, true);
  return 0;
}

int CQuorvex_Script::F_DriveSpaceFree(CValueList& args, CScriptValue& result) {
  SpaceResult(*this, args.GetAt(0), result, false);
  return 0;
}

int CQuorvex_Script::F_DriveStatus(CValueList& args, CScriptValue& result) {
  CNoErrorBoxes quiet;
  DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
  if (GetDiskFreeSpaceA(DriveRoot(args.GetAt(0)).c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                        &clusters)) {
    result.SetString("READY");
    return 0;
  }
  switch (GetLastError()) {
    case ERROR_PATH_NOT_FOUND: result.SetString("INVALID"); break;
    case ERROR_NOT_READY: result.SetString("NOTREADY"); break;
    case ERROR_WRITE_PROTECT: result.SetString("READONLY"); break;
    default: result.SetString("UNKNOWN"); break;
  }
  SetError(1);
  return 0;
}

int CQuorvex_Script::F_DriveGetFileSystem(CValueList& args, CScriptValue& result) {
  VolumeResult(*this, args.GetAt(0), result, [](const CVolumeInfo& info) { return std::string(info.fileSystem); });
  return 0;
}

int CQuorvex_Script::F_DriveGetSerial(CValueList& args, CScriptValue& result) {
  VolumeResult(*this, args.GetAt(0), result, [](const CVolumeInfo& info) {
    char text[16];
    snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(info.serial));
    return std::string(text);
  });
  return 0;
}

int CQuorvex_Script::F_DriveGetLabel(CValueList& args, CScriptValue& result) {
  VolumeResult(*this, args.GetAt(0), result, [](const CVolumeInfo& info) { return std::string(info.label); });
  return 0;
}

int CQuorvex_Script::F_DriveSetLabel(CValueList& args, CScriptValue& result) {
  CNoErrorBoxes quiet;
  result.SetInt(SetVolumeLabelA(DriveRoot(args.GetAt(0)).c_str(), args.GetAt(1).GetString()) != FALSE);
  return 0;
}

int CQuorvex_Script::F_CDTray(CValueList& args, CScriptValue& result) {
  CNoErrorBoxes quiet;
  const char* drive = args.GetAt(0).GetString();
  CScriptString action(args.GetAt(1).GetString());
  action.MakeLower();
  if (action.Equals("close")) action = "closed";
  result.SetInt(0);
  if ((!action.Equals("open") && !action.Equals("closed")) || GetDriveTypeA(drive) != DRIVE_CDROM) return 0;
  std::string open = std::string("open ") + drive + " type cdaudio alias cd wait";
  if (mciSendStringA(open.c_str(), nullptr, 0, nullptr) != 0) return 0;
  std::string door = std::string("set cd door ") + action.GetText() + " wait";
  bool moved = mciSendStringA(door.c_str(), nullptr, 0, nullptr) == 0;
  mciSendStringA("close cd wait", nullptr, 0, nullptr);
  result.SetInt(moved);
  return 0;
}

int CQuorvex_Script::F_DriveMapAdd(CValueList& args, CScriptValue& result) {
  CNoErrorBoxes quiet;
  std::string device = args.GetAt(0).GetString(), share = args.GetAt(1).GetString();
  bool pickDevice = device == "*";
  NETRESOURCEA resource = {};
  resource.dwType = _strnicmp(device.c_str(), "LPT", 3) == 0 ? RESOURCETYPE_PRINT : RESOURCETYPE_DISK;
  resource.lpLocalName = (device.empty() || pickDevice) ? nullptr : &device[0];
  resource.lpRemoteName = &share[0];
  DWORD flags = static_cast<DWORD>(args.GetAt(2).GetInt());
  if (pickDevice) flags |= CONNECT_REDIRECT;
  bool withUser = args.GetCount() >= 4 && !g_OSVersion.bIsWin9x;
  std::string user = args.GetAt(3).GetString(), password = args.GetAt(4).GetString();
  char assigned[MAX_PATH] = "";
  DWORD size = sizeof assigned, outcome = 0;
  DWORD error = WNetUseConnectionA(nullptr, &resource, withUser ? password.c_str() : nullptr,
                                   withUser ? user.c_str() : nullptr, flags, assigned, &size, &outcome);
  if (error != NO_ERROR) {
    int code = 1;
    switch (error) {
      case ERROR_ACCESS_DENIED: code = 2; break;
      case ERROR_ALREADY_ASSIGNED:
      case ERROR_DEVICE_ALREADY_REMEMBERED: code = 3; break;
      case ERROR_BAD_DEVICE: code = 4; break;
      case ERROR_BAD_NET_NAME: code = 5; break;
      case ERROR_INVALID_PASSWORD: code = 6; break;
    }
    result.SetInt(0);
    SetError(code);
    return 0;
  }
  if (pickDevice) result.SetString((outcome & CONNECT_LOCALDRIVE) ? assigned : "");
  return 0;
}

int CQuorvex_Script::F_DriveMapDel(CValueList& args, CScriptValue& result) {
  result.SetInt(WNetCancelConnection2A(args.GetAt(0).GetString(), 0, TRUE) == NO_ERROR);
  return 0;
}

int CQuorvex_Script::F_DriveMapGet(CValueList& args, CScriptValue& result) {
  char share[1024];
  DWORD size = sizeof share;
  if (WNetGetConnectionA(args.GetAt(0).GetString(), share, &size) != NO_ERROR) {
    result.SetString("");
    SetError(1);
    return 0;
  }
  result.SetString(share);
  return 0;
}
