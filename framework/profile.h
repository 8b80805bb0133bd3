// The application profile: small settings kept in one initialisation file whose path the
// program sets at start (tests point it into a temporary folder). With no file set, reads give
// their defaults and writes fail, so nothing ever lands in a place nobody chose.
// Binary values are stored as hexadecimal text, two upper-case digits per byte.
#pragma once

#include <windows.h>

#include <string>

#include "framework/cstring.h"

void AfxSetProfileFile(const char* path);  // null or "" switches the profile off
CString AfxGetProfileFile();

// FALSE when the entry is missing or not valid hexadecimal; an empty value reads as TRUE with
// no bytes. The pointer form allocates with new[] (the caller deletes it with delete[]).
BOOL AfxGetProfileBinary(const char* section, const char* entry, std::string& bytes);
BOOL AfxGetProfileBinary(const char* section, const char* entry, BYTE** data, UINT* size);
BOOL AfxWriteProfileBinary(const char* section, const char* entry, const void* data, UINT size);

CString AfxGetProfileString(const char* section, const char* entry, const char* fallback = "");
BOOL AfxWriteProfileString(const char* section, const char* entry, const char* value);
UINT AfxGetProfileInt(const char* section, const char* entry, int fallback);
BOOL AfxWriteProfileInt(const char* section, const char* entry, int value);
