// Starts the loopback update-service stand-in (a host Python program) from inside Wine and reads its request
// log. Wine starts Unix programs through CreateProcessW; the two sides share files through drive Z:.
#pragma once

#include <string>
#include <vector>

namespace tw::test {

struct LoggedRequest {
  std::string method, target, raw;
  std::vector<std::pair<std::string, std::string>> headers;
};

class UpdateServerProcess {
 public:
  // `script_json`: the answers script (see tests/e2e/servers/update_server.py). `tls_max` non-empty: HTTPS as
  // "localhost", offering TLS up to that version ("1.1", "1.2" or "1.3"), with a throwaway test CA (one per
  // test program) that is made trusted for the current user of the run's prefix. `revoked`: the server
  // presents a certificate that the CA's revocation list revokes.
  explicit UpdateServerProcess(const std::string& script_json = "{}", const std::string& tls_max = "",
                               bool revoked = false);
  ~UpdateServerProcess();
  UpdateServerProcess(const UpdateServerProcess&) = delete;
  UpdateServerProcess& operator=(const UpdateServerProcess&) = delete;

  bool Started() const { return port_ != 0; }
  int Port() const { return port_; }
  std::u16string Url(const std::string& path = "/api.init.php") const;
  std::vector<LoggedRequest> Requests() const;

 private:
  std::string dir_unix_;
  bool tls_ = false;
  int port_ = 0;
  void* process_ = nullptr;
};

// A loopback port on which nothing listens: connections are refused.
int ClosedPort();

}  // namespace tw::test
