// Host addresses and downloads through wininet, which is loaded only when needed.
#include "script/sysutil/sysutil.h"

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

// A new empty file in the target's folder (buffer of MAX_PATH bytes), where the download is
// written before it replaces the target.
bool TemporaryFileBeside(const char* file, char* temporary) {
  char full[MAX_PATH];
  char* name = nullptr;
  DWORD length = GetFullPathNameA(file, sizeof full, full, &name);
  if (length == 0 || length >= sizeof full || !name) return false;
  *name = '\0';
  return MakeScriptTemporary(full, temporary);
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
  // A connection that drops early ends the reading like a complete answer: the announced
  // length tells them apart.
  DWORD announced = 0;
  size = sizeof announced;
  bool lengthKnown = resource && query &&
                     query(resource, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &announced, &size, nullptr);
  char partial[MAX_PATH] = {};
  if (resource && !refused && TemporaryFileBeside(file, partial)) {
    // The target is replaced only by a complete download; a failed one leaves it as it was.
    FILE* out = fopen(partial, "wb");
    if (out) {
      char block[8192];
      unsigned long long written = 0;
      for (;;) {
        DWORD got = 0;
        if (!read(resource, block, sizeof block, &got)) break;
        if (got == 0) {
          ok = !lengthKnown || written == announced;
          break;
        }
        if (fwrite(block, 1, got, out) != got) break;
        written += got;
      }
      if (fclose(out) != 0) ok = false;
    }
    if (ok) ok = MoveFileExA(partial, file, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
    if (!ok) DeleteFileA(partial);
  }
  if (resource) close(resource);
  if (session) close(session);
  FreeLibrary(wininet);
  return ok;
}
