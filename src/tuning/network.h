// Module Network: finding the active adapter, restarting its connection and waiting for the internet.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/error.h"

namespace tw {

class IAdapterFacts;
class INetConnections;
class IHttp;
class IClock;

// The active adapter as three texts; an empty NetworkGUID means that no adapter is known.
struct AdapterInfo {
  std::u16string NetworkName;
  std::u16string NetworkGUID;
  std::u16string NetworkIP;
};

// True when the texts before the last "." of a and b are equal (a text without "." has the empty prefix).
bool SameNetworkPrefix(const std::u16string& a, const std::u16string& b);

// The text of the host's first preferred IPv4 unicast address, loopback and receive-only adapters left out;
// empty when there is none. Raises tw::Error when the listing fails for another reason than "no data".
std::u16string LocalIPv4Address(IAdapterFacts& facts);

// The error of a discovery that failed after the adapter query, `what` naming the step.
Error DiscoveryError(std::u16string_view what);
inline constexpr char16_t kNoAnswerInTime[] = u"no answer in time";

// WMI's whole walk keeps to this; discovery as a whole, started ahead of its use, is given a little more.
inline constexpr std::uint32_t kWmiBudgetMs = 20000;
inline constexpr std::uint32_t kDiscoveryWaitMs = 30000;

// Finds the active adapter among the connected physical adapters that WMI reports, those with a virtual
// adapter's name left out: the one that carries the default route (a DefaultIPGateway), the lowest
// IPConnectionMetric winning and WMI's order breaking ties. Where none carries one (an isolated network), the
// first that owns an address in the prefix of the host's first local IPv4 address. Its NetworkIP is its first
// address in that prefix, else its first IPv4, else its first address. Machines list Hyper-V switches, VPN
// taps, capture loopbacks and docks ahead of the real adapter, so listing order alone picks wrongly.
// `info` is written only on true. Raises tw::Error for the failures after the adapter query (COM is
// uninitialised first).
bool FindActiveAdapter(IAdapterFacts& facts, AdapterInfo& info);

// Connects (enable) or disconnects the connection with that GUID text (letter case ignored); true only when
// it was found and the call succeeded. False without a connections service.
bool SetConnectionEnabled(INetConnections* connections, const std::u16string& guid, bool enable);

// One HEAD request to the probe address; any HTTP reply counts as reachable. The request's four steps (name
// lookup, connect, send, wait for the reply) share `limit_ms`, so that the attempt ends within it on any
// network.
bool IsInternetReachable(IHttp& http, std::uint32_t limit_ms);

// The wait after an adapter restart: up to kProbeAttempts probes with a kProbePauseMs pause after every
// failure, and all of it within kProbeBudgetMs, so that a network that swallows lookups and connections
// cannot stretch five minutes into an hour. Each attempt is given at most kProbeAttemptLimitMs.
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
