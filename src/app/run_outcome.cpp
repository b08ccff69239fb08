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

// "The record of your earlier values is damaged or cannot be read, so Run changed nothing."
constexpr char16_t kRecordDamagedRun[] =
    u"\uC774\uC804 \uAC12\uC758 \uAE30\uB85D\uC774 \uC190\uC0C1\uB418\uC5C8\uAC70\uB098 "
    u"\uC77D\uC744 \uC218 \uC5C6\uC5B4 \uC2E4\uD589\uD558\uAE30\uAC00 "
    u"\uC544\uBB34\uAC83\uB3C4 \uBC14\uAFB8\uC9C0 \uC54A\uC558\uC2B5\uB2C8\uB2E4.";
// "Your earlier values could not be recorded, so Run changed nothing."
constexpr char16_t kRecordNotStored[] =
    u"\uC774\uC804 \uAC12\uC744 \uAE30\uB85D\uD558\uC9C0 \uBABB\uD574 "
    u"\uC544\uBB34\uAC83\uB3C4 \uBC14\uAFB8\uC9C0 \uC54A\uC558\uC2B5\uB2C8\uB2E4.";
// "These values were not changed:"
constexpr char16_t kNotChanged[] =
    u"\uB2E4\uC74C \uAC12\uC740 \uBC14\uAFB8\uC9C0 \uBABB\uD588\uC2B5\uB2C8\uB2E4:";
// "The record of your earlier values is damaged. What could be read was given back, and the record was kept.
// Check the values, then remove the record by hand as the README describes."
constexpr char16_t kRecordDamagedKept[] =
    u"\uC774\uC804 \uAC12\uC758 \uAE30\uB85D\uC774 \uC190\uC0C1\uB418\uC5C8\uC2B5\uB2C8\uB2E4. "
    u"\uC77D\uC744 \uC218 \uC788\uB294 \uAC12\uC740 \uB418\uB3CC\uB838\uACE0 \uAE30\uB85D\uC740 "
    u"\uB0A8\uACA8 \uB450\uC5C8\uC2B5\uB2C8\uB2E4. \uAC12\uC744 \uD655\uC778\uD55C \uB4A4 "
    u"README\uC758 \uC548\uB0B4\uC5D0 \uB530\uB77C \uAE30\uB85D\uC744 \uC9C1\uC811 "
    u"\uC9C0\uC6CC \uC8FC\uC138\uC694.";
// "Another copy of Tempowave is changing the network. Try again once it has finished."
constexpr char16_t kOtherCopy[] =
    u"\uB2E4\uB978 \uD15C\uD3EC\uC6E8\uC774\uBE0C\uAC00 \uB124\uD2B8\uC6CC\uD06C\uB97C "
    u"\uBC14\uAFB8\uB294 \uC911\uC785\uB2C8\uB2E4. \uB05D\uB09C \uB4A4\uC5D0 \uB2E4\uC2DC "
    u"\uC2DC\uB3C4\uD574 \uC8FC\uC138\uC694.";
// "Tempowave must run as administrator to change the network. Please start it again as administrator."
constexpr char16_t kNotAdministrator[] =
    u"\uB124\uD2B8\uC6CC\uD06C\uB97C \uBC14\uAFB8\uB824\uBA74 "
    u"\uD15C\uD3EC\uC6E8\uC774\uBE0C\uB97C \uAD00\uB9AC\uC790 \uAD8C\uD55C\uC73C\uB85C "
    u"\uC2E4\uD589\uD574\uC57C \uD569\uB2C8\uB2E4. \uAD00\uB9AC\uC790 "
    u"\uAD8C\uD55C\uC73C\uB85C \uB2E4\uC2DC \uC2DC\uC791\uD574 \uC8FC\uC138\uC694.";
// "Another copy of Tempowave has already given your earlier values back. Nothing was changed."
constexpr char16_t kGivenBackElsewhere[] =
    u"\uB2E4\uB978 \uD15C\uD3EC\uC6E8\uC774\uBE0C\uAC00 \uC774\uBBF8 \uC6D0\uB798 \uAC12\uC744 "
    u"\uB418\uB3CC\uB838\uC2B5\uB2C8\uB2E4. \uBC14\uAFBC \uAC83\uC740 \uC5C6\uC2B5\uB2C8\uB2E4.";
// "Switching the network connection back on."
constexpr char16_t kShutdownReason[] =
    u"\uB124\uD2B8\uC6CC\uD06C \uC5F0\uACB0\uC744 \uB2E4\uC2DC \uCF1C\uB294 \uC911\uC785\uB2C8\uB2E4.";

std::u16string Joined(const std::vector<std::u16string>& parts) {
  std::u16string message;
  for (const auto& part : parts) {
    if (part.empty()) continue;
    if (!message.empty()) message += u"\r\n\r\n";
    message += part;
  }
  return message;
}

std::u16string Unchanged(const std::u16string& names) {
  return names.empty() ? std::u16string() : Translate(kNotChanged) + u"\r\n" + names;
}

}  // namespace

TStatus EndStatus(const RunOutcome& outcome) {
  if (outcome.after_run) {
    const bool way_back = outcome.stayed_off || outcome.unanswered;
    return way_back && !outcome.kept_back ? TStatus::stIdle : TStatus::stRunning;
  }
  return outcome.kept_back || outcome.damaged ? TStatus::stRunning : TStatus::stIdle;
}

std::u16string EndMessage(const RunOutcome& outcome) {
  std::vector<std::u16string> parts;
  if (outcome.stayed_off) parts.push_back(Translate(kStayedOff));
  if (outcome.unanswered) {
    parts.push_back(Translate(outcome.after_run && !outcome.kept_back ? kUndone : kNotYet));
  }
  if (outcome.damaged) {
    parts.push_back(Translate(kRecordDamagedKept));
  } else if (outcome.kept_back) {
    parts.push_back(Translate(kKeptBack));
  }
  parts.push_back(Unchanged(outcome.unchanged));
  return Joined(parts);
}

std::u16string NotStartedMessage(NotStarted why, const std::u16string& unchanged) {
  switch (why) {
    case NotStarted::OtherCopy:
      return Translate(kOtherCopy);
    case NotStarted::NotAdministrator:
      return Translate(kNotAdministrator);
    case NotStarted::RecordDamaged:
      return Translate(kRecordDamagedRun);
    case NotStarted::RecordNotStored:
      return Translate(kRecordNotStored);
    case NotStarted::GivenBackElsewhere:
      return Translate(kGivenBackElsewhere);
    case NotStarted::NothingChanged:
      break;
  }
  return Unchanged(unchanged);
}

NotStarted NotStartedFor(LockTaken taken) {
  return taken == LockTaken::Denied ? NotStarted::NotAdministrator : NotStarted::OtherCopy;
}

std::u16string ShutdownBlockMessage() {
  return Translate(kShutdownReason);
}

}  // namespace tw
