// Keeps Wine's desktop alive for a whole test run. Wine closes the desktop about a second after its last GUI
// client exits; the next GUI test then respawns explorer.exe, which inherits that test's output pipe and
// makes ctest wait. Started once with null handles before ctest.
//   desktop_keeper.exe [Z:/path/to/ready-file]
//
// Wine starts every process with the full administrator token, and the desktop's explorer, started for the
// first process that asks for the desktop window, takes that process's token. A real desktop's explorer runs
// at the user's level, and the program hands links only to such a shell; so an elevated keeper starts a copy
// of itself with the limited token linked to its own, and that copy brings up the desktop.
#include <windows.h>

#include <string>

namespace {

bool RestartedAtTheUsersLevel() {
  HANDLE own = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own)) return false;
  TOKEN_ELEVATION elevation{};
  TOKEN_LINKED_TOKEN linked{};
  DWORD size = 0;
  const bool elevated = GetTokenInformation(own, TokenElevation, &elevation, sizeof elevation, &size) &&
                        elevation.TokenIsElevated;
  const bool has_linked = elevated &&
                          GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size) &&
                          linked.LinkedToken;
  CloseHandle(own);
  if (!has_linked) return false;
  HANDLE primary = nullptr;
  bool started = false;
  if (DuplicateTokenEx(linked.LinkedToken, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenPrimary,
                       &primary)) {
    std::wstring command = GetCommandLineW();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    started = CreateProcessAsUserW(primary, nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &process);
    if (started) {
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    }
    CloseHandle(primary);
  }
  CloseHandle(linked.LinkedToken);
  return started;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR cmd, int) {
  if (RestartedAtTheUsersLevel()) return 0;
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
