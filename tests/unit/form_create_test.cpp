#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <set>
#include <thread>

#include "app/main_form.h"
#include "app/main_layout.h"
#include "fakes/fake_adapter_facts.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_form_view.h"
#include "fakes/fake_http.h"
#include "fakes/fake_locale.h"
#include "fakes/fake_random.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_threads.h"
#include "fakes/fake_update_prompts.h"
#include "fakes/fake_version.h"
#include "fakes/queued_dispatcher.h"
#include "i18n/embedded_table.h"
#include "i18n/translate.h"
#include "platform/error.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tuning/adapter_discovery.h"

namespace tw {
namespace {

// The window as stored: Korean captions from the layout table.
class StoredView : public test::FakeFormView {
 public:
  StoredView() {
    for (const ControlSpec& entry : MainLayout())
      at(entry.control).caption = entry.caption ? entry.caption : u"";
    journal.clear();
  }
};

class FormCreate : public ::testing::Test {
 protected:
  void SetUp() override {
    test::FakeLocale locale(u"en");
    TranslateModuleStart(EmbeddedTranslateTable(), locale);
    http.fallback = test::FakeHttp::Ok("{}");
  }
  void TearDown() override {
    WaitForCheck(checks_started);
    TranslateModuleStop();
  }

  // The update check runs on its own thread and hands its answer over to this one, which stands in for the
  // UI thread: the offer, the notice and the callback run here. Once the hand-over has returned, the check
  // thread touches nothing of the fixture any more.
  void WaitForCheck(int checks = 1) {
    EXPECT_TRUE(dispatcher.Serve([&] { return dispatcher.Delivered() >= checks; }, std::chrono::seconds(30)))
        << dispatcher.Delivered() << " of " << checks << " checks handed over";
  }

  size_t Position(const std::string& entry) const {
    auto it = std::find(view.journal.begin(), view.journal.end(), entry);
    EXPECT_NE(it, view.journal.end()) << entry;
    return static_cast<size_t>(it - view.journal.begin());
  }

