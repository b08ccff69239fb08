#include "update/answer_text.h"

#include <algorithm>
#include <iterator>

namespace tw {
namespace {

struct Range {
  char32_t first, last;
};

// General category Cf (Unicode 15.1), Zl and Zp. Sorted.
constexpr Range kFormat[] = {
    {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},   {0x070F, 0x070F},
    {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},   {0x200B, 0x200F},   {0x2028, 0x202E},
    {0x2060, 0x2064},   {0x2066, 0x206F},   {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD},
    {0x110CD, 0x110CD}, {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
    {0xE0020, 0xE007F},
};

bool InFormatTable(char32_t c) {
  const auto* it = std::upper_bound(std::begin(kFormat), std::end(kFormat), c,
                                    [](char32_t v, const Range& r) { return v < r.first; });
  return it != std::begin(kFormat) && c <= std::prev(it)->last;
}

bool IsNoncharacter(char32_t c) {
  return (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE;
}

// Breaks and tabs separate words: they become a space instead of joining the words around them.
bool IsSpacing(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool IsHigh(char16_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLow(char16_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

// Walks `text` by code point; `visit(code point, units)` gets 0 for an unpaired surrogate.
template <typename Visit>
void ForEachCodePoint(std::u16string_view text, Visit visit) {
  for (size_t i = 0; i < text.size();) {
    const char16_t u = text[i];
    if (IsHigh(u) && i + 1 < text.size() && IsLow(text[i + 1])) {
      const char32_t c = 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
      if (!visit(c, text.substr(i, 2))) return;
      i += 2;
    } else {
      if (!visit(IsHigh(u) || IsLow(u) ? char32_t(0) : char32_t(u), text.substr(i, 1))) return;
      ++i;
    }
  }
}

}  // namespace

bool IsControlOrFormat(char32_t c) {
  return c <= 0x1F || (c >= 0x7F && c <= 0x9F) || InFormatTable(c) || IsNoncharacter(c);
}

std::u16string ShownText(std::u16string_view text, std::size_t max_units) {
  std::u16string out;
  out.reserve(std::min(text.size(), max_units));
  ForEachCodePoint(text, [&](char32_t c, std::u16string_view units) {
    if (IsSpacing(c)) {
      units = u" ";
    } else if (c == 0 || IsControlOrFormat(c)) {
      return true;
    }
    if (out.size() + units.size() > max_units) return false;
    out.append(units);
    return true;
  });
  return out;
}

bool IsCleanText(std::u16string_view text, std::size_t max_units) {
  if (text.size() > max_units) return false;
  bool clean = true;
  ForEachCodePoint(text, [&](char32_t c, std::u16string_view) {
    clean = c != 0 && !IsControlOrFormat(c);
    return clean;
  });
  return clean;
}

}  // namespace tw
