// Starts a GUI program, measures the time until its message loop is idle (WaitForInputIdle), its working set
// and its handle and GDI/USER object counts right after, then closes it. Prints one line of key=value pairs.
//   bench_launcher.exe <program.exe>
#include <windows.h>
#include <psapi.h>

#include "gui_objects.h"

#include <cstdio>
#include <string>

namespace {

struct Found {
  DWORD pid;
  HWND hwnd;
};

BOOL CALLBACK FindTopWindow(HWND hwnd, LPARAM lp) {
  auto* f = reinterpret_cast<Found*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == f->pid && IsWindowVisible(hwnd) && !GetWindow(hwnd, GW_OWNER)) {
    f->hwnd = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    fwprintf(stderr, L"usage: bench_launcher <program.exe>\n");
    return 2;
  }
  std::wstring cmd = L"\"" + std::wstring(argv[1]) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  LARGE_INTEGER freq, t0, t1;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&t0);
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    fwprintf(stderr, L"cannot start %ls: %lu\n", argv[1], GetLastError());
    return 1;
  }
  const DWORD idle = WaitForInputIdle(pi.hProcess, 60000);
  QueryPerformanceCounter(&t1);
  const double ms = double(t1.QuadPart - t0.QuadPart) * 1000.0 / double(freq.QuadPart);

  Found f{pi.dwProcessId, nullptr};
  for (int i = 0; i < 500 && !f.hwnd; ++i) {
    EnumWindows(FindTopWindow, reinterpret_cast<LPARAM>(&f));
    if (!f.hwnd) Sleep(10);
  }
  PROCESS_MEMORY_COUNTERS pmc{};
  pmc.cb = sizeof(pmc);
  GetProcessMemoryInfo(pi.hProcess, &pmc, sizeof(pmc));
  const DWORD handles = tw::test::CountProcessHandles(pi.dwProcessId);
  const DWORD gdi = GetGuiResources(pi.hProcess, GR_GDIOBJECTS);
  const DWORD user = GetGuiResources(pi.hProcess, GR_USEROBJECTS);
  printf("idle=%s start_ms=%.2f working_set_kb=%lu peak_working_set_kb=%lu handles=%lu gdi=%lu user=%lu\n",
         idle == 0 ? "yes" : "no", ms, static_cast<unsigned long>(pmc.WorkingSetSize / 1024),
         static_cast<unsigned long>(pmc.PeakWorkingSetSize / 1024), static_cast<unsigned long>(handles),
         static_cast<unsigned long>(gdi), static_cast<unsigned long>(user));
  fflush(stdout);

  if (f.hwnd) PostMessageW(f.hwnd, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return idle == 0 ? 0 : 1;
}
