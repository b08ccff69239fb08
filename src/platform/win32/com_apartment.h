// The UI thread's single-threaded apartment, held for the life of the process: the shell's objects that open
// links are called from this thread, and the apartment they live in must not come and go around each call.
#pragma once

namespace tw::win {

// Enters the apartment on the calling thread; false when the thread is already in a multithreaded one (it is
// then left alone, and LeaveUiApartment does nothing).
bool EnterUiApartment();
// Leaves it, once, when EnterUiApartment entered it.
void LeaveUiApartment();

}  // namespace tw::win
