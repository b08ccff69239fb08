#include <gtest/gtest.h>

#include <future>

#include "fakes/fake_clock.h"
#include "fakes/fake_dispatcher.h"
#include "fakes/fake_http.h"
#include "fakes/fake_random.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_services.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_threads.h"
#include "fakes/fake_update_prompts.h"
#include "fakes/fake_version.h"
#include "i18n/translate.h"
#include "update/update_text.h"
#include "update/client_id.h"
#include "update/update.h"

namespace tw {
namespace {

constexpr char16_t kUrl[] = u"http://127.0.0.1:9/api.init.php";

class UpdateCheck : public ::testing::Test {
 protected:
  UpdateCheck() {
    services.language = [] { return std::u16string(u"de"); };
    SetServiceAddress(kUrl, 10);
  }
  void Run() {
    RunUpdateCheck(services, [this](bool accepted, const std::u16string& answer) {
      calls.push_back({accepted, answer});
    });
  }

  test::FakeHttp http;
  test::FakeClock clock;
  test::FakeSecureRandom random;
  test::FakeDispatcher dispatcher;
  test::FakeVersionInfo version;
  test::FakeShell shell;
  test::FakeUpdatePrompts prompts;
  test::FakeThreads threads;
  test::RefusingRegistry registry;
  Services services{.registry = registry,
                    .dispatcher = dispatcher,
                    .clock = clock,
                    .http = http,
                    .shell = &shell,
                    .secure_random = &random,
                    .version = &version,
                    .prompts = &prompts,
                    .threads = &threads};
  std::vector<std::pair<bool, std::u16string>> calls;
};

TEST_F(UpdateCheck, RequestCarriesTheFourHeadersInOrderAndTheTransferLimits) {
  http.script.push_back(test::FakeHttp::Ok("{}"));
  Run();
  const auto requests = http.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const HttpRequest& r = requests[0];
  EXPECT_EQ(r.method, u"GET");
  EXPECT_EQ(r.url, kUrl);
  const HeaderList expected = {{u"User-Version", u"1.6.2.0"},
                               {u"User-Language", u"de"},
                               {u"User-Debug", u"false"},
                               {u"User-Union", u""}};  // the registry refuses: sent empty
  EXPECT_EQ(r.headers, expected);
  EXPECT_EQ(r.max_redirects, 5);
  EXPECT_EQ(r.connect_timeout_ms, 60000u);
  EXPECT_EQ(r.send_timeout_ms, 60000u);
  EXPECT_EQ(r.receive_timeout_ms, 60000u);
  EXPECT_EQ(r.max_body_bytes, 1u << 20);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], std::make_pair(false, std::u16string(u"{}")));
}

TEST_F(UpdateCheck, StoredIdentifierOfTheWrongShapeIsSentEmptyAndKeptAsStored) {
  const struct {
    std::u16string stored, sent;
  } cases[] = {
      {u"1234ABCD240309BEEF1405070000000F", u"1234ABCD240309BEEF1405070000000F"},
      {u"1234ABCD240309BEEF1405070000000F\r\nX-Injected: 1", u""},
      {std::u16string(4096, u'A'), u""},
      {u"not an identifier", u""},
  };
  for (const auto& c : cases) {
    test::FakeRegistry stored;
    stored.PutString(reg::kCurrentUser, u"Software\\Vantorel", u"VUID", reg::kSz, c.stored);
    Services with_id{.registry = stored,
                     .dispatcher = dispatcher,
                     .clock = clock,
                     .http = http,
                     .secure_random = &random,
                     .version = &version,
                     .prompts = &prompts,
                     .language = services.language};
    http.script = {test::FakeHttp::Ok("{}")};
    const size_t before = http.Requests().size();
    RunUpdateCheck(with_id, {});
    const auto requests = http.Requests();
    ASSERT_EQ(requests.size(), before + 1);
    EXPECT_EQ(requests.back().headers.at(3), std::make_pair(std::u16string(u"User-Union"), c.sent));
    EXPECT_TRUE(stored.CallsOf("SetValue").empty());
  }
}

TEST_F(UpdateCheck, MissingVersionResourceSendsZeros) {
  version.version.reset();
  http.fallback = test::FakeHttp::Ok("");
  Run();
  EXPECT_EQ(http.Requests().at(0).headers.at(0).second, u"0.0.0.0");
}

TEST_F(UpdateCheck, ErrorPageIsAnAnswerAndIsNotRetried) {
  http.script.push_back(test::FakeHttp::Ok("<h1>Not Found</h1>", 404));
  http.fallback = test::FakeHttp::Ok("{\"notify\":\"http://x/\"}");
  Run();
  EXPECT_EQ(http.Requests().size(), 1u);
  EXPECT_EQ(clock.SleepCount(), 0u);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], std::make_pair(false, std::u16string(u"<h1>Not Found</h1>")));
}

TEST_F(UpdateCheck, UnreachableServiceMakesSixAttemptsWithPausesThenReportsEmpty) {
  Run();
  EXPECT_EQ(http.Requests().size(), 6u);
  EXPECT_EQ(clock.SleepCount(), 6000u);  // 1000 steps of 10 ms after each failure, the sixth included
  EXPECT_EQ(clock.SleptMs(), 60000u);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], std::make_pair(false, std::u16string()));
  EXPECT_TRUE(prompts.journal.empty());
}

