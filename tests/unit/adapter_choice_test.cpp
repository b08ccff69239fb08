// The choice of the active adapter: the address prefix rule, the host's local address, the walk through WMI's
// adapters and their configurations (what is asked, what is skipped, what fails and how COM is left), and the
// choice on listings shaped like those of real Windows 10 and 11 machines.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_adapter_facts.h"
#include "platform/error.h"
#include "platform/text.h"
#include "tuning/adapter_choice.h"

namespace tw {
namespace {

using test::Ethernet;
using test::FakeAdapterFacts;
using test::FakeWmiObject;
using test::Loopback;
using test::V4;
using test::V6;
using test::WmiAdapter;
using test::WmiConfiguration;

constexpr std::uint32_t kEthernet = 6;   // IF_TYPE_ETHERNET_CSMACD: wired NICs, Hyper-V, taps, Npcap
constexpr std::uint32_t kWifi = 71;      // IF_TYPE_IEEE80211: Wi-Fi and Wi-Fi Direct
constexpr std::uint32_t kTentative = 1;  // IpDadStateTentative: a disconnected adapter's link-local address
constexpr std::uint32_t kDeprecated = 3;

TEST(AdapterChoicePrefix, ComparesTheTextBeforeTheLastDot) {
  struct Case {
    std::u16string a, b;
    bool same;
  };
  const Case cases[] = {
      {u"192.168.0.10", u"192.168.0.1", true},
      {u"192.168.1.5", u"192.168.10.5", false},
      {u"10.0.0.1", u"10.0.0.", true},             // textual only
      {u"192.168.0.10", u"192.168.00.10", false},  // no numeric normalisation
      {u"", u"fe80::1%10", true},                  // both without "." share the empty prefix
      {u"192.168.0.10", u"fe80::1%10", false},
      {u"::ffff:10.1.2.3", u"::ffff:10.1.2.9", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SameNetworkPrefix(c.a, c.b), c.same) << EncodeUtf8(c.a) << " / " << EncodeUtf8(c.b);
    EXPECT_EQ(SameNetworkPrefix(c.b, c.a), c.same) << EncodeUtf8(c.b) << " / " << EncodeUtf8(c.a);
  }
}

TEST(AdapterChoiceLocalAddress, FirstPreferredIPv4OfAListedAdapter) {
  struct Case {
    const char* name;
    std::vector<LocalAdapter> adapters;
    std::u16string expected;
  };
  const Case cases[] = {
      {"loopback skipped, IPv6 passed over",
       {Loopback(), Ethernet({V6(u"fe80::1"), V4(u"192.168.0.10"), V4(u"192.168.0.11")}),
        Ethernet({V4(u"10.0.0.1")})},
       u"192.168.0.10"},
      {"receive-only adapter skipped",
       {Ethernet({V4(u"172.16.0.1")}, iphlp::kReceiveOnly), Ethernet({V4(u"192.168.0.10")})},
       u"192.168.0.10"},
      {"only preferred addresses count",
       {Ethernet({V4(u"192.168.5.5", kTentative), V4(u"192.168.6.6", kDeprecated), V4(u"192.168.0.10")})},
       u"192.168.0.10"},
      {"the first adapter's address wins",
       {Ethernet({V4(u"10.1.2.3")}), Ethernet({V4(u"192.168.0.10")})},
       u"10.1.2.3"},
      {"no IPv4 at all", {Loopback(), Ethernet({V6(u"fd12::13")})}, u""},
      {"nothing listed", {}, u""},
  };
  for (const auto& c : cases) {
    FakeAdapterFacts facts;
    facts.addresses = c.adapters;
    EXPECT_EQ(LocalIPv4Address(facts), c.expected) << c.name;
    EXPECT_EQ(facts.info_calls, 0) << c.name;
  }
}

TEST(AdapterChoiceLocalAddress, ResultCodesOfTheListing) {
  struct Case {
    std::uint32_t status;
    std::uint32_t info_status;
    bool raises;
    std::u16string expected;
  };
  const Case cases[] = {
      {iphlp::kNoData, 0, false, u""},
      {iphlp::kAddressNotAssociated, 0, false, u""},
      {87, 0, true, u""},  // ERROR_INVALID_PARAMETER
      {8, 0, true, u""},   // ERROR_NOT_ENOUGH_MEMORY
      {iphlp::kNotSupported, iphlp::kSuccess, false, u"192.168.0.10"},
      {iphlp::kNotSupported, iphlp::kNoData, false, u""},
      {iphlp::kNotSupported, 87, true, u""},
  };
  for (const auto& c : cases) {
    FakeAdapterFacts facts;
    facts.addresses_status = c.status;
    facts.addresses = {Ethernet({V4(u"10.9.9.9")})};  // must not be used when the call failed
    facts.info_status = c.info_status;
    // The older listing reports unconfigured adapters as 0.0.0.0 and has no loopback entry.
    facts.info = {Ethernet({V4(u"0.0.0.0")}), Ethernet({V4(u"172.16.0.1")}, iphlp::kReceiveOnly),
                  Ethernet({V4(u"0.0.0.0"), V4(u"192.168.0.10")})};
    if (c.raises) {
      EXPECT_THROW(LocalIPv4Address(facts), Error) << c.status << "/" << c.info_status;
    } else {
      EXPECT_EQ(LocalIPv4Address(facts), c.expected) << c.status << "/" << c.info_status;
    }
    EXPECT_EQ(facts.info_calls, c.status == iphlp::kNotSupported ? 1 : 0);
  }
}

// One physical adapter eth0 (index 10) with the local address 192.168.0.10.
class AdapterChoiceWalk : public ::testing::Test {
 protected:
  AdapterChoiceWalk() {
    facts.addresses = {Loopback(), Ethernet({V6(u"fe80::848:4dff:fec6:ef24"), V4(u"192.168.0.10")})};
    facts.adapters = {WmiAdapter(10, u"eth0", kGuid10)};
    facts.configurations[u"10"] = {WmiConfiguration({{u"fe80::848:4dff:fec6:ef24%10", u"192.168.0.10"}})};
  }
  void ExpectComBalanced() {
    EXPECT_EQ(facts.com_depth, 0);
    EXPECT_FALSE(facts.uninitialized_with_live_objects);
    EXPECT_EQ(facts.live_wmi_objects, 0);
  }

