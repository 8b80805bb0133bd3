// The local HTTP server of the download tests.
#include "tests/support/local_http_server.h"

#include <windows.h>

#include <cstdlib>

#include "script/sysutil/sysutil.h"
#include "tests/support/test_support.h"

namespace testing_support {

// Wine starts a Unix program without a process handle to wait on: the server's files tell when
// it listens ("port") and when it has stopped ("port.stopped").
LocalHttpServer::LocalHttpServer() {
  std::string unix = std::string(PINDREL_BINARY_DIR) + "/download-test-" + std::to_string(GetCurrentProcessId());
  folder_ = "Z:" + unix;
  for (char& c : folder_)
    if (c == '/') c = '\\';
  RemoveTree(folder_);
  CreateDirectoryA(folder_.c_str(), nullptr);
  // Its output goes nowhere: an inherited output pipe would keep the test open after its end.
  if (!StartHost("exec /usr/bin/python3 " + std::string(PINDREL_SOURCE_DIR) + "/tests/support/http_server.py " + unix +
                 " " + unix + "/port 120 </dev/null >/dev/null 2>&1")) {
    return;
  }
  if (PumpUntil([&] { return FileExists(File("port")); }, 15000)) port_ = std::atoi(ReadFileBytes(File("port")).c_str());
}

LocalHttpServer::~LocalHttpServer() {
  Stop();
  RemoveTree(folder_);
}

void LocalHttpServer::Stop() {
  if (port_ == 0 || FileExists(File("port.stopped"))) return;
  bool missing = false;
  InternetDownload(Url("/quit").c_str(), File("quit.txt").c_str(), missing);
  PumpUntil([&] { return FileExists(File("port.stopped")); }, 10000);
}

std::string LocalHttpServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

}  // namespace testing_support
