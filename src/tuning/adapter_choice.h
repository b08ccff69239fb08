// The choice of the active adapter: which of the connected physical adapters that WMI reports carries the
// machine's traffic, and the address by which it is shown.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/error.h"

namespace tw {

class IAdapterFacts;

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

// WMI's whole walk keeps to this (discovery as a whole is given a little more: kDiscoveryWaitMs).
inline constexpr std::uint32_t kWmiBudgetMs = 20000;

// Finds the active adapter among the connected physical adapters that WMI reports, those with a virtual
// adapter's name left out: the one that carries the default route (a DefaultIPGateway), the lowest
// IPConnectionMetric winning and WMI's order breaking ties. Where none carries one (an isolated network), the
// first that owns an address in the prefix of the host's first local IPv4 address. Its NetworkIP is its first
// address in that prefix, else its first IPv4, else its first address. Machines list Hyper-V switches, VPN
// taps, capture loopbacks and docks ahead of the real adapter, so listing order alone picks wrongly.
// `info` is written only on true. Raises tw::Error for the failures after the adapter query (COM is
// uninitialised first).
bool FindActiveAdapter(IAdapterFacts& facts, AdapterInfo& info);

}  // namespace tw
