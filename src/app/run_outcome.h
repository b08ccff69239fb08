// How a Run or Run again ends once the restart and the wait are over: the state the window shows and what the
// user is told. A failure is never shown as success: a connection left off, a network that did not answer and
// a value that could not be given back are each said, in the user's language.
#pragma once

#include <string>
#include <vector>

#include "app/status.h"
#include "platform/machine_lock.h"

namespace tw {

// What Run or Run again changed before the restart, kept until the end of the wait.
struct RunChanges {
  std::vector<std::u16string> adapters;  // the connections to restart
  bool kept_back = false;    // Run again: a recorded value could not be given back (the record stays)
  bool drop_record = false;  // Run again: the record was given back whole, and goes at the end
  bool damaged = false;      // Run again: the record is damaged; what could be read was given back
  std::u16string unchanged;  // Run: the chosen values it could not record or write, by name
};

struct RunOutcome {
  bool after_run = true;     // Run; false for Run again
  bool stayed_off = false;   // a connection switched off for the restart did not come back
  bool unanswered = false;   // the connections came back but no probe answered
  bool kept_back = false;    // a changed value could not be given back, so the record is kept
  bool damaged = false;      // Run again over a damaged record: the record is kept, the user told why
  std::u16string unchanged;  // Run: the chosen values left as they were, by name
};

// After Run: running when the network answered; otherwise Run's changes were given back and the window is
// idle, or running while some of them could not be. After Run again: idle (also when a connection stayed
// off: the values are back, and the user is told to switch it on), or the running state it came from when a
// value could not be given back or the record is damaged.
TStatus EndStatus(const RunOutcome& outcome);
// The message for the end (translated; the parts joined by a blank line), empty when all went well.
std::u16string EndMessage(const RunOutcome& outcome);

// The messages of a Run or Run again that did not start, translated.
enum class NotStarted {
  OtherCopy,
  NotAdministrator,
  RecordDamaged,
  RecordNotStored,
  NothingChanged,
  GivenBackElsewhere  // Run again found that another copy had already given the record back
};
// Why the machine-wide lock was not taken: another copy has it, or this copy lacks the rights to take it.
NotStarted NotStartedFor(LockTaken taken);
std::u16string NotStartedMessage(NotStarted why, const std::u16string& unchanged = {});
// The reason shown while a restart under way holds off logoff and shutdown.
std::u16string ShutdownBlockMessage();

}  // namespace tw
