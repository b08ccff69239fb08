#include "platform/win32/locale_win32.h"

#include <windows.h>

namespace tw::win {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

std::uint32_t WinLocale::UserDefaultLcid() {
  return GetUserDefaultLCID();
}

int WinLocale::LocaleInfo(std::uint32_t lcid, std::uint32_t type, char16_t* buffer, int size) {
  return GetLocaleInfoW(lcid, type, reinterpret_cast<wchar_t*>(buffer), size);
}

}  // namespace tw::win
