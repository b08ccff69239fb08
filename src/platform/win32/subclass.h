// GetWindowSubclass, reached by its ordinal: MinGW's 64-bit comctl32 import library does not carry it, and
// Wine exports it by ordinal only. Using one path everywhere keeps the tested path the shipped one.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace tw::win {

inline bool SubclassData(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR* data) {
  using Fn = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR*);
  static const Fn get = [] {
    HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
    return comctl
               ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(comctl, MAKEINTRESOURCEA(411))))
               : nullptr;
  }();
  return get && hwnd && get(hwnd, proc, id, data);
}

}  // namespace tw::win
