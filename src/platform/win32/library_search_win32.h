// Where the program's libraries come from. It runs as administrator from wherever it was saved, often a
// Downloads folder, so a library planted beside it or in the current folder must never be loaded: libraries
// come from the system folder only.
#pragma once

#include <windows.h>

namespace tw::win {

// Restricts every later library load of the process to the system folder, the delay-loaded imports and what
// system libraries load for themselves included. False when the loader cannot (then nothing may be loaded).
bool RestrictLibrarySearchToSystem();

// Loads a library by name from the system folder only, whatever the process's search order.
HMODULE LoadSystemLibrary(const wchar_t* name);

// True when "<exe path>.local" (a folder or a file) exists beside `exe_path`, or when that cannot be told:
// such an entry makes the loader take side-by-side libraries (the common controls of the manifest) from
// beside the exe instead of the system's store, whatever the search restriction says. System calls only.
bool LocalRedirectionBeside(const wchar_t* exe_path);

// The check for the running exe, with the refusal: when it finds a redirection entry it tells the user in a
// message box (user32 from the system folder, a KnownDLL that redirection never reaches) and returns true;
// the caller then ends the process before anything else is loaded.
bool RefuseLocalRedirection();

}  // namespace tw::win
