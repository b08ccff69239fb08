// How a Run or Run again ends once the restart and the wait are over: the state the window shows and what the
// user is told. A failure is never shown as success: a connection left off, a network that did not answer and
// a value that could not be given back are each said, in the user's language.
#pragma once

#include <string>
#include <vector>

#include "app/status.h"

namespace tw {

// What Run or Run again changed before the restart, kept until the end of the wait.
struct RunChanges {
  std::vector<std::u16string> adapters;  // the connections to restart
  bool kept_back = false;  // Run again: a recorded value could not be given back (the record stays)
  bool drop_record =
      false;  // Run again: the record was given back whole; dropped once the connections are back
};

struct RunOutcome {
  bool after_run = true;    // Run; false for Run again
  bool stayed_off = false;  // a connection switched off for the restart did not come back
  bool unanswered = false;  // the connections came back but no probe answered
  bool kept_back = false;   // a changed value could not be given back, so the record is kept
};

// After Run: running when the network answered; otherwise Run's changes were given back and the window is
// idle, or running while some of them could not be. After Run again: idle, or the running state it came
// from when a connection stayed off or a value could not be given back.
TStatus EndStatus(const RunOutcome& outcome);
// The message for the end (translated; the parts joined by a blank line), empty when all went well.
std::u16string EndMessage(const RunOutcome& outcome);

}  // namespace tw
