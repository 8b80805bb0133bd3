// python3's HTTP server on 127.0.0.1 (tests/support/http_server.py) serving a fresh folder
// under the build folder, for the download tests. It stops by itself after two minutes.
#pragma once

#include <string>

namespace testing_support {

class LocalHttpServer {
public:
  LocalHttpServer();
  ~LocalHttpServer();
  LocalHttpServer(const LocalHttpServer&) = delete;
  LocalHttpServer& operator=(const LocalHttpServer&) = delete;

  // Asks the server to stop and waits until it has; nothing listens on its port afterwards.
  void Stop();
  // 0 when the server did not start.
  int port() const { return port_; }
  std::string Url(const std::string& path) const;
  // A file of the served folder (Windows path).
  std::string File(const std::string& name) const { return folder_ + "\\" + name; }

private:
  std::string folder_;
  int port_ = 0;
};

}  // namespace testing_support
