#include "tuning/internet_wait.h"

#include <algorithm>

#include "build_config.h"
#include "platform/clock.h"
#include "platform/http.h"

namespace tw {

bool IsInternetReachable(IHttp& http, std::uint32_t limit_ms) {
  HttpRequest request;
  request.method = u"HEAD";
  request.url = config::kProbeUrl;
  request.max_redirects = 0;
  // Behind a proxy the internet answers only through it: the user's own, as the update check uses it.
  request.use_proxy = true;
  // Four steps run one after the other; each gets a quarter, and never zero, which means no limit at all.
  const std::uint32_t step = std::max<std::uint32_t>(limit_ms / 4, 1);
  request.resolve_timeout_ms = step;
  request.connect_timeout_ms = step;
  request.send_timeout_ms = step;
  request.receive_timeout_ms = step;
  HttpResponse response;
  return http.Send(request, &response);
}

bool WaitForInternet(const std::function<bool(std::uint32_t)>& probe, IClock& clock,
                     const std::function<bool()>& stop, int attempts, std::uint32_t budget_ms) {
  const std::uint64_t deadline = clock.Milliseconds() + budget_ms;
  auto left = [&]() -> std::uint32_t {
    const std::uint64_t now = clock.Milliseconds();
    return now >= deadline ? 0 : static_cast<std::uint32_t>(deadline - now);
  };
  for (int attempt = 0; attempt < attempts; ++attempt) {
    if (stop && stop()) return false;
    const std::uint32_t limit = std::min(left(), kProbeAttemptLimitMs);
    if (limit == 0) return false;
    if (probe(limit)) return true;
    const std::uint32_t pause = std::min(left(), kProbePauseMs);
    if (pause > 0) clock.Sleep(pause);
  }
  return false;
}

}  // namespace tw