  static constexpr const char16_t* kGuid10 = u"{0000000A-0000-0000-0000-4E6574446576}";
  static constexpr const char16_t* kGuid11 = u"{0000000B-0000-0000-0000-4E6574446576}";
  static constexpr const char16_t* kGuid12 = u"{0000000C-0000-0000-0000-4E6574446576}";
  FakeAdapterFacts facts;
  AdapterInfo info{u"old name", u"{old}", u"1.1.1.1"};
};

TEST_F(AdapterChoiceWalk, TheConnectedPhysicalAdapterOfTheLocalAddress) {
  ASSERT_TRUE(FindActiveAdapter(facts, info));
  EXPECT_EQ(info.NetworkName, u"eth0");
  EXPECT_EQ(info.NetworkGUID, kGuid10);
  EXPECT_EQ(info.NetworkIP, u"192.168.0.10");
  EXPECT_EQ(facts.connections, std::vector<std::u16string>{u"localhost|root\\CIMV2"});
  EXPECT_EQ(facts.budgets, std::vector<std::uint32_t>{kWmiBudgetMs}) << "WMI's whole walk has a time";
  const std::vector<std::u16string> queries = {
      u"SELECT * FROM Win32_NetworkAdapter WHERE (NetConnectionStatus = 2 OR NetConnectionStatus = 9) AND "
      u"PhysicalAdapter = True",
      u"SELECT * FROM Win32_NetworkAdapterConfiguration WHERE Index = 10"};
  EXPECT_EQ(facts.queries, queries);
  EXPECT_EQ(facts.com_initialize_calls, 1);
  ExpectComBalanced();
}

TEST_F(AdapterChoiceWalk, FirstMatchInEnumerationOrderWins) {
  facts.configurations[u"12"] = {WmiConfiguration({{u"10.1.2.3"}})};
  facts.configurations[u"11"] = {WmiConfiguration({{u"192.168.0.20"}})};
  facts.configurations[u"10"] = {WmiConfiguration({{u"192.168.0.10"}})};
  facts.adapters = {WmiAdapter(12, u"wlan0", kGuid12), WmiAdapter(11, u"eth1", kGuid11),
                    WmiAdapter(10, u"eth0", kGuid10)};
  ASSERT_TRUE(FindActiveAdapter(facts, info));
  EXPECT_EQ(info.NetworkName, u"eth1");
  EXPECT_EQ(info.NetworkIP, u"192.168.0.20");
  // eth0 is asked too: it might have carried the default route.
  EXPECT_EQ(facts.queries.size(), 4u);
}

TEST_F(AdapterChoiceWalk, VirtualAdaptersAreSkippedByNameInAnyLetterCase) {
  const std::u16string excluded[] = {u"VMware Virtual Ethernet Adapter for VMnet8",
                                     u"vmware1",
                                     u"VirtualBox Host-Only Ethernet Adapter",
                                     u"VIRTUALBOX-Host",
                                     u"Internet Connection Sharing",
                                     u"ICS-sharing0",
                                     u"SharinG",
                                     u"V\u0131rtualBox"};  // dotless i: the system upper-cases it to I
  for (const auto& name : excluded) {
    facts.queries.clear();
    facts.adapters = {WmiAdapter(11, name, kGuid11), WmiAdapter(10, u"eth0", kGuid10)};
    facts.configurations[u"11"] = {WmiConfiguration({{u"192.168.0.20"}})};
    ASSERT_TRUE(FindActiveAdapter(facts, info)) << EncodeUtf8(name);
    EXPECT_EQ(info.NetworkName, u"eth0") << EncodeUtf8(name);
    EXPECT_EQ(facts.queries.size(), 2u) << EncodeUtf8(name);  // no configuration query for the skipped one
  }
  const std::u16string kept[] = {u"VMwar", u"Virtual Box", u"Shar ing", u"VMW\u00C4RE"};
  for (const auto& name : kept) {
    facts.adapters = {WmiAdapter(11, name, kGuid11), WmiAdapter(10, u"eth0", kGuid10)};
    ASSERT_TRUE(FindActiveAdapter(facts, info)) << EncodeUtf8(name);
    EXPECT_EQ(info.NetworkName, name);
  }
}

TEST_F(AdapterChoiceWalk, AdaptersWithoutUsableIdentityAreSkipped) {
  struct Case {
    const char* name;
    FakeWmiObject row;
  };
  FakeWmiObject no_name = WmiAdapter(11, u"eth1", kGuid11);
  no_name.properties.erase(u"Name");
  FakeWmiObject no_guid = WmiAdapter(11, u"eth1", kGuid11);
  no_guid.properties.erase(u"GUID");
  FakeWmiObject null_guid = WmiAdapter(11, u"eth1", kGuid11);
  null_guid.properties[u"GUID"] = test::WmiNull();
  FakeWmiObject empty_guid = WmiAdapter(11, u"eth1", u"");
  FakeWmiObject array_index = WmiAdapter(11, u"eth1", kGuid11);  // readable, but has no text form
  array_index.properties[u"Index"] = test::WmiTexts({u"11"});
  const Case cases[] = {{"Name unreadable", no_name},
                        {"GUID unreadable", no_guid},
                        {"GUID null", null_guid},
                        {"GUID empty", empty_guid},
                        {"Index not a number", array_index}};
  for (const auto& c : cases) {
    facts.queries.clear();
    facts.adapters = {c.row, WmiAdapter(10, u"eth0", kGuid10)};
    facts.configurations[u"11"] = {WmiConfiguration({{u"192.168.0.20"}})};
    ASSERT_TRUE(FindActiveAdapter(facts, info)) << c.name;
    EXPECT_EQ(info.NetworkName, u"eth0") << c.name;
    EXPECT_EQ(info.NetworkGUID, kGuid10) << c.name;
    EXPECT_EQ(facts.queries.size(), 2u) << c.name;
  }
}

TEST_F(AdapterChoiceWalk, ConfigurationsWithoutAddressesArePassedOver) {
  facts.configurations[u"10"] = {WmiConfiguration(std::nullopt), WmiConfiguration({{}}),
                                 WmiConfiguration({{u"10.0.0.5", u"192.168.0.10"}})};
  ASSERT_TRUE(FindActiveAdapter(facts, info));
  EXPECT_EQ(info.NetworkIP, u"192.168.0.10");
}

TEST_F(AdapterChoiceWalk, WithoutLocalIPv4TheFirstAddressWithoutADotMatches) {
  facts.addresses = {Loopback(), Ethernet({V6(u"fd12::13")})};
  facts.configurations[u"10"] = {WmiConfiguration({{u"192.168.0.10", u"fd12::13", u"fe80::1%10"}})};
  ASSERT_TRUE(FindActiveAdapter(facts, info));
  EXPECT_EQ(info.NetworkIP, u"fd12::13");
}

TEST_F(AdapterChoiceWalk, NoAdapterSharesThePrefixOfTheFirstLocalAddress) {
  // The first listed IPv4 belongs to a virtual adapter that WMI does not report as physical.
  facts.addresses = {Loopback(), Ethernet({V4(u"172.20.0.1")}), Ethernet({V4(u"192.168.0.10")})};
  EXPECT_FALSE(FindActiveAdapter(facts, info));
  EXPECT_EQ(info.NetworkName, u"old name") << "nothing written without an adapter";
  EXPECT_EQ(info.NetworkIP, u"1.1.1.1");
  ExpectComBalanced();
}

TEST_F(AdapterChoiceWalk, UnreachableWmiGivesFalseAndLeavesInfoAlone) {
  for (int variant = 0; variant < 2; ++variant) {
    FakeAdapterFacts f = facts;
    (variant == 0 ? f.wmi_up : f.adapter_query_fails) = variant != 0;
    AdapterInfo before = info;
    EXPECT_FALSE(FindActiveAdapter(f, info)) << variant;
    EXPECT_EQ(info.NetworkName, before.NetworkName);
    EXPECT_EQ(info.NetworkGUID, before.NetworkGUID);
    EXPECT_EQ(info.NetworkIP, before.NetworkIP);
    EXPECT_EQ(f.com_depth, 0);
    EXPECT_EQ(f.live_wmi_objects, 0);
  }
}

TEST_F(AdapterChoiceWalk, NullIndexEndsTheWalk) {
  FakeWmiObject null_index = WmiAdapter(11, u"eth1", kGuid11);
  null_index.properties[u"Index"] = test::WmiNull();
  facts.adapters = {null_index, WmiAdapter(10, u"eth0", kGuid10)};
  EXPECT_FALSE(FindActiveAdapter(facts, info));
  ExpectComBalanced();
}

TEST_F(AdapterChoiceWalk, FailuresAfterTheAdapterQueryAreRaisedAfterComIsReleased) {
  struct Case {
    const char* name;
    void (*arrange)(FakeAdapterFacts&);
  };
  const Case cases[] = {
      {"configuration query rejected",
       [](FakeAdapterFacts& f) { f.failing_configuration_queries.insert(u"10"); }},
      {"IPAddress unreadable", [](FakeAdapterFacts& f) { f.configurations[u"10"] = {FakeWmiObject{}}; }},
      {"Index unreadable", [](FakeAdapterFacts& f) { f.adapters[0].properties.erase(u"Index"); }},
      // WMI stalled: no adapter, or no configuration, within the session's time.
      {"time up in the adapter walk", [](FakeAdapterFacts& f) { f.steps_before_timeout = 0; }},
      {"time up in the configuration walk", [](FakeAdapterFacts& f) { f.steps_before_timeout = 1; }},
  };
  for (const auto& c : cases) {
    FakeAdapterFacts f = facts;
    c.arrange(f);
    try {
      FindActiveAdapter(f, info);
      ADD_FAILURE() << c.name << ": nothing raised";
    } catch (const Error& e) {
      EXPECT_TRUE(e.message().starts_with(u"Network adapter query failed: ")) << c.name;
      if (f.steps_before_timeout == 0) {
        EXPECT_EQ(e.message(), u"Network adapter query failed: no answer in time") << c.name;
      }
    }
    EXPECT_EQ(f.com_depth, 0) << c.name;
    EXPECT_FALSE(f.uninitialized_with_live_objects) << c.name;
  }
}

TEST_F(AdapterChoiceWalk, ListingFailureIsRaisedBeforeComIsTouched) {
  facts.addresses_status = 87;
  EXPECT_THROW(FindActiveAdapter(facts, info), Error);
  EXPECT_EQ(facts.com_initialize_calls, 0);
}

TEST_F(AdapterChoiceWalk, ComThatCannotBeInitialisedIsNotUninitialised) {
  facts.com_initializes = false;
  EXPECT_TRUE(FindActiveAdapter(facts, info));
  EXPECT_EQ(facts.com_depth, 0);
}

// The choice on listings shaped like those of real Windows 10 and 11 machines: the local address listing in
// the system's order, and the rows that WMI's adapter query returns (connected and reported physical) with
// each adapter's configuration. Virtual adapters that Windows reports as physical (VPN taps, the
// packet-capture loopback, a docking station's NIC on a lab network) and those that are listed ahead of the
// real one must not win over the adapter that carries the default route.
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
