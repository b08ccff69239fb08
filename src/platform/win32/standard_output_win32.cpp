#include "platform/win32/standard_output_win32.h"

#include <windows.h>

#include "platform/text.h"
#include "platform/win32/wstr.h"

namespace tw::win {

void WriteStandardOutput(const std::u16string& text) {
  if (text.empty()) return;
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  HANDLE console = INVALID_HANDLE_VALUE;
  if (!out || out == INVALID_HANDLE_VALUE) {
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, 0, nullptr);
    if (console == INVALID_HANDLE_VALUE) return;
    out = console;
  }
  DWORD written = 0;
  DWORD mode = 0;
  if (GetConsoleMode(out, &mode)) {
    WriteConsoleW(out, W(text), static_cast<DWORD>(text.size()), &written, nullptr);
  } else {
    const std::string bytes = EncodeUtf8(text);
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }
  if (console != INVALID_HANDLE_VALUE) CloseHandle(console);
}

}  // namespace tw::win
