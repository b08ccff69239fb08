// The wait for the internet after an adapter restart: the probe request and its limits, and the wait's
// attempts, pauses and budget, on a fake clock and fake HTTP.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "build_config.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_http.h"
#include "tuning/internet_wait.h"

namespace tw {
namespace {

TEST(InternetWaitProbe, OneBoundedDirectHeadToTheProbeAddress) {
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
    EXPECT_TRUE(r.use_proxy) << "through the user's proxy, like any other client";
  }
}

// Every step of an attempt has a limit (zero would be the system's own: none for the name lookup), and the
// steps together fit in the time the attempt was given.
TEST(InternetWaitProbe, TheStepsOfAnAttemptShareItsLimit) {
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
