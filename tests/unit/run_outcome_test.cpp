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
constexpr char16_t kDamaged[] =
    u"The record of your earlier values is damaged. What could be read was given back, and the record was "
    u"kept. Check the values, then remove the record by hand as the README describes.";
constexpr char16_t kNotChanged[] = u"These values were not changed:\r\nTcpAckFrequency, TCPNoDelay";

RunOutcome Out(bool after_run, bool stayed_off, bool unanswered, bool kept_back, bool damaged = false,
               std::u16string unchanged = {}) {
  return {after_run, stayed_off, unanswered, kept_back, damaged, std::move(unchanged)};
}

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
    RunOutcome outcome;  // after_run, stayed_off, unanswered, kept_back, damaged, unchanged
    TStatus status;
    std::u16string message;
  };
  const std::u16string names = u"TcpAckFrequency, TCPNoDelay";
  const Case cases[] = {
      // After Run.
      {Out(true, false, false, false), TStatus::stRunning, u""},
      {Out(true, false, true, false), TStatus::stIdle, kUndone},
      {Out(true, false, true, true), TStatus::stRunning, Join({kNotYet, kKeptBack})},
      {Out(true, true, false, false), TStatus::stIdle, kStayedOff},
      {Out(true, true, false, true), TStatus::stRunning, Join({kStayedOff, kKeptBack})},
      {Out(true, true, true, false), TStatus::stIdle, Join({kStayedOff, kUndone})},  // off at the 2nd restart
      // Some chosen values could not be recorded or written: named, after whatever else is said.
      {Out(true, false, false, false, false, names), TStatus::stRunning, kNotChanged},
      {Out(true, false, true, false, false, names), TStatus::stIdle, Join({kUndone, kNotChanged})},
      // After Run again. A connection left off no longer keeps the running state: the values are back.
      {Out(false, false, false, false), TStatus::stIdle, u""},
      {Out(false, false, true, false), TStatus::stIdle, kNotYet},
      {Out(false, false, false, true), TStatus::stRunning, kKeptBack},
      {Out(false, false, true, true), TStatus::stRunning, Join({kNotYet, kKeptBack})},
      {Out(false, true, false, false), TStatus::stIdle, kStayedOff},
      {Out(false, true, false, true), TStatus::stRunning, Join({kStayedOff, kKeptBack})},
      // Over a damaged record: what could be read is back, the record stays and the user is told why.
      {Out(false, false, false, true, true), TStatus::stRunning, kDamaged},
      {Out(false, true, false, true, true), TStatus::stRunning, Join({kStayedOff, kDamaged})},
  };
  for (const auto& c : cases) {
    const RunOutcome& o = c.outcome;
    SCOPED_TRACE(::testing::Message() << o.after_run << o.stayed_off << o.unanswered << o.kept_back);
    EXPECT_EQ(EndStatus(o), c.status);
    EXPECT_EQ(EncodeUtf8(EndMessage(o)), EncodeUtf8(c.message));
  }
}

TEST_F(RunOutcomeTest, EveryMessageSpeaksEachLanguageOfTheTable) {
  const RunOutcome all_run = Out(true, true, true, true, false, u"TCPNoDelay");
  const RunOutcome all_again = Out(false, true, true, true, true);
  const auto all = [&] {
    std::u16string text = EndMessage(all_run) + EndMessage(all_again) + EndMessage(Out(false, 0, 0, 1)) +
                          ShutdownBlockMessage();
    for (NotStarted why : {NotStarted::OtherCopy, NotStarted::RecordDamaged, NotStarted::RecordNotStored,
                           NotStarted::NothingChanged}) {
      text += NotStartedMessage(why, u"TCPNoDelay");
    }
    return text;
  };
  SetCurrentLanguage(u"ko");
  const std::u16string korean = all();
  for (const char16_t* language : {u"en", u"ja", u"zh", u"ru", u"it", u"fr"}) {
    SetCurrentLanguage(language);
    const std::u16string text = all();
    for (char16_t c : text) {
      ASSERT_FALSE(c >= 0xAC00 && c <= 0xD7A3) << EncodeUtf8(language) << ": " << EncodeUtf8(text);
    }
    EXPECT_NE(text, korean);
  }
}

TEST_F(RunOutcomeTest, WhyARunDidNotBegin) {
  EXPECT_EQ(NotStartedMessage(NotStarted::OtherCopy),
            u"Another copy of Tempowave is changing the network. Try again once it has finished.");
  EXPECT_EQ(NotStartedMessage(NotStarted::RecordDamaged),
            u"The record of your earlier values is damaged or cannot be read, so Run changed nothing.");
  EXPECT_EQ(NotStartedMessage(NotStarted::RecordNotStored),
            u"Your earlier values could not be recorded, so Run changed nothing.");
  EXPECT_EQ(NotStartedMessage(NotStarted::NothingChanged, u"TcpAckFrequency, TCPNoDelay"), kNotChanged);
}

}  // namespace
}  // namespace tw
