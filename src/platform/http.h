// One HTTP request with custom headers; the Win32 implementation uses WinHTTP.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tw {

using HeaderList = std::vector<std::pair<std::u16string, std::u16string>>;

struct HttpRequest {
  std::u16string method = u"GET";
  std::u16string url;
  HeaderList headers;                    // sent first, in list order
  int max_redirects = 0;                 // 0: redirects are not followed (a 3xx is the reply)
  bool use_proxy = false;                // false: direct connection
  std::uint32_t resolve_timeout_ms = 0;  // the name lookup; 0: the system's default (no limit)
  std::uint32_t connect_timeout_ms = 0;  // 0: the system's default
  std::uint32_t send_timeout_ms = 0;
  std::uint32_t receive_timeout_ms = 0;  // also bounds the wait for the response headers
  std::size_t max_body_bytes = 1 << 20;  // a longer body fails the transfer
};

struct HttpResponse {
  int status = 0;
  std::string body;  // raw bytes
};

class IHttp {
 public:
  virtual ~IHttp() = default;
  // True when the server replied (any status); false when the transfer itself failed.
  virtual bool Send(const HttpRequest& request, HttpResponse* response) = 0;
};

}  // namespace tw
