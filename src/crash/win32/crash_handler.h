// Crash handling: errors escaping an event handler are shown and absorbed; native crashes write a minidump.
#pragma once

#include <windows.h>

#include <cstddef>
#include <exception>

namespace tw::win {

// Shows the error to the user (caption: the application title) and returns, so the window and the message
// loop carry on. Called from the window-procedure thunks.
void HandleUiException(const std::exception_ptr& error);

// Writes a minidump for `info` into a new folder for administrators only (dump_folder.h), and its path to
// `path`. False, with nothing left behind, when no dump could be written.
bool WriteCrashDump(EXCEPTION_POINTERS* info, wchar_t* path, size_t capacity);

// The unhandled-exception filter: writes the minidump, tells the user where it went, and lets the process
// end.
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info);

// Installs ReportCrash as the process's unhandled-exception filter, and for faults of the program's own code
// also ahead of every other handler (a window procedure's fault may otherwise be swallowed), and reports a
// std::terminate the same way.
void InstallCrashHandler();

}  // namespace tw::win
