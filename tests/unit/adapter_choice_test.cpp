// The choice of the active adapter on listings shaped like those of real Windows 10 and 11 machines: the
// local address listing in the system's order, and the rows that WMI's adapter query returns (connected and
// reported physical) with each adapter's configuration. Virtual adapters that Windows reports as physical
// (VPN taps, the packet-capture loopback, a docking station's NIC on a lab network) and those that are listed
// ahead of the real one must not win over the adapter that carries the default route.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_adapter_facts.h"
#include "platform/text.h"
#include "tuning/network.h"

namespace tw {
namespace {

using test::V4;
using test::V6;

constexpr std::uint32_t kEthernet = 6;   // IF_TYPE_ETHERNET_CSMACD: wired NICs, Hyper-V, taps, Npcap
constexpr std::uint32_t kWifi = 71;      // IF_TYPE_IEEE80211: Wi-Fi and Wi-Fi Direct
constexpr std::uint32_t kTentative = 1;  // IpDadStateTentative: a disconnected adapter's link-local address

LocalAdapter Listed(std::uint32_t if_type, std::vector<LocalUnicastAddress> unicast) {
  return {if_type, 0, std::move(unicast)};
}

// One row of the adapter query with its configuration.
struct Row {
  std::int64_t index;
  std::u16string name;
  std::vector<std::u16string> addresses;  // IPAddress; empty: null
  std::vector<std::u16string> gateways;   // DefaultIPGateway; empty: null
  std::int64_t metric;                    // IPConnectionMetric
};

struct Machine {
  const char* name;
  std::vector<LocalAdapter> listing;
  std::vector<Row> rows;
  const char16_t* name_chosen;
  const char16_t* address_chosen;
};

std::u16string GuidOf(std::int64_t index) {
  return u"{6B29FC40-CA47-1067-B31D-00DD0106" + ToText(1000 + index) + u"}";
}

// Loopback as Windows lists it: last, under its own interface type.
const LocalAdapter kLoopback = test::Loopback();
const LocalAdapter kWslSwitch = Listed(kEthernet, {V6(u"fe80::5d1c:3a2f:77e0:1b4a"), V4(u"172.24.160.1")});
const LocalAdapter kDefaultSwitch = Listed(kEthernet, {V6(u"fe80::b4e9:21c4:d3a0:9e11"), V4(u"172.29.96.1")});
const LocalAdapter kNpcap = Listed(kEthernet, {V6(u"fe80::e0a8:6a4d:5d3e:1f0c"), V4(u"169.254.31.12")});
const LocalAdapter kTap = Listed(kEthernet, {V6(u"fe80::9c4f:1b22:70aa:4e3d"), V4(u"10.8.0.6")});
const LocalAdapter kWifiDirect = Listed(kWifi, {V6(u"fe80::3d15:8a09:41c7:e2b0", kTentative)});
const LocalAdapter kDock = Listed(kEthernet, {V6(u"fe80::1c9a:44e7:b2d1:6f30"), V4(u"10.20.0.15")});
const LocalAdapter kWifiCard =
    Listed(kWifi, {V6(u"2a02:8108:1dc0:3a4::5c1e"), V6(u"fe80::a1b2:3c4d:5e6f:7081"), V4(u"192.168.1.23")});
const LocalAdapter kOnboard = Listed(kEthernet, {V6(u"fe80::4a2b:9c1d:e3f4:5a6b"), V4(u"192.168.1.20")});

const Row kNpcapRow{11, u"Npcap Loopback Adapter", {u"169.254.31.12", u"fe80::e0a8:6a4d:5d3e:1f0c"}, {}, 25};
const Row kTapRow{9, u"TAP-Windows Adapter V9", {u"10.8.0.6", u"fe80::9c4f:1b22:70aa:4e3d"}, {}, 20};
const Row kDockRow{
    14, u"Realtek USB GbE Family Controller", {u"10.20.0.15", u"fe80::1c9a:44e7:b2d1:6f30"}, {}, 25};
const Row kWifiRow{18,
                   u"Intel(R) Wi-Fi 6 AX201 160MHz",
                   {u"192.168.1.23", u"fe80::a1b2:3c4d:5e6f:7081", u"2a02:8108:1dc0:3a4::5c1e"},
                   {u"192.168.1.1", u"fe80::1"},
                   35};
const Row kOnboardRow{1,
                      u"Intel(R) Ethernet Connection (7) I219-V",
                      {u"192.168.1.20", u"fe80::4a2b:9c1d:e3f4:5a6b"},
                      {u"192.168.1.1"},
                      25};

const Machine kMachines[] = {
    // Hyper-V's switches for WSL and the default switch come first in the listing (they are not reported
    // physical), then the packet-capture loopback, a VPN tap and a docking station's NIC on a lab network
    // (reported physical and connected, none with a gateway), Wi-Fi Direct (disconnected), and the Wi-Fi
    // card.
    {"Windows 11 laptop: virtual adapters and a dock listed before Wi-Fi",
     {kWslSwitch, kDefaultSwitch, kNpcap, kTap, kWifiDirect, kDock, kWifiCard, kLoopback},
     {kTapRow, kNpcapRow, kDockRow, kWifiRow},
     u"Intel(R) Wi-Fi 6 AX201 160MHz",
     u"192.168.1.23"},
    // The dock's NIC is listed first and its address is the first local IPv4: its prefix alone picks it.
    {"Windows 10 desktop: a docking station's NIC on a lab network listed first",
     {kDock, kOnboard, kLoopback},
     {kDockRow, kOnboardRow},
     u"Intel(R) Ethernet Connection (7) I219-V",
     u"192.168.1.20"},
    // Both real NICs on the same network with a gateway each: the lower metric (wired) carries the route,
    // though Wi-Fi is enumerated first and its address is the first local one.
    {"two real NICs: wired and Wi-Fi on one network",
     {kWifiCard, kOnboard, kLoopback},
     {Row{kWifiRow.index, kWifiRow.name, kWifiRow.addresses, kWifiRow.gateways, 55},
      Row{20, kOnboardRow.name, kOnboardRow.addresses, kOnboardRow.gateways, 25}},
     u"Intel(R) Ethernet Connection (7) I219-V",
     u"192.168.1.20"},
    // Equal metrics: the first in WMI's order.
    {"two real NICs with equal metrics",
     {kOnboard, kWifiCard, kLoopback},
     {Row{kWifiRow.index, kWifiRow.name, kWifiRow.addresses, kWifiRow.gateways, 25},
      Row{20, kOnboardRow.name, kOnboardRow.addresses, kOnboardRow.gateways, 25}},
     u"Intel(R) Wi-Fi 6 AX201 160MHz",
     u"192.168.1.23"},
    // A Hyper-V machine with the virtual switch's address first: no physical adapter shares its prefix.
    {"Hyper-V switch listed first, one real NIC",
     {kDefaultSwitch, kOnboard, kLoopback},
     {kOnboardRow},
     u"Intel(R) Ethernet Connection (7) I219-V",
     u"192.168.1.20"},
    // IPv6 only: no local IPv4 at all. The capture loopback's link-local address has no "." either, and it is
    // enumerated first; the route is on the Wi-Fi card, whose first address without a "." is shown.
    {"IPv6 only, behind the capture loopback",
     {Listed(kEthernet, {V6(u"fe80::e0a8:6a4d:5d3e:1f0c")}),
      Listed(kWifi, {V6(u"2a02:8108:1dc0:3a4::5c1e"), V6(u"fe80::a1b2:3c4d:5e6f:7081")}), kLoopback},
     {Row{11, kNpcapRow.name, {u"fe80::e0a8:6a4d:5d3e:1f0c"}, {}, 25},
      Row{18, kWifiRow.name, {u"2a02:8108:1dc0:3a4::5c1e", u"fe80::a1b2:3c4d:5e6f:7081"}, {u"fe80::1"}, 35}},
     u"Intel(R) Wi-Fi 6 AX201 160MHz",
     u"2a02:8108:1dc0:3a4::5c1e"},
    // No adapter carries a default route (an isolated network): the adapter of the first local address.
    {"no default route anywhere",
     {kDock, kOnboard, kLoopback},
     {Row{14, kDockRow.name, kDockRow.addresses, {}, 25},
      Row{1, kOnboardRow.name, kOnboardRow.addresses, {}, 25}},
     u"Realtek USB GbE Family Controller",
     u"10.20.0.15"},
    // The route's adapter is a virtual one by name: passed over like any other.
    {"a VMware adapter with the only gateway",
     {kOnboard, kLoopback},
     {Row{3, u"VMware Virtual Ethernet Adapter for VMnet8", {u"192.168.1.99"}, {u"192.168.1.1"}, 10},
      Row{1, kOnboardRow.name, kOnboardRow.addresses, {}, 25}},
     u"Intel(R) Ethernet Connection (7) I219-V",
     u"192.168.1.20"},
};

TEST(AdapterChoice, TheConnectedPhysicalAdapterThatCarriesTheDefaultRoute) {
  for (const Machine& m : kMachines) {
    SCOPED_TRACE(m.name);
    test::FakeAdapterFacts facts;
    facts.addresses = m.listing;
    for (const Row& row : m.rows) {
      facts.adapters.push_back(test::WmiAdapter(row.index, row.name, GuidOf(row.index)));
      facts.configurations[ToText(row.index)] = {test::WmiConfiguration(
          row.addresses.empty() ? std::nullopt : std::optional(row.addresses), row.gateways, row.metric)};
    }
    AdapterInfo info;
    const bool found = FindActiveAdapter(facts, info);
    EXPECT_TRUE(found);
    if (!found) continue;
    EXPECT_EQ(EncodeUtf8(info.NetworkName), EncodeUtf8(m.name_chosen));
    EXPECT_EQ(EncodeUtf8(info.NetworkIP), EncodeUtf8(m.address_chosen));
    const Row* chosen = nullptr;
    for (const Row& row : m.rows) {
      if (row.name == info.NetworkName) chosen = &row;
    }
    ASSERT_TRUE(chosen);
    EXPECT_EQ(info.NetworkGUID, GuidOf(chosen->index));
    EXPECT_EQ(facts.com_depth, 0);
  }
}

// Routing facts that cannot be read count as none: the adapter is no route carrier, and a carrier whose
// metric is unknown comes after those with one.
TEST(AdapterChoice, UnreadableRoutingFactsCountAsNone) {
  test::FakeAdapterFacts facts;
  facts.addresses = {kWifiCard, kOnboard, kLoopback};
  facts.adapters = {test::WmiAdapter(18, kWifiRow.name, GuidOf(18)),
                    test::WmiAdapter(1, kOnboardRow.name, GuidOf(1)),
                    test::WmiAdapter(5, u"Second wired NIC", GuidOf(5))};
  // Wi-Fi: no DefaultIPGateway property at all (an older provider); the first wired NIC: a gateway but no
  // metric; the second: both.
  facts.configurations[u"18"] = {test::WmiConfiguration({kWifiRow.addresses})};
  test::FakeWmiObject no_metric = test::WmiConfiguration({kOnboardRow.addresses}, {u"192.168.1.1"}, 0);
  no_metric.properties.erase(u"IPConnectionMetric");
  facts.configurations[u"1"] = {no_metric};
  facts.configurations[u"5"] = {test::WmiConfiguration({{u"192.168.1.21"}}, {u"192.168.1.1"}, 9000)};
  AdapterInfo info;
  ASSERT_TRUE(FindActiveAdapter(facts, info));
  EXPECT_EQ(info.NetworkName, u"Second wired NIC");
  EXPECT_EQ(info.NetworkIP, u"192.168.1.21");
}

}  // namespace
}  // namespace tw
