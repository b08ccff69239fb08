// The user's locale, as the language detection asks for it.
#pragma once

#include <cstdint>

namespace tw {

namespace loc {
inline constexpr std::uint32_t kSIso639LangName = 0x59;  // LOCALE_SISO639LANGNAME
}

class ILocale {
 public:
  virtual ~ILocale() = default;
  // GetUserDefaultLCID().
  virtual std::uint32_t UserDefaultLcid() = 0;
  // GetLocaleInfoW(lcid, type, buffer, size): with no buffer (size 0) the length needed in characters, NUL
  // included; otherwise the characters written, NUL included. 0 on failure.
  virtual int LocaleInfo(std::uint32_t lcid, std::uint32_t type, char16_t* buffer, int size) = 0;
};

}  // namespace tw
