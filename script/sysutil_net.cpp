// Host addresses and downloads through wininet, which is loaded only when needed.
#include "script/sysutil.h"

#include <winsock.h>
#include <wininet.h>

#include <cstdio>
#include <cstring>

void GetIPAddress(int n, char* buffer) {
  strcpy(buffer, "0.0.0.0");
  WSADATA data;
  if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return;
  char host[256];
  if (gethostname(host, sizeof host) == 0) {
    hostent* entry = gethostbyname(host);
    if (entry && entry->h_addrtype == AF_INET && n >= 1) {
      int count = 0;
      while (entry->h_addr_list[count]) ++count;
      if (n <= count) {
        in_addr address;
        memcpy(&address, entry->h_addr_list[n - 1], sizeof address);
        strcpy(buffer, inet_ntoa(address));
      }
    }
  }
  WSACleanup();
}

namespace {

template <typename T>
T Entry(HMODULE module, const char* name) {
  return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

bool InternetDownload(const char* url, const char* file, bool& libraryMissing) {
  using OpenFn = HINTERNET(WINAPI*)(LPCSTR, DWORD, LPCSTR, LPCSTR, DWORD);
  using OpenUrlFn = HINTERNET(WINAPI*)(HINTERNET, LPCSTR, LPCSTR, DWORD, DWORD, DWORD_PTR);
  using ReadFn = BOOL(WINAPI*)(HINTERNET, LPVOID, DWORD, LPDWORD);
  using CloseFn = BOOL(WINAPI*)(HINTERNET);
  using QueryFn = BOOL(WINAPI*)(HINTERNET, DWORD, LPVOID, LPDWORD, LPDWORD);

  libraryMissing = false;
  HMODULE wininet = LoadLibraryA("wininet.dll");
  auto open = wininet ? Entry<OpenFn>(wininet, "InternetOpenA") : nullptr;
  auto openUrl = wininet ? Entry<OpenUrlFn>(wininet, "InternetOpenUrlA") : nullptr;
  auto read = wininet ? Entry<ReadFn>(wininet, "InternetReadFile") : nullptr;
  auto close = wininet ? Entry<CloseFn>(wininet, "InternetCloseHandle") : nullptr;
  auto query = wininet ? Entry<QueryFn>(wininet, "HttpQueryInfoA") : nullptr;
  if (!open || !openUrl || !read || !close) {
    if (wininet) FreeLibrary(wininet);
    libraryMissing = true;
    return false;
  }

  bool ok = false;
  HINTERNET session = open(nullptr, INTERNET_OPEN_TYPE_PRECONFIG_WITH_NO_AUTOPROXY, nullptr, nullptr, 0);
  HINTERNET resource =
      session ? openUrl(session, url, nullptr, 0, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_UI, 0) : nullptr;
  // An HTTP error answer is a page about the failure, not the resource asked for.
  DWORD status = 0, size = sizeof status;
  bool refused = resource && query &&
                 query(resource, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) &&
                 status >= 400;
  if (resource && !refused) {
    FILE* out = fopen(file, "wb");
    if (out) {
      char block[8192];
      for (;;) {
        DWORD got = 0;
        if (!read(resource, block, sizeof block, &got)) break;
        if (got == 0) {
          ok = true;
          break;
        }
        if (fwrite(block, 1, got, out) != got) break;
      }
      if (fclose(out) != 0) ok = false;
      if (!ok) DeleteFileA(file);
    }
  }
  if (resource) close(resource);
  if (session) close(session);
  FreeLibrary(wininet);
  return ok;
}
