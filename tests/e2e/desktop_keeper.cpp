// Keeps Wine's desktop alive for a whole test run. Wine closes the desktop about a second after its last GUI
// client exits; the next GUI test then respawns explorer.exe, which inherits that test's output pipe and
// makes ctest wait. Started once with null handles before ctest.
//   desktop_keeper.exe [Z:/path/to/ready-file]
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR cmd, int) {
  GetDesktopWindow();
  CreateWindowExW(0, L"STATIC", L"tw-desktop-keeper", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  if (cmd && *cmd) {
    HANDLE f = CreateFileW(cmd, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
  }
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
  return 0;
}
