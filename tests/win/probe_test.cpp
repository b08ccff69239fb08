// The reachability probe over the real HTTP client, against a one-shot loopback server on the probe port of
// the test build.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "build_config.h"
#include "platform/win32/http_win32.h"
#include "tuning/internet_wait.h"

namespace tw {
namespace {

constexpr u_short kProbePort = 18081;  // the test build's probe address is http://127.0.0.1:18081/

// Accepts one connection, keeps the request head and answers with `reply`.
class OneShotServer {
 public:
  explicit OneShotServer(std::string reply) : reply_(std::move(reply)) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(kProbePort);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    BOOL reuse = TRUE;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
    listening_ = bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                 listen(listener_, 1) == 0;
    if (listening_) thread_ = std::thread([this] { Serve(); });
  }
  ~OneShotServer() {
    closesocket(listener_);
    if (thread_.joinable()) thread_.join();
    WSACleanup();
  }
  bool listening() const { return listening_; }
  std::string request() {
    if (thread_.joinable()) thread_.join();
    return request_;
  }

 private:
  void Serve() {
    SOCKET client = accept(listener_, nullptr, nullptr);
    if (client == INVALID_SOCKET) return;
    char buffer[4096];
    while (request_.find("\r\n\r\n") == std::string::npos) {
      const int n = recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      request_.append(buffer, n);
    }
    send(client, reply_.data(), static_cast<int>(reply_.size()), 0);
    shutdown(client, SD_BOTH);
    closesocket(client);
  }

  std::string reply_;
  SOCKET listener_ = INVALID_SOCKET;
  bool listening_ = false;
  std::thread thread_;
  std::string request_;
};

TEST(ProbeOverWinHttp, AnyHttpReplyMeansReachable) {
  const char* replies[] = {
      "HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n",
      "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\nConnection: close\r\n\r\n",
      // Not followed: the redirect target is a closed port.
      "HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:9/\r\nContent-Length: 0\r\nConnection: close\r\n\r\n",
  };
  for (const char* reply : replies) {
    OneShotServer server(reply);
    ASSERT_TRUE(server.listening());
    win::WinHttp http;
    EXPECT_TRUE(IsInternetReachable(http, kProbeAttemptLimitMs)) << reply;
    const std::string request = server.request();
    EXPECT_EQ(request.rfind("HEAD / HTTP/1.1\r\n", 0), 0u) << request;
    EXPECT_NE(request.find("Host: 127.0.0.1:18081\r\n"), std::string::npos) << request;
  }
}

TEST(ProbeOverWinHttp, RefusedOrDroppedConnectionIsUnreachable) {
  win::WinHttp http;
  EXPECT_FALSE(IsInternetReachable(http, kProbeAttemptLimitMs));  // nothing listens on the probe port
  OneShotServer closes_silently("");
  ASSERT_TRUE(closes_silently.listening());
  EXPECT_FALSE(IsInternetReachable(http, kProbeAttemptLimitMs));
}

// A server that takes the connection and never answers: the attempt ends within the time it was given, its
// steps sharing it, instead of waiting out the steps' former ten seconds each.
TEST(ProbeOverWinHttp, ASilentServerEndsTheAttemptWithinItsLimit) {
  WSADATA data;
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
  SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(kProbePort);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  BOOL reuse = TRUE;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
  // Listening without accepting: the system completes the connection and takes the request, nobody replies.
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 1), 0);
  win::WinHttp http;
  constexpr std::uint32_t kLimitMs = 2000;
  const ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(IsInternetReachable(http, kLimitMs));
  const ULONGLONG took = GetTickCount64() - start;
  EXPECT_LT(took, kLimitMs + 1000) << "ms";
  closesocket(listener);
  WSACleanup();
}

}  // namespace
}  // namespace tw
