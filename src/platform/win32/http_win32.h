// IHttp over WinHTTP, one synchronous session per request.
#pragma once

#include "platform/http.h"

namespace tw::win {

class WinHttp final : public IHttp {
 public:
  bool Send(const HttpRequest& request, HttpResponse* response) override;
};

}  // namespace tw::win
