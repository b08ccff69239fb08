#include "update/strings.h"

#include <algorithm>

#include "platform/error.h"
#include "platform/text.h"

namespace tw {

namespace {

// Masks backslash + end marker so that an escaped quote cannot end a quoted value. Only quote markers are
// masked; for a one-unit marker the copy keeps its length, so positions still match the source.
std::u16string MaskEscapedEnd(std::u16string text, const std::u16string& end) {
  if (end.empty() || std::u16string_view(u"\"'").find(end) == std::u16string_view::npos) return text;
  const std::u16string needle = u"\\" + end;
  std::u16string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    if (text.compare(i, needle.size(), needle) == 0) {
      out += u"\\\\";
      i += needle.size();
    } else {
      out += text[i++];
    }
  }
  return out;
}

}  // namespace

std::u16string ExtractBetweenAt(std::u16string_view source, std::u16string_view start_marker,
                                std::u16string_view end_marker, int* position) {
  const std::u16string start_upper = AsciiUpperCase(start_marker);
  const std::u16string end_upper = AsciiUpperCase(end_marker);
  const std::u16string masked = MaskEscapedEnd(AsciiUpperCase(source), end_upper);

  // Zero-based index of the value's first unit.
  size_t first = 0;
  if (!start_upper.empty()) {
    const size_t found =
        *position < 1 ? std::u16string::npos : masked.find(start_upper, static_cast<size_t>(*position) - 1);
    if (found == std::u16string::npos) {
      *position = 0;
      return {};
    }
    first = found + start_upper.size();
  }

  size_t end = source.size();
  if (!end_upper.empty()) {
    end = masked.find(end_upper, first);
    if (end == std::u16string::npos) {
      *position = 0;
      return {};
    }
  }
  // One past the end marker's first unit, counted from 1.
  *position = static_cast<int>(end + 2);
  if (first >= source.size()) return {};
  return std::u16string(source.substr(first, end - first));
}

std::u16string ExtractBetween(std::u16string_view source, std::u16string_view start_marker,
                              std::u16string_view end_marker, bool KeepMarkers) {
  int position = 1;
  std::u16string value = ExtractBetweenAt(source, start_marker, end_marker, &position);
  if (!KeepMarkers) return value;
  // Blank means only characters of code 32 or below, as a trim sees it.
  const bool blank = std::all_of(value.begin(), value.end(), [](char16_t c) { return c <= u' '; });
  if (blank) return value;
  return std::u16string(start_marker) + value + std::u16string(end_marker);
}

std::u16string JsonUnescape(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const char16_t c = text[i++];
    if (c != u'\\') {
      out += c;
      continue;
    }
    if (i >= text.size()) break;
    const char16_t e = text[i++];
    switch (e) {
      case u'"':
      case u'\'':
      case u'/':
      case u'\\':
        out += e;
        break;
      case u'b':
        out += u'\b';
        break;
      case u'f':
        out += u'\f';
        break;
      case u'n':
        out += u'\n';
        break;
      case u'r':
        out += u'\r';
        break;
      case u't':
        out += u'\t';
        break;
      case u'u': {
        const size_t count = std::min<size_t>(4, text.size() - i);
        unsigned value = 0;
        bool valid = count > 0;
        for (size_t k = 0; k < count && valid; ++k) {
          const int digit = AsciiHexDigit(text[i + k]);
          valid = digit >= 0;
          value = value * 16 + static_cast<unsigned>(digit < 0 ? 0 : digit);
        }
        if (!valid) {
          throw Error(u"'" + std::u16string(text.substr(i, count)) + u"' is not a valid hexadecimal number");
        }
        out += static_cast<char16_t>(value);
        i += count;
        break;
      }
      default:
        break;  // unknown escape: backslash and letter both vanish
    }
  }
  return out;
}

}  // namespace tw
