#include "app/run_outcome.h"

#include <gtest/gtest.h>

#include "fakes/fake_locale.h"
#include "i18n/embedded_table.h"
#include "i18n/translate.h"
#include "platform/text.h"

namespace tw {
namespace {

constexpr char16_t kUndone[] = u"The network did not answer, so the changes were undone.";
constexpr char16_t kNotYet[] = u"The network has not answered yet.";
constexpr char16_t kStayedOff[] =
    u"The network connection could not be switched back on. Please switch it on in the Windows network "
    u"settings.";
constexpr char16_t kKeptBack[] =
    u"Some values could not be given back. Press the button again to try once more.";

class RunOutcomeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::FakeLocale locale(u"en");
    TranslateModuleStart(EmbeddedTranslateTable(), locale);
  }
  void TearDown() override { TranslateModuleStop(); }
};

std::u16string Join(std::initializer_list<const char16_t*> parts) {
  std::u16string out;
  for (const char16_t* p : parts) out += (out.empty() ? u"" : u"\r\n\r\n") + std::u16string(p);
  return out;
}

TEST_F(RunOutcomeTest, StateAndMessageForEveryEnd) {
  struct Case {
    RunOutcome outcome;  // after_run, stayed_off, unanswered, kept_back
    TStatus status;
    std::u16string message;
  };
  const Case cases[] = {
      // After Run.
      {{true, false, false, false}, TStatus::stRunning, u""},
      {{true, false, true, false}, TStatus::stIdle, kUndone},
      {{true, false, true, true}, TStatus::stRunning, Join({kNotYet, kKeptBack})},
      {{true, true, false, false}, TStatus::stIdle, kStayedOff},
      {{true, true, false, true}, TStatus::stRunning, Join({kStayedOff, kKeptBack})},
      {{true, true, true, false}, TStatus::stIdle, Join({kStayedOff, kUndone})},  // off at the second restart
      // After Run again.
      {{false, false, false, false}, TStatus::stIdle, u""},
      {{false, false, true, false}, TStatus::stIdle, kNotYet},
      {{false, false, false, true}, TStatus::stRunning, kKeptBack},
      {{false, false, true, true}, TStatus::stRunning, Join({kNotYet, kKeptBack})},
      {{false, true, false, false}, TStatus::stRunning, kStayedOff},
      {{false, true, false, true}, TStatus::stRunning, Join({kStayedOff, kKeptBack})},
  };
  for (const auto& c : cases) {
    const RunOutcome& o = c.outcome;
    SCOPED_TRACE(::testing::Message() << o.after_run << o.stayed_off << o.unanswered << o.kept_back);
    EXPECT_EQ(EndStatus(o), c.status);
    EXPECT_EQ(EncodeUtf8(EndMessage(o)), EncodeUtf8(c.message));
  }
}

TEST_F(RunOutcomeTest, EveryMessageSpeaksEachLanguageOfTheTable) {
  const RunOutcome all_run{true, true, true, true};
  const RunOutcome all_again{false, true, true, true};
  SetCurrentLanguage(u"ko");
  const std::u16string korean = EndMessage(all_run) + EndMessage(all_again);
  for (const char16_t* language : {u"en", u"ja", u"zh", u"ru", u"it", u"fr"}) {
    SetCurrentLanguage(language);
    const std::u16string text = EndMessage(all_run) + EndMessage(all_again);
    for (char16_t c : text) {
      ASSERT_FALSE(c >= 0xAC00 && c <= 0xD7A3) << EncodeUtf8(language) << ": " << EncodeUtf8(text);
    }
    EXPECT_NE(text, korean);
  }
}

}  // namespace
}  // namespace tw
