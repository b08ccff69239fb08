// The wait for the internet after an adapter restart: bounded probes of the probe address until one answers,
// within a budget for the whole wait.
#pragma once

#include <cstdint>
#include <functional>

namespace tw {

class IHttp;
class IClock;

// One HEAD request to the probe address; any HTTP reply counts as reachable. The request's four steps (name
// lookup, connect, send, wait for the reply) share `limit_ms`, so that the attempt ends within it on any
// network.
bool IsInternetReachable(IHttp& http, std::uint32_t limit_ms);

// The wait after an adapter restart: up to kProbeAttempts probes with a kProbePauseMs pause after every
// failure, and all of it within kProbeBudgetMs, so that a network that swallows lookups and connections
// cannot stretch five minutes into an hour. Each attempt is given at most kProbeAttemptLimitMs.
// kProbeAttempts is the program's count; a build may set another (config::kConfiguredProbeAttempts).
inline constexpr int kProbeAttempts = 300;
inline constexpr std::uint32_t kProbePauseMs = 1000;
inline constexpr std::uint32_t kProbeAttemptLimitMs = 12000;
inline constexpr std::uint32_t kProbeBudgetMs = 300000;

// Probes up to `attempts` times with a kProbePauseMs pause after every failure, until `budget_ms` have
// passed on the clock's monotonic time; each probe is given the time it may take, never more than is left.
// Stops early when `stop` says so (checked before each attempt). True when a probe succeeded.
bool WaitForInternet(const std::function<bool(std::uint32_t limit_ms)>& probe, IClock& clock,
                     const std::function<bool()>& stop = {}, int attempts = kProbeAttempts,
                     std::uint32_t budget_ms = kProbeBudgetMs);

}  // namespace tw
