#include "platform/win32/library_search_win32.h"

namespace tw::win {

// Runs before the C++ runtime has started (see app/win32/entry.cpp): system calls only.
bool RestrictLibrarySearchToSystem() {
  // The current folder also leaves the legacy search order, for loads that name their own search path.
  SetDllDirectoryW(L"");
  return SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace tw::win