// The pause between attempts is measured on the monotonic clock, not counted in sleeps: on Windows' default
// 15.6 ms tick a 10 ms sleep lasts a whole tick, and a thousand of them make 15.6 s instead of 10 s.
TEST_F(UpdateCheck, PausesLastTenSecondsWhateverTheTimerTick) {
  for (std::uint64_t tick_us : {0u, 1000u, 15625u, 31250u}) {
    SCOPED_TRACE(tick_us);
    test::FakeClock ticking;
    ticking.tick_us = tick_us;
    Services s{.registry = registry,
               .dispatcher = dispatcher,
               .clock = ticking,
               .http = http,
               .shell = &shell,
               .secure_random = &random,
               .version = &version,
               .prompts = &prompts,
               .threads = &threads};
    s.language = services.language;
    http.script = {std::nullopt, test::FakeHttp::Ok("ok")};
    calls.clear();
    RunUpdateCheck(s, [this](bool accepted, const std::u16string& answer) {
      calls.push_back({accepted, answer});
    });
    ASSERT_EQ(calls.size(), 1u);
    // One pause, ended at the first tick on or after ten seconds.
    EXPECT_GE(ticking.Milliseconds(), 10000u);
    EXPECT_LT(ticking.Milliseconds(), 10000u + (tick_us ? tick_us / 1000 + 1 : 1));
  }
}

TEST_F(UpdateCheck, SuccessAfterFailuresStopsAtOnce) {
  http.script = {std::nullopt, std::nullopt, test::FakeHttp::Ok("ok \xED\x95\x9C")};
  Run();
  EXPECT_EQ(http.Requests().size(), 3u);
  EXPECT_EQ(clock.SleptMs(), 20000u);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].second, u"ok \uD55C");  // the body is read as UTF-8
}

TEST_F(UpdateCheck, TerminationDuringAPauseEndsTheCheckWithoutCallback) {
  clock.on_sleep = [this] {
    if (clock.SleepCount() == 1500) dispatcher.terminating = true;
  };
  Run();
  EXPECT_EQ(http.Requests().size(), 2u);
  EXPECT_EQ(clock.SleepCount(), 1500u);  // noticed before the very next step
  EXPECT_EQ(dispatcher.invocations, 0);
  EXPECT_TRUE(calls.empty());
}

TEST_F(UpdateCheck, MalformedEscapeInTheAnswerEndsTheCheckQuietly) {
  const std::string answers[] = {"{\"update\":\"http://a/\\uZZZZ\"}", "{\"notify\":\"\\u\"}",
                                 "{\"update\":\"https://a/\",\"notify\":\"\\u12x4\"}"};  // after the offer
  for (const auto& a : answers) {
    calls.clear();
    http.script.push_back(test::FakeHttp::Ok(a));
    EXPECT_NO_THROW(Run());
    EXPECT_TRUE(calls.empty()) << a;
  }
}

TEST_F(UpdateCheck, HandOverDroppedOnceTheWindowIsGone) {
  dispatcher.closed = true;
  http.fallback = test::FakeHttp::Ok("{\"update\":\"https://a/\"}");
  Run();
  EXPECT_TRUE(calls.empty());
  EXPECT_TRUE(prompts.journal.empty());
}

TEST_F(UpdateCheck, HoldRequestCarriesExactlyTwoHeaders) {
  http.fallback = std::nullopt;
  SendHoldCommand(services);
  const auto requests = http.Requests();
  ASSERT_EQ(requests.size(), 1u);  // one attempt, the failure ignored
  EXPECT_EQ(requests[0].url, kUrl);
  EXPECT_EQ(requests[0].method, u"GET");
  const HeaderList expected = {{u"User-Version", u"1.6.2.0"}, {u"User-Command", u"hold"}};
  EXPECT_EQ(requests[0].headers, expected);
}

TEST_F(UpdateCheck, CheckUpdateWithoutCallbackReturnsAfterTheHandling) {
  http.fallback = test::FakeHttp::Ok("{\"update\":\"https://u/\"}");
  CheckUpdate(services, u"http://127.0.0.1:9/other", {}, -3);
  EXPECT_EQ(ServiceUrl(), u"http://127.0.0.1:9/other");
  EXPECT_EQ(DialogOffset(), -3);
  EXPECT_EQ(prompts.dialogs.size(), 1u);  // already shown when CheckUpdate returned
  SetServiceAddress(kUrl, 10);
}

TEST(ServiceAddress, AnAddressOnceReadStaysValidAfterItIsReplaced) {
  SetServiceAddress(u"http://127.0.0.1:9/first", 1);
  const std::u16string& first = ServiceUrl();
  SetServiceAddress(u"http://127.0.0.1:9/second-and-longer-than-any-small-string-buffer", 2);
  // A thread that took the address before the change still reads it whole (ASan: no use after free).
  EXPECT_EQ(first, u"http://127.0.0.1:9/first");
  EXPECT_EQ(ServiceUrl(), u"http://127.0.0.1:9/second-and-longer-than-any-small-string-buffer");
  EXPECT_EQ(DialogOffset(), 2);
  SetServiceAddress(kUrl, 10);
}

