// One copy of the program per logon session: a named mutex in the session's namespace.
#pragma once

namespace tw::win {

// Creates the mutex `name`, owned by the calling thread, and keeps it for the life of the process (the system
// releases it however the process ends). False when a mutex of that name exists already: another copy holds
// it. Creating and testing is one step, so copies that start together cannot both find themselves first.
bool ClaimInstance(const wchar_t* name);

}  // namespace tw::win
