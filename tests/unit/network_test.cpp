#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "build_config.h"
#include "fakes/fake_adapter_facts.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_http.h"
#include "platform/error.h"
#include "platform/text.h"
#include "tuning/network.h"

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

constexpr std::uint32_t kTentative = 1;
constexpr std::uint32_t kDeprecated = 3;

TEST(SameNetworkPrefix, ComparesTheTextBeforeTheLastDot) {
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

TEST(LocalIPv4Address, FirstPreferredIPv4OfAListedAdapter) {
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

TEST(LocalIPv4Address, ResultCodesOfTheListing) {
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
class FindAdapter : public ::testing::Test {
 protected:
  FindAdapter() {
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

TEST_F(FindAdapter, TheConnectedPhysicalAdapterOfTheLocalAddress) {
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

TEST_F(FindAdapter, FirstMatchInEnumerationOrderWins) {
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

TEST_F(FindAdapter, VirtualAdaptersAreSkippedByNameInAnyLetterCase) {
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

TEST_F(FindAdapter, AdaptersWithoutUsableIdentityAreSkipped) {
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

TEST_F(FindAdapter, ConfigurationsWithoutAddressesArePassedOver) {
  facts.configurations[u"10"] = {WmiConfiguration(std::nullopt), WmiConfiguration({{}}),
                                 WmiConfiguration({{u"10.0.0.5", u"192.168.0.10"}})};
  ASSERT_TRUE(FindActiveAdapter(facts, info));
  EXPECT_EQ(info.NetworkIP, u"192.168.0.10");
}

TEST_F(FindAdapter, WithoutLocalIPv4TheFirstAddressWithoutADotMatches) {
  facts.addresses = {Loopback(), Ethernet({V6(u"fd12::13")})};
  facts.configurations[u"10"] = {WmiConfiguration({{u"192.168.0.10", u"fd12::13", u"fe80::1%10"}})};
  ASSERT_TRUE(FindActiveAdapter(facts, info));
  EXPECT_EQ(info.NetworkIP, u"fd12::13");
}

TEST_F(FindAdapter, NoAdapterSharesThePrefixOfTheFirstLocalAddress) {
  // The first listed IPv4 belongs to a virtual adapter that WMI does not report as physical.
  facts.addresses = {Loopback(), Ethernet({V4(u"172.20.0.1")}), Ethernet({V4(u"192.168.0.10")})};
  EXPECT_FALSE(FindActiveAdapter(facts, info));
  EXPECT_EQ(info.NetworkName, u"old name") << "nothing written without an adapter";
  EXPECT_EQ(info.NetworkIP, u"1.1.1.1");
  ExpectComBalanced();
}

TEST_F(FindAdapter, UnreachableWmiGivesFalseAndLeavesInfoAlone) {
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

TEST_F(FindAdapter, NullIndexEndsTheWalk) {
  FakeWmiObject null_index = WmiAdapter(11, u"eth1", kGuid11);
  null_index.properties[u"Index"] = test::WmiNull();
  facts.adapters = {null_index, WmiAdapter(10, u"eth0", kGuid10)};
  EXPECT_FALSE(FindActiveAdapter(facts, info));
  ExpectComBalanced();
}

TEST_F(FindAdapter, FailuresAfterTheAdapterQueryAreRaisedAfterComIsReleased) {
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

TEST_F(FindAdapter, ListingFailureIsRaisedBeforeComIsTouched) {
  facts.addresses_status = 87;
  EXPECT_THROW(FindActiveAdapter(facts, info), Error);
  EXPECT_EQ(facts.com_initialize_calls, 0);
}

TEST_F(FindAdapter, ComThatCannotBeInitialisedIsNotUninitialised) {
  facts.com_initializes = false;
  EXPECT_TRUE(FindActiveAdapter(facts, info));
  EXPECT_EQ(facts.com_depth, 0);
}

TEST(InternetProbe, OneBoundedDirectHeadToTheProbeAddress) {
  test::FakeHttp http;
  http.script = {test::FakeHttp::Ok("", 200), test::FakeHttp::Ok("", 404), test::FakeHttp::Ok("", 302),
                 test::FakeHttp::Reply{}};
  EXPECT_TRUE(IsInternetReachable(http, kProbeAttemptLimitMs));
  EXPECT_TRUE(IsInternetReachable(http, kProbeAttemptLimitMs));  // an HTTP error status is still an answer
  EXPECT_TRUE(IsInternetReachable(http, kProbeAttemptLimitMs));  // a redirect is the reply, not followed
  EXPECT_FALSE(IsInternetReachable(http, kProbeAttemptLimitMs));
  const auto requests = http.Requests();
  ASSERT_EQ(requests.size(), 4u);
  for (const auto& r : requests) {
    EXPECT_EQ(r.method, u"HEAD");
    EXPECT_EQ(r.url, config::kProbeUrl);
    EXPECT_TRUE(r.headers.empty());
    EXPECT_EQ(r.max_redirects, 0);
    EXPECT_FALSE(r.use_proxy);
  }
}

// Every step of an attempt has a limit (zero would be the system's own: none for the name lookup), and the
// steps together fit in the time the attempt was given.
TEST(InternetProbe, TheStepsOfAnAttemptShareItsLimit) {
  for (std::uint32_t limit : {kProbeAttemptLimitMs, 4000u, 999u, 4u, 1u}) {
    SCOPED_TRACE(limit);
    test::FakeHttp http;
    IsInternetReachable(http, limit);
    ASSERT_EQ(http.Requests().size(), 1u);
    const HttpRequest r = http.Requests()[0];
    for (std::uint32_t step :
         {r.resolve_timeout_ms, r.connect_timeout_ms, r.send_timeout_ms, r.receive_timeout_ms})
      EXPECT_GT(step, 0u);
    const std::uint64_t sum =
        std::uint64_t{r.resolve_timeout_ms} + r.connect_timeout_ms + r.send_timeout_ms + r.receive_timeout_ms;
    EXPECT_LE(sum, std::max(limit, 4u));  // a step is at least 1 ms
  }
}

TEST(InternetWait, ProbesUntilAnAnswerWithAPauseAfterEachFailure) {
  struct Case {
    int answers_at;  // 0: never
    int probes, pauses;
    bool reached;
  };
  const Case cases[] = {
      {1, 1, 0, true},
      {3, 3, 2, true},
      {300, 300, 299, true},
      {0, 300, 300, false},  // the last failure is followed by its pause too
  };
  for (const auto& c : cases) {
    test::FakeClock clock;
    int probes = 0;
    const bool reached = WaitForInternet([&](std::uint32_t) { return ++probes == c.answers_at; }, clock);
    EXPECT_EQ(reached, c.reached) << c.answers_at;
    EXPECT_EQ(probes, c.probes) << c.answers_at;
    EXPECT_EQ(clock.SleepCount(), static_cast<size_t>(c.pauses)) << c.answers_at;
    EXPECT_EQ(clock.SleptMs(), 1000u * c.pauses) << c.answers_at;
  }
}

TEST(InternetWait, StopsProbingOnceAskedTo) {
  test::FakeClock clock;
  int probes = 0;
  EXPECT_FALSE(
      WaitForInternet([&](std::uint32_t) { return ++probes, false; }, clock, [&] { return probes == 5; }));
  EXPECT_EQ(probes, 5);
  EXPECT_EQ(clock.SleepCount(), 5u);
}

// A network where each step takes as long as it is allowed: lookups that never answer, connections that are
// swallowed, a server that never replies. A step without a limit of its own stands for a minute here (a
// lookup through several unreachable DNS servers takes that long on Windows). The wait after a restart still
// ends within its budget, on Windows' 15.6 ms tick too.
class SilentNetwork : public IHttp {
 public:
  explicit SilentNetwork(test::FakeClock& clock) : clock_(clock) {}
  bool Send(const HttpRequest& r, HttpResponse*) override {
    auto step = [](std::uint32_t limit) { return limit ? limit : 60000u; };
    clock_.Advance(std::uint64_t{step(r.resolve_timeout_ms)} + step(r.connect_timeout_ms) +
                   step(r.send_timeout_ms) + step(r.receive_timeout_ms));
    ++attempts;
    return false;
  }
  int attempts = 0;

 private:
  test::FakeClock& clock_;
};

TEST(InternetWait, EndsWithinItsBudgetOnANetworkThatNeverAnswers) {
  for (std::uint64_t tick_us : {0u, 15625u}) {
    SCOPED_TRACE(tick_us);
    test::FakeClock clock;
    clock.tick_us = tick_us;
    SilentNetwork network(clock);
    EXPECT_FALSE(WaitForInternet(
        [&](std::uint32_t limit_ms) { return IsInternetReachable(network, limit_ms); }, clock));
    EXPECT_GT(network.attempts, 1);
    EXPECT_LE(clock.Milliseconds(), std::uint64_t{kProbeBudgetMs} + tick_us / 1000 + 1);
    EXPECT_GE(clock.Milliseconds(), std::uint64_t{kProbeBudgetMs}) << "the whole budget is used";
  }
}

// The last attempt is given only what is left of the budget, and no attempt starts once it is spent.
TEST(InternetWait, AttemptsAreGivenWhatIsLeftOfTheBudget) {
  test::FakeClock clock;
  std::vector<std::uint32_t> limits;
  EXPECT_FALSE(WaitForInternet(
      [&](std::uint32_t limit_ms) {
        limits.push_back(limit_ms);
        clock.Advance(limit_ms);
        return false;
      },
      clock, {}, kProbeAttempts, 30000));
  // 12 s, 1 s pause, 12 s, 1 s pause: 26 s; 4 s left for the third, then the budget is spent.
  EXPECT_EQ(limits, (std::vector<std::uint32_t>{kProbeAttemptLimitMs, kProbeAttemptLimitMs, 4000u}));
  EXPECT_EQ(clock.Milliseconds(), 30000u);
}

}  // namespace
}  // namespace tw
