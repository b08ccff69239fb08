// UTF-16 text at the Win32 boundary: std::u16string is passed as const wchar_t* without copying.
#pragma once

#include <string>

static_assert(sizeof(wchar_t) == 2, "Windows builds use 16-bit wchar_t");

namespace tw::win {

inline const wchar_t* W(const std::u16string& s) {
  return reinterpret_cast<const wchar_t*>(s.c_str());
}
inline wchar_t* W(std::u16string& s) {
  return reinterpret_cast<wchar_t*>(s.data());
}
inline std::u16string U(const wchar_t* s) {
  return s ? std::u16string(reinterpret_cast<const char16_t*>(s)) : u"";
}
inline std::u16string U(const wchar_t* s, size_t n) {
  return std::u16string(reinterpret_cast<const char16_t*>(s), n);
}

}  // namespace tw::win
