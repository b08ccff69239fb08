// IHttp over WinHTTP, one synchronous session per request.
#pragma once

#include "platform/http.h"

namespace tw::win {

class WinHttp final : public IHttp {
 public:
  // `automatic_proxy` false: behave as Windows before 8.1, which lack WinHTTP's automatic proxy, and apply
  // the user's proxy settings here (for the tests of that path on any Windows).
  explicit WinHttp(bool automatic_proxy = true) : automatic_proxy_(automatic_proxy) {}
  bool Send(const HttpRequest& request, HttpResponse* response) override;

 private:
  bool automatic_proxy_;
};

}  // namespace tw::win
