#include "tuning/adapter_restart.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <thread>

#include "fakes/fake_clock.h"
#include "fakes/fake_net_connections.h"
#include "fakes/fake_registry.h"
#include "tuning/restart_marker.h"

namespace tw {
namespace {

constexpr char16_t kA[] = u"{0000000A-0000-0000-0000-4E6574446576}";
constexpr char16_t kB[] = u"{0000000B-0000-0000-0000-4E6574446576}";

// "D" for a disconnect, "C" for a connect, in order.
std::string Sequence(const test::FakeNetConnections& connections) {
  std::string out;
  for (const auto& c : connections.Calls()) out += c.enable ? 'C' : 'D';
  return out;
}

TEST(ConnectionRestart, AConnectionSwitchedOffIsAskedBackUntilItComes) {
  struct Case {
    const char* what;
    std::deque<bool> answers;  // for each call in turn; then true
    bool back;
    std::string calls;
    size_t pauses;
  };
  const Case cases[] = {
      {"both succeed", {true, true}, true, "DC", 0},
      // Not switched off (not found, or kept off by the user): left as it was, never switched on.
      {"not switched off: left as it was", {false}, true, "D", 0},
      {"off, back at the first retry", {true, false, true}, true, "DCC", 1},
      {"off, back at the last retry", {true, false, false, false, true}, true, "DCCCC", 3},
      {"off for good", {true, false, false, false, false}, false, "DCCCC", 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::FakeNetConnections connections;
    std::deque<bool> answers = c.answers;
    connections.answer = [&answers](const std::u16string&, bool) {
      if (answers.empty()) return true;
      const bool a = answers.front();
      answers.pop_front();
      return a;
    };
    test::FakeClock clock;
    EXPECT_EQ(RestartConnection(&connections, kA, &clock), c.back);
    EXPECT_EQ(Sequence(connections), c.calls);
    EXPECT_EQ(clock.SleepCount(), c.pauses);
    EXPECT_EQ(clock.SleptMs(), c.pauses * kReconnectPauseMs);
    for (const auto& call : connections.Calls()) EXPECT_EQ(call.guid, kA);
  }
}

// The window's end waits for a restart under way, but not for ever: a connect that never returns (a hung
// component) is left to the restart marker.
TEST(RestartsUnderWay, TheWaitEndsWhenNoneIsLeftOrAtItsLimit) {
  RestartsUnderWay under_way;
  EXPECT_TRUE(under_way.WaitUntilNone(std::chrono::milliseconds(0)));
  under_way.Begin();
  EXPECT_FALSE(under_way.WaitUntilNone(std::chrono::milliseconds(20)));
  std::thread ends([&] { under_way.End(); });
  EXPECT_TRUE(under_way.WaitUntilNone(std::chrono::seconds(30)));
  ends.join();
}

// With a marker: named from before the disconnect until it is back; a connection that stayed off stays named;
// one that was never switched off is not left named.
TEST(ConnectionRestart, TheMarkerNamesTheConnectionWhileItIsOff) {
  struct Case {
    const char* what;
    std::function<bool(const std::u16string&, bool)> answer;
    bool marked_after;
  };
  const Case cases[] = {
      {"back", nullptr, false},
      {"stays off", [](const std::u16string&, bool enable) { return !enable; }, true},
      {"never switched off", [](const std::u16string&, bool) { return false; }, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::FakeRegistry registry;
    test::FakeNetConnections connections;
    connections.answer = c.answer;
    bool marked_while_off = false;
    connections.on_call = [&](const test::FakeNetConnections::Call& call) {
      if (!call.enable) marked_while_off = RestartMarks(registry) == std::vector<std::u16string>{kA};
    };
    RestartConnection(&connections, kA, nullptr, &registry);
    EXPECT_TRUE(marked_while_off);
    EXPECT_EQ(!RestartMarks(registry).empty(), c.marked_after);
  }
}

TEST(ConnectionRestart, WithoutAComponentOrAClockNothingStaysOff) {
  EXPECT_TRUE(RestartConnection(nullptr, kA, nullptr));
  test::FakeNetConnections connections;
  connections.answer = [](const std::u16string&, bool enable) { return !enable; };
  EXPECT_FALSE(RestartConnection(&connections, kA, nullptr));  // retries without pauses
  EXPECT_EQ(Sequence(connections), "DCCCC");
}

TEST(ConnectionRestart, EveryConnectionIsRestartedEvenAfterOneStayedOff) {
  test::FakeNetConnections connections;
  connections.answer = [](const std::u16string& guid, bool enable) { return !enable || guid != kA; };
  test::FakeClock clock;
  EXPECT_FALSE(RestartConnections(&connections, {kA, kB}, &clock));
  const auto calls = connections.Calls();
  ASSERT_EQ(calls.size(), 7u);
  EXPECT_EQ(calls[5].guid, kB);
  EXPECT_FALSE(calls[5].enable);
  EXPECT_EQ(calls[6].guid, kB);
  EXPECT_TRUE(calls[6].enable);
  connections.answer = nullptr;
  EXPECT_TRUE(RestartConnections(&connections, {kA, kB}, &clock));
}

}  // namespace
}  // namespace tw