TEST_F(UpdateCheck, CheckUpdateWithCallbackReturnsAtOnce) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  http.fallback = test::FakeHttp::Ok("{}");
  services.language = [released] {
    released.wait();  // holds the check thread until CheckUpdate has returned
    return std::u16string(u"ko");
  };
  std::promise<std::pair<bool, std::u16string>> result;
  CheckUpdate(
      services, kUrl,
      [&](bool accepted, const std::u16string& answer) {
        result.set_value({accepted, answer});
      },
      10);
  EXPECT_EQ(http.Requests().size(), 0u);
  release.set_value();
  auto future = result.get_future();
  ASSERT_EQ(future.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(future.get(), std::make_pair(false, std::u16string(u"{}")));
  EXPECT_EQ(http.Requests().at(0).headers.at(1).second, u"ko");
}

TEST_F(UpdateCheck, WithoutAThreadTheCheckAndTheHoldRequestAreSkipped) {
  threads.refuse = true;
  http.fallback = test::FakeHttp::Ok("{\"update\":\"https://u/\"}");
  bool called = false;
  CheckUpdate(
      services, kUrl, [&](bool, const std::u16string&) { called = true; }, 10);
  CheckUpdate(services, kUrl, {}, 10);  // returns instead of serving hand-overs for a thread that never ran
  StartHoldCommand(services);
  EXPECT_EQ(threads.asked.load(), 3);
  EXPECT_TRUE(http.Requests().empty());
  EXPECT_FALSE(called);
  EXPECT_TRUE(prompts.dialogs.empty());
  EXPECT_EQ(dispatcher.invocations, 0);
}

TEST_F(UpdateCheck, WithoutALanguageOfItsOwnSendsTheCurrentLanguageAsTheCheckRuns) {
  services.language = nullptr;
  http.fallback = test::FakeHttp::Ok("");
  SetCurrentLanguage(u"ja");  // read when the check runs, not when the services were made
  Run();
  EXPECT_EQ(http.Requests().at(0).headers.at(1),
            (std::pair<std::u16string, std::u16string>{u"User-Language", u"ja"}));
  EXPECT_EQ(UpdateText(utYes), u"\u306F\u3044");
  SetCurrentLanguage(u"");
  EXPECT_EQ(UpdateText(utYes), u"Yes");
}

TEST(ServiceGet, FailureLeavesTheAnswerUntouched) {
  test::FakeHttp http;
  std::u16string answer = u"before";
  EXPECT_FALSE(ServiceGet(http, {}, &answer));
  EXPECT_EQ(answer, u"before");
  http.fallback = test::FakeHttp::Ok("bad \xFF utf-8", 500);
  EXPECT_TRUE(ServiceGet(http, {}, &answer));
  EXPECT_EQ(answer, u"bad \uFFFD utf-8");
}

TEST(VersionText, FormatsTheFileVersion) {
  test::FakeVersionInfo v;
  v.version = FileVersion{1, 6, 2, 65535};
  EXPECT_EQ(VersionText(&v, u"%d.%d.%d.%d"), u"1.6.2.65535");
  EXPECT_EQ(VersionText(&v, u"v%d.%d (%d) 100%%"), u"v1.6 (2) 100%");
  v.version.reset();
  EXPECT_EQ(VersionText(&v, u"%d.%d.%d.%d"), u"0.0.0.0");
  EXPECT_EQ(VersionText(&v, u"%d"), u"0.0.0.0");
  EXPECT_EQ(VersionText(nullptr, u"%d.%d.%d.%d"), u"0.0.0.0");
}

TEST(NewClientId, FivePiecesFromTheGeneratorAndTwoClockReadings) {
  // The hex digits are the generator's bytes in order, the full range of each byte included.
  test::FakeSecureRandom random;
  random.bytes = {0xFF, 0xFF, 0xFF, 0xFE, 0x00, 0xAB, 0x80, 0x00, 0x00, 0x1F, 0x55};
  test::FakeClock clock;
  clock.times = {{2009, 1, 2, 23, 59, 58}, {2010, 3, 4, 0, 0, 1}};  // midnight passes between the readings
  const std::u16string id = NewClientId(random, clock);
  EXPECT_EQ(id, u"FFFFFFFE09010200AB0000018000001F");
  EXPECT_EQ(id.size(), 32u);
  EXPECT_EQ(random.draws, 1);
  EXPECT_EQ(random.bytes, std::deque<std::uint8_t>{0x55}) << "80 bits drawn, no more";
  EXPECT_EQ(clock.Readings(), 2u);
}

TEST(NewClientId, NothingWhenTheSystemGeneratorFails) {
  test::FakeSecureRandom random;
  random.fail = true;
  test::FakeClock clock;
  EXPECT_EQ(NewClientId(random, clock), u"");
}

}  // namespace
}  // namespace tw
