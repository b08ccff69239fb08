#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "fakes/fake_adapter_facts.h"
#include "fakes/fake_threads.h"
#include "platform/error.h"
#include "platform/text.h"
#include "tuning/adapter_discovery.h"

namespace tw {
namespace {

// Far beyond any wait a loaded machine makes, for the cases that are not about the time limit: a test that
// hangs still ends at ctest's time-out.
constexpr std::chrono::milliseconds kPatient{600000};

constexpr char16_t kGuid[] = u"{0000000A-0000-0000-0000-4E6574446576}";

void Arrange(test::FakeAdapterFacts& facts) {
  facts.addresses = {test::Loopback(), test::Ethernet({test::V4(u"192.168.77.10")})};
  facts.adapters = {test::WmiAdapter(10, u"eth0", kGuid)};
  facts.configurations[u"10"] = {test::WmiConfiguration({{u"192.168.77.10"}})};
}

// Collected, discovery gives what FindActiveAdapter called in its place gives; it runs on a worker, or on the
// collecting thread when no worker can be started.
TEST(AdapterDiscovery, CollectGivesWhatTheCallGives) {
  struct Case {
    const char* name;
    void (*arrange)(test::FakeAdapterFacts&);
  };
  const Case cases[] = {
      {"found", [](test::FakeAdapterFacts&) {}},
      {"WMI down", [](test::FakeAdapterFacts& f) { f.wmi_up = false; }},
      {"no address in the local prefix",
       [](test::FakeAdapterFacts& f) { f.addresses = {test::Ethernet({test::V4(u"10.0.0.1")})}; }},
      {"the only adapter is virtual",
       [](test::FakeAdapterFacts& f) {
         f.adapters = {test::WmiAdapter(10, u"VMware Network Adapter", kGuid)};
       }},
  };
  for (const Case& c : cases) {
    for (bool refused : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (refused ? ", no thread" : ", on a worker"));
      test::FakeAdapterFacts direct_facts;
      Arrange(direct_facts);
      c.arrange(direct_facts);
      AdapterInfo direct;
      const bool direct_found = FindActiveAdapter(direct_facts, direct);

      test::FakeAdapterFacts facts;
      Arrange(facts);
      c.arrange(facts);
      test::FakeThreads threads;
      threads.refuse = refused;
      AdapterDiscovery discovery(facts, threads, kPatient);
      const AdapterInfo before{u"before", u"{before}", u"0.0.0.0"};
      AdapterInfo info = before;
      ASSERT_EQ(discovery.Collect(info), direct_found);
      if (direct_found) {
        EXPECT_EQ(info.NetworkName, direct.NetworkName);
        EXPECT_EQ(info.NetworkGUID, direct.NetworkGUID);
        EXPECT_EQ(info.NetworkIP, direct.NetworkIP);
      } else {
        EXPECT_EQ(info.NetworkGUID, before.NetworkGUID) << "nothing written without an adapter";
      }
      EXPECT_EQ(facts.listed_on == std::this_thread::get_id(), refused);
      EXPECT_EQ(facts.com_depth, 0) << "COM balanced on the discovery's thread";
      EXPECT_EQ(facts.com_initialize_calls, direct_facts.com_initialize_calls);
      // Collected again: the same outcome, without discovering again.
      AdapterInfo again;
      EXPECT_EQ(discovery.Collect(again), direct_found);
      EXPECT_EQ(facts.connections.size(), direct_facts.connections.size());
    }
  }
}

// An error raised by discovery on its worker is raised where the result is collected, with its message.
TEST(AdapterDiscovery, AnErrorIsRaisedWhereTheResultIsCollected) {
  test::FakeAdapterFacts facts;
  Arrange(facts);
  facts.failing_configuration_queries.insert(u"10");
  test::FakeThreads threads;
  AdapterDiscovery discovery(facts, threads, kPatient);
  for (int collect = 0; collect < 2; ++collect) {
    AdapterInfo info;
    try {
      discovery.Collect(info);
      ADD_FAILURE() << "no error raised";
    } catch (const Error& e) {
      EXPECT_EQ(EncodeUtf8(e.message()), "Network adapter query failed: configuration query");
    }
    EXPECT_EQ(info.NetworkGUID, u"") << "the adapter read before the failure is not handed on";
  }
  EXPECT_NE(facts.listed_on, std::this_thread::get_id());
  EXPECT_EQ(facts.com_depth, 0);
  EXPECT_FALSE(facts.uninitialized_with_live_objects);
}

// Facts whose listing blocks until released: WMI or the network stack hung right after boot.
class HangingFacts : public test::FakeAdapterFacts {
 public:
  HangingFacts() {
    on_list = [this] {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [this] { return released_; });
    };
  }
  void ComUninitialize() override {
    test::FakeAdapterFacts::ComUninitialize();
    std::lock_guard<std::mutex> lock(mutex_);
    ended_ = true;
    changed_.notify_all();
  }
  // Lets the hung discovery go on and waits until it no longer uses these facts.
  void ReleaseAndWaitForTheEnd() {
    std::unique_lock<std::mutex> lock(mutex_);
    released_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return ended_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool released_ = false, ended_ = false;
};

// A discovery that never answers fails once its time is up, with the error of any discovery that fails after
// the adapter query, so that the window still comes and says so; collected again, the same.
TEST(AdapterDiscovery, ADiscoveryThatNeverAnswersFailsWhenItsTimeIsUp) {
  HangingFacts facts;
  Arrange(facts);
  test::FakeThreads threads;
  {
    AdapterDiscovery discovery(facts, threads, std::chrono::milliseconds(200));
    const auto start = std::chrono::steady_clock::now();
    for (int collect = 0; collect < 2; ++collect) {
      AdapterInfo info{u"before", u"{before}", u""};
      try {
        discovery.Collect(info);
        ADD_FAILURE() << "no error raised";
      } catch (const Error& e) {
        EXPECT_EQ(EncodeUtf8(e.message()), "Network adapter query failed: no answer in time");
      }
      EXPECT_EQ(info.NetworkGUID, u"{before}");
    }
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(150));
    EXPECT_LT(waited, std::chrono::seconds(10));
  }
  facts.ReleaseAndWaitForTheEnd();  // the abandoned worker ends on its own, after its discovery object
}

