// Counting a process's live GDI objects, windows and kernel handles, to catch leaks.
//
// Windows answers GetGuiResources and GetProcessHandleCount; Wine 8 answers 0 to both. There the counts come
// from what Wine does keep: its GDI handle table accepts an index without the generation in the upper word
// (so GetObjectType over every index finds the live objects of this process), and the system handle list
// (NtQuerySystemInformation) names the owner of every kernel handle.
#pragma once

#include <windows.h>

#include <cstdlib>

namespace tw::test {

// Live GDI objects of this process, stock objects included; of one type (OBJ_PEN ... OBJ_COLORSPACE) only, or
// of every type for 0. The count by type walks the handle table, which only Wine answers that way.
inline DWORD CountGdiObjects(DWORD type = 0) {
  if (type == 0) {
    const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (counted != 0) return counted;
  }
  DWORD n = 0;
  for (ULONG_PTR index = 1; index < 0x10000; ++index) {
    const DWORD found = GetObjectType(reinterpret_cast<HGDIOBJ>(index));
    if (found != 0 && (type == 0 || found == type)) ++n;
  }
  return n;
}

// Kernel handles held by process PID; 0 when neither way answers.
inline DWORD CountProcessHandles(DWORD pid) {
  if (HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)) {
    DWORD counted = 0;
    const BOOL ok = GetProcessHandleCount(p, &counted);
    CloseHandle(p);
    if (ok && counted != 0) return counted;
  }
  // SystemExtendedHandleInformation: every handle of the system with its owner's full process id.
  struct Entry {
    PVOID object;
    ULONG_PTR pid;
    ULONG_PTR handle;
    ULONG access;
    USHORT creator_back_trace_index;
    USHORT object_type_index;
    ULONG attributes;
    ULONG reserved;
  };
  struct Table {
    ULONG_PTR count;
    ULONG_PTR reserved;
    Entry entries[1];
  };
  using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return 0;
  constexpr ULONG kExtendedHandles = 64;
  constexpr LONG kLengthMismatch = static_cast<LONG>(0xC0000004);
  for (ULONG size = 1 << 16; size <= (1u << 28); size *= 2) {
    void* buffer = std::malloc(size);
    if (!buffer) return 0;
    ULONG needed = 0;
    const LONG status = query(kExtendedHandles, buffer, size, &needed);
    if (status == kLengthMismatch) {
      std::free(buffer);
      continue;
    }
    DWORD n = 0;
    if (status == 0) {
      const Table* table = static_cast<const Table*>(buffer);
      for (ULONG_PTR i = 0; i < table->count; ++i)
        if (table->entries[i].pid == pid) ++n;
    }
    std::free(buffer);
    return n;
  }
  return 0;
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
