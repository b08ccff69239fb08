#include "platform/win32/shell_win32.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/wstr.h"

namespace tw::win {

void Shell::Open(const std::u16string& target) {
  // The result is deliberately not examined: a link that cannot be opened shows nothing.
  ShellExecuteW(nullptr, L"open", W(target), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace tw::win
