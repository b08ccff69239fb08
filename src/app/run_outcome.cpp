#include "app/run_outcome.h"

#include "i18n/texts.h"
#include "i18n/translate.h"

namespace tw {
namespace {

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
  return names.empty() ? std::u16string() : Translate(kTextNotChanged) + u"\r\n" + names;
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
  if (outcome.stayed_off) parts.push_back(Translate(kTextStayedOff));
  if (outcome.unanswered) {
    parts.push_back(Translate(outcome.after_run && !outcome.kept_back ? kTextUndone : kTextNotYet));
  }
  if (outcome.damaged) {
    parts.push_back(Translate(kTextRecordDamagedKept));
  } else if (outcome.kept_back) {
    parts.push_back(Translate(kTextKeptBack));
  }
  parts.push_back(Unchanged(outcome.unchanged));
  return Joined(parts);
}

std::u16string NotStartedMessage(NotStarted why, const std::u16string& unchanged) {
  switch (why) {
    case NotStarted::OtherCopy:
      return Translate(kTextOtherCopy);
    case NotStarted::NotAdministrator:
      return Translate(kTextNotAdministrator);
    case NotStarted::RecordDamaged:
      return Translate(kTextRecordDamagedRun);
    case NotStarted::RecordNotStored:
      return Translate(kTextRecordNotStored);
    case NotStarted::GivenBackElsewhere:
      return Translate(kTextGivenBackElsewhere);
    case NotStarted::NothingChanged:
      break;
  }
  return Unchanged(unchanged);
}

NotStarted NotStartedFor(LockTaken taken) {
  return taken == LockTaken::Denied ? NotStarted::NotAdministrator : NotStarted::OtherCopy;
}

std::u16string ShutdownBlockMessage() {
  return Translate(kTextShutdownReason);
}

}  // namespace tw
