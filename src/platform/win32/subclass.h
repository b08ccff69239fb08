// GetWindowSubclass, reached by its ordinal: MinGW's 64-bit comctl32 import library does not carry it, and
// Wine exports it by ordinal only. Using one path everywhere keeps the tested path the shipped one.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace tw::win {

inline bool SubclassData(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR* data) {
  using Fn = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR*);
  // comctl32 loads on first use: until it has, no window is subclassed, and the lookup is made again later.
  static Fn get = nullptr;
  if (!get) {
    if (HMODULE comctl = GetModuleHandleW(L"comctl32.dll"))
      get = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(comctl, MAKEINTRESOURCEA(411))));
  }
  return get && hwnd && get(hwnd, proc, id, data);
}

}  // namespace tw::win
