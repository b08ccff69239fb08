// Where the program's libraries come from. It runs as administrator from wherever it was saved, often a
// Downloads folder, so a library planted beside it or in the current folder must never be loaded: libraries
// come from the system folder only.
#pragma once

#include <windows.h>

namespace tw::win {

// Restricts every later library load of the process to the system folder, the delay-loaded imports and what
// system libraries load for themselves included. False when the loader cannot (then nothing may be loaded):
// without SetDefaultDllDirectories no search order is as safe, since system libraries load their own
// dependencies by name.
bool RestrictLibrarySearchToSystem();
// The same with the loader's SetDefaultDllDirectories given (null: the loader lacks it).
using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
bool RestrictLibrarySearch(SetDefaultDllDirectoriesFn set_default_directories);
// Tells the user that this Windows needs its loader update, without loading anything into the process.
void ShowLoaderUpdateNeeded();

// Loads a library by name from the system folder only, whatever the process's search order.
HMODULE LoadSystemLibrary(const wchar_t* name);

}  // namespace tw::win
