#include "app/run_outcome.h"

#include "i18n/translate.h"

namespace tw {
namespace {

// "The network did not answer, so the changes were undone."
constexpr char16_t kUndone[] =
    u"\uB124\uD2B8\uC6CC\uD06C\uAC00 \uC751\uB2F5\uD558\uC9C0 \uC54A\uC544 \uBCC0\uACBD \uC0AC\uD56D\uC744 "
    u"\uB418\uB3CC\uB838\uC2B5\uB2C8\uB2E4.";
// "The network has not answered yet."
constexpr char16_t kNotYet[] =
    u"\uB124\uD2B8\uC6CC\uD06C\uAC00 \uC544\uC9C1 \uC751\uB2F5\uD558\uC9C0 \uC54A\uC2B5\uB2C8\uB2E4.";
// "The network connection could not be switched back on. Please switch it on in the Windows network
// settings."
constexpr char16_t kStayedOff[] =
    u"\uB124\uD2B8\uC6CC\uD06C \uC5F0\uACB0\uC744 \uB2E4\uC2DC \uCF1C\uC9C0 \uBABB\uD588\uC2B5\uB2C8\uB2E4. "
    u"Windows \uB124\uD2B8\uC6CC\uD06C \uC124\uC815\uC5D0\uC11C \uC5F0\uACB0\uC744 \uCF1C "
    u"\uC8FC\uC138\uC694.";
// "Some values could not be given back. Press the button again to try once more."
constexpr char16_t kKeptBack[] =
    u"\uC77C\uBD80 \uAC12\uC744 \uC6D0\uB798\uB300\uB85C \uB418\uB3CC\uB9AC\uC9C0 "
    u"\uBABB\uD588\uC2B5\uB2C8\uB2E4. "
    u"\uBC84\uD2BC\uC744 \uB2E4\uC2DC \uB20C\uB7EC \uC8FC\uC138\uC694.";

}  // namespace

TStatus EndStatus(const RunOutcome& outcome) {
  if (outcome.after_run) {
    const bool way_back = outcome.stayed_off || outcome.unanswered;
    return way_back && !outcome.kept_back ? TStatus::stIdle : TStatus::stRunning;
  }
  return outcome.stayed_off || outcome.kept_back ? TStatus::stRunning : TStatus::stIdle;
}

std::u16string EndMessage(const RunOutcome& outcome) {
  std::vector<const char16_t*> parts;
  if (outcome.stayed_off) parts.push_back(kStayedOff);
  if (outcome.unanswered) parts.push_back(outcome.after_run && !outcome.kept_back ? kUndone : kNotYet);
  if (outcome.kept_back) parts.push_back(kKeptBack);
  std::u16string message;
  for (const char16_t* part : parts) {
    if (!message.empty()) message += u"\r\n\r\n";
    message += Translate(part);
  }
  return message;
}

}  // namespace tw
