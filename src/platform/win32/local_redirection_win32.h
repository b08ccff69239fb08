// Side-by-side redirection of an elevated program. The manifest binds the program to the common controls of
// Windows' side-by-side store; a "<exe>.local" folder (or file) beside the exe, or a private copy of the
// assembly, would make Windows take them from a folder that a standard user can write to, whatever the
// library search restriction says. The program refuses to start then, before anything side-by-side has been
// loaded.
#pragma once

#include <windows.h>

namespace tw::win {

// True when "<exe path>.local" (a folder or a file) exists beside `exe_path`, or when that cannot be told.
// System calls only.
bool LocalRedirectionBeside(const wchar_t* exe_path);

// True when every assembly that the process's default activation context binds, other than the program's own
// manifest, comes from the Windows folder (GetSystemWindowsDirectoryW); false when that cannot be told.
bool SideBySideFromWindowsFolder();

// True when `module` was mapped from a file inside the Windows folder.
bool ModuleFromWindowsFolder(HMODULE module);

// Why the running exe may not start; kNone when it may.
enum class Redirection { kNone, kLocalEntry, kOutsideWindows };

// The checks for the running exe, in the order that closes the rename race (see the .cpp). When they pass,
// the common controls are loaded from the store and stay loaded. System calls only.
Redirection FindRedirection();

// FindRedirection with the refusal: when it finds one, the user is told (platform/win32/start_notice_win32.h)
// and true comes back; the caller then ends the process.
bool RefuseLocalRedirection();

}  // namespace tw::win