  StoredView view;
  test::FakeRegistry registry;
  test::QueuedDispatcher dispatcher;
  test::FakeClock clock;
  test::FakeHttp http;
  test::FakeUpdatePrompts prompts;
  test::FakeRandom random;
  test::FakeVersionInfo version;
  Services services{.registry = registry,
                    .dispatcher = dispatcher,
                    .clock = clock,
                    .http = http,
                    .random = &random,
                    .version = &version,
                    .prompts = &prompts};
  int checks_started = 1;  // update checks the test starts; each ends with one hand-over
};

TEST_F(FormCreate, StepsRunInTheirOrder) {
  TFrmTempowave form(view, services);
  form.FormCreate();
  const size_t theme = Position("AttachThemeHelper");
  const size_t caption = Position("SetCaption Tempowave");
  const size_t fit = Position("FitLabelFont LblTitle");
  const size_t font = Position("UseIconTitleFont");
  const size_t spinner = Position("SetVisible Indicator 0");
  const size_t donate = Position("SetVisible BtnDonate 0");
  const size_t page = Position("SetActivePage 0");
  const size_t title = Position("SetApplicationTitle Tempowave");
  const size_t version_label = Position("SetControlCaption LblVersion Version: 1.6.2.0");
  EXPECT_LT(theme, caption);
  EXPECT_LT(caption, fit);  // the title is fitted in the user's language
  EXPECT_LT(fit, font);
  EXPECT_LT(font, spinner);
  EXPECT_LT(spinner, donate);
  EXPECT_LT(donate, page);
  EXPECT_LT(page, title);
  EXPECT_LT(title, version_label);
}

TEST_F(FormCreate, EnglishCaptionsAndLabels) {
  TFrmTempowave form(view, services);
  form.FormCreate();
  EXPECT_EQ(view.caption, u"Tempowave");
  EXPECT_EQ(view.application_title, u"Tempowave");
  const std::pair<Ctl, std::u16string> expected[] = {
      {Ctl::LblTitle, u"Tempowave"},
      {Ctl::BtnHome, u"Home"},
      {Ctl::BtnConfig, u"Config"},
      {Ctl::BtnStart, u"Run"},
      {Ctl::GroupBox1, u"Network Adapter"},
      {Ctl::GroupBox2, u"Disable Nagle's algorithm"},
      {Ctl::GroupBox3, u"Network Throttling Index"},
      {Ctl::ChkTcpNoDelay, u"TcpNoDelay"},
      {Ctl::LblVersion, u"Version: 1.6.2.0"},
      {Ctl::LblContent, u"<C><FC:clGray>Easily improve <B>game responsiveness</B>.</FC></C>"},
  };
  for (const auto& [control, text] : expected) EXPECT_EQ(view.at(control).caption, text) << EncodeUtf8(text);
  EXPECT_FALSE(view.at(Ctl::BtnDonate).visible);
  EXPECT_FALSE(view.at(Ctl::Indicator).visible);
  EXPECT_EQ(view.page, 0);
}

TEST_F(FormCreate, KoreanWindowKeepsItsKoreanName) {
  SetCurrentLanguage(u"ko");
  TFrmTempowave form(view, services);
  form.FormCreate();
  EXPECT_EQ(view.caption, u"\uD15C\uD3EC\uC6E8\uC774\uBE0C");
  EXPECT_EQ(view.application_title, view.caption);
  EXPECT_EQ(view.at(Ctl::LblTitle).caption, view.caption);
}

TEST_F(FormCreate, WithoutVersionInformationTheLabelShowsZeros) {
  version.version.reset();
  TFrmTempowave form(view, services);
  form.FormCreate();
  EXPECT_EQ(view.at(Ctl::LblVersion).caption, u"Version: 0.0.0.0");
}

TEST_F(FormCreate, EachSloganCanBePicked) {
  std::set<std::u16string> seen;
  for (std::uint32_t pick = 0; pick < 3; ++pick) {
    StoredView fresh;
    random.values = {pick};
    TFrmTempowave form(fresh, services);
    form.FormCreate();
    seen.insert(fresh.at(Ctl::LblContent).caption);
    // The first check draws the client id from the same source; let it finish before the next pick.
    WaitForCheck(static_cast<int>(pick) + 1);
  }
  checks_started = 3;
  EXPECT_EQ(seen.size(), 3u);
  EXPECT_EQ(random.ranges.front(), 3u);
}

TEST_F(FormCreate, AcceptedUpdateClosesTheWindow) {
  http.fallback = test::FakeHttp::Ok(R"({"update":"https://example.test/setup.exe"})");
  prompts.answer_yes = true;
  TFrmTempowave form(view, services);
  form.FormCreate();
  WaitForCheck();
  EXPECT_TRUE(view.closed);
  ASSERT_EQ(http.Requests().size(), 1u);
}

TEST_F(FormCreate, DeclinedUpdateLeavesTheWindowOpen) {
  http.fallback = test::FakeHttp::Ok(R"({"update":"https://example.test/setup.exe"})");
  prompts.answer_yes = false;
  TFrmTempowave form(view, services);
  form.FormCreate();
  WaitForCheck();
  EXPECT_FALSE(view.closed);
  EXPECT_EQ(prompts.dialogs.size(), 1u);
}

TEST_F(FormCreate, AnErrorEndsTheSequenceAtItsStep) {
  // A switch stored as text by hand cannot be read as a Boolean: the error reaches the caller, the stored run
  // state is not applied and no update check starts.
  registry.PutString(reg::kCurrentUser, u"Software\\Tempowave", u"tcpackfrequency", reg::kSz, u"1");
  checks_started = 0;
  TFrmTempowave form(view, services);
  try {
    form.FormCreate();
    ADD_FAILURE() << "no error raised";
  } catch (const Error& e) {
    EXPECT_EQ(e.message(), u"Invalid data type for 'tcpackfrequency'");
  }
  // The stored run state was never applied: ApplyStatus enables the option boxes.
  EXPECT_EQ(std::count(view.journal.begin(), view.journal.end(), "SetEnabled ChkTcpNoDelay 1"), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_TRUE(http.Requests().empty());
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

// Discovery started at process start and collected at the load step shows exactly what discovery made at
// that step shows: the same labels, the same steps in the same order, and a failure ends the sequence at the
// same step with the same message.
TEST_F(FormCreate, EarlyDiscoveryShowsWhatDiscoveryAtTheLoadStepShows) {
  constexpr char16_t kGuid[] = u"{0000000A-0000-0000-0000-4E6574446576}";
  struct Case {
    const char* name;
    void (*arrange)(test::FakeAdapterFacts&);
    const char16_t* error;  // null: none raised
    const char* adapter;    // the adapter label without an error
  };
  const Case cases[] = {
      {"found", [](test::FakeAdapterFacts&) {}, nullptr, "eth0"},
      {"WMI down", [](test::FakeAdapterFacts& f) { f.wmi_up = false; }, nullptr, "Unknown"},
      {"configuration query refused after the adapter was read",
       [](test::FakeAdapterFacts& f) { f.failing_configuration_queries.insert(u"10"); },
       u"Network adapter query failed: configuration query", nullptr},
      {"local address listing fails", [](test::FakeAdapterFacts& f) { f.addresses_status = 87; },
       u"Local address listing failed: 87", nullptr},
  };
  int checks = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> journals[2];
    std::u16string errors[2];
    std::u16string adapters[2];
    for (int early = 0; early < 2; ++early) {
      test::FakeAdapterFacts facts;
      facts.addresses = {test::Ethernet({test::V4(u"192.168.77.10")})};
      facts.adapters = {test::WmiAdapter(10, u"eth0", kGuid)};
      facts.configurations[u"10"] = {test::WmiConfiguration({{u"192.168.77.10"}})};
      c.arrange(facts);
      test::FakeThreads threads;
      std::optional<AdapterDiscovery> discovery;
      Services s = services;
      s.adapters = &facts;
      if (early) discovery.emplace(facts, threads);
      StoredView fresh;
      TFrmTempowave form(fresh, s, early ? &*discovery : nullptr);
      try {
        form.FormCreate();
        WaitForCheck(++checks);
      } catch (const Error& e) {
        errors[early] = e.message();
      }
      journals[early] = fresh.journal;
      adapters[early] = form.AdapterName();
      EXPECT_EQ(threads.asked.load(), early);
    }
    EXPECT_EQ(journals[1], journals[0]);
    EXPECT_EQ(adapters[1], adapters[0]);
    EXPECT_EQ(errors[1], errors[0]);
    EXPECT_EQ(errors[1], c.error ? c.error : u"");
    // The load step comes right after the version label; a failure there ends the sequence.
    const auto version_label =
        std::find(journals[1].begin(), journals[1].end(), "SetControlCaption LblVersion Version: 1.6.2.0");
    ASSERT_NE(version_label, journals[1].end());
    if (c.error) {
      EXPECT_EQ(version_label + 1, journals[1].end()) << "steps ran after the failing one";
    } else {
      ASSERT_LT(version_label + 1, journals[1].end());
      EXPECT_EQ(*(version_label + 1), std::string("SetControlCaption LblAdapter ") + c.adapter);
    }
  }
  checks_started = checks;
  EXPECT_EQ(http.Requests().size(), static_cast<size_t>(checks))
      << "an update check after each sequence that ended";
}

}  // namespace
}  // namespace tw
