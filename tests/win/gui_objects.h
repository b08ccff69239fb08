// Counting the process's live GDI objects and windows, to catch leaks.
#pragma once

#include <windows.h>

namespace tw::test {

// Live GDI objects of the process; 0 where the system does not count them (Wine's GetGuiResources is a stub).
inline DWORD CountGdiObjects() {
  return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
}

// Windows of this thread, top-level and child.
inline DWORD CountThreadWindows() {
  struct Counter {
    static BOOL CALLBACK Child(HWND, LPARAM lp) {
      ++*reinterpret_cast<DWORD*>(lp);
      return TRUE;
    }
    static BOOL CALLBACK Top(HWND hwnd, LPARAM lp) {
      ++*reinterpret_cast<DWORD*>(lp);
      EnumChildWindows(hwnd, Child, lp);
      return TRUE;
    }
  };
  DWORD n = 0;
  EnumThreadWindows(GetCurrentThreadId(), Counter::Top, reinterpret_cast<LPARAM>(&n));
  return n;
}

}  // namespace tw::test
