// Crash handling: errors escaping an event handler are shown and absorbed; native crashes write a minidump.
#pragma once

#include <exception>

namespace tw::win {

// Shows the error to the user (caption: the application title) and returns, so the window and the message
// loop carry on. Called from the window-procedure thunks.
void HandleUiException(std::exception_ptr error);

// Installs the unhandled-exception filter: a native crash writes a minidump to the temporary folder and says
// where, then the process ends.
void InstallCrashHandler();

}  // namespace tw::win