// Run where it is collected (no worker could be started), a discovery that ended is never taken for one that
// did not answer, however long it took.
TEST(AdapterDiscovery, ADiscoveryRunWhereItIsCollectedIsNeverLate) {
  test::FakeAdapterFacts facts;
  Arrange(facts);
  test::FakeThreads threads;
  threads.refuse = true;
  AdapterDiscovery discovery(facts, threads, std::chrono::milliseconds(0));
  AdapterInfo info;
  EXPECT_TRUE(discovery.Collect(info));
  EXPECT_EQ(info.NetworkName, u"eth0");
}

// The collecting thread waits for a discovery still under way.
TEST(AdapterDiscovery, CollectWaitsForADiscoveryUnderWay) {
  test::FakeAdapterFacts facts;
  Arrange(facts);
  std::mutex mutex;
  std::condition_variable changed;
  bool listing = false, go_on = false;
  facts.on_list = [&] {
    std::unique_lock<std::mutex> lock(mutex);
    listing = true;
    changed.notify_all();
    changed.wait(lock, [&] { return go_on; });
  };
  test::FakeThreads threads;
  AdapterDiscovery discovery(facts, threads, kPatient);  // returns while the worker is held in the listing
  {
    std::unique_lock<std::mutex> lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(30), [&] { return listing; }));
  }
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::lock_guard<std::mutex> lock(mutex);
    go_on = true;
    changed.notify_all();
  });
  AdapterInfo info;
  EXPECT_TRUE(discovery.Collect(info));
  EXPECT_EQ(info.NetworkName, u"eth0");
  release.join();
}

}  // namespace
}  // namespace tw
