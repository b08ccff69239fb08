// Text helpers shared by every layer. Portable code holds text as UTF-16 code units, as Windows does.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tw {

// Strict UTF-8 decoding: nullopt on any malformed sequence.
std::optional<std::u16string> DecodeUtf8Strict(std::string_view bytes);
// Lenient UTF-8 decoding: every malformed sequence becomes U+FFFD.
std::u16string DecodeUtf8(std::string_view bytes);
std::string EncodeUtf8(std::u16string_view text);

// Case folding of the ASCII letters only; every other code unit is left alone.
constexpr char16_t AsciiUpper(char16_t c) {
  return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c;
}
constexpr char16_t AsciiLower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
}
// The value of an ASCII hexadecimal digit of either case; -1 for any other code unit.
constexpr int AsciiHexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}
std::u16string AsciiUpperCase(std::u16string_view text);
std::u16string AsciiLowerCase(std::u16string_view text);
bool AsciiEqualsIgnoreCase(std::u16string_view a, std::u16string_view b);

// Converts a decimal number to text (no locale).
std::u16string ToText(long long value);

}  // namespace tw
