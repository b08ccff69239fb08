#include "i18n/translate.h"

#include "platform/text.h"

namespace tw {
namespace {

std::vector<std::u16string>& Table() {
  static std::vector<std::u16string> table;
  return table;
}

std::u16string& Language() {
  static std::u16string language;
  return language;
}

// Name and value of a table line: split at the first "="; a line without one has neither.
std::u16string_view NameOf(std::u16string_view line) {
  const size_t eq = line.find(u'=');
  return eq == std::u16string_view::npos ? std::u16string_view() : line.substr(0, eq);
}
std::u16string_view ValueOf(std::u16string_view line) {
  const size_t eq = line.find(u'=');
  return eq == std::u16string_view::npos ? std::u16string_view() : line.substr(eq + 1);
}

// The two characters "\n" stand for a line break, shown as a lone carriage return.
std::u16string ResolveBreaks(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\\' && i + 1 < text.size() && text[i + 1] == u'n') {
      out.push_back(u'\r');
      ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

}  // namespace

std::vector<std::u16string> SplitLines(std::u16string_view text) {
  std::vector<std::u16string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\r' && text[i] != u'\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::vector<std::u16string> ParseTranslationTable(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  auto text = DecodeUtf8Strict(bytes);
  if (!text) return {};
  return SplitLines(*text);
}

const std::vector<std::u16string>& TranslationTable() {
  return Table();
}

const std::u16string& CurrentLanguage() {
  return Language();
}

void SetCurrentLanguage(const std::u16string& language) {
  Language() = language;
}

std::u16string Translate(const std::u16string& text, const std::u16string& language) {
  std::u16string result = ResolveBreaks(text);
  if (text.empty()) return result;
  const std::u16string_view wanted[] = {language.empty() ? CurrentLanguage() : language, u"en"};
  const auto& table = Table();

  size_t hit = 0;
  while (hit < table.size() && !AsciiEqualsIgnoreCase(ValueOf(table[hit]), text)) ++hit;
  if (hit == table.size()) return result;
  size_t first = hit;
  while (first > 0 && !table[first - 1].empty()) --first;

  for (std::u16string_view name : wanted) {
    for (size_t i = first; i < table.size() && !table[i].empty(); ++i) {
      if (NameOf(table[i]) == name) return ResolveBreaks(ValueOf(table[i]));
    }
  }
  return result;
}

std::u16string SystemLanguage(ILocale& locale) {
  const std::uint32_t lcid = locale.UserDefaultLcid();
  const int needed = locale.LocaleInfo(lcid, loc::kSIso639LangName, nullptr, 0);
  if (needed < 1) return u"en";
  std::u16string buffer(static_cast<size_t>(needed), u'\0');
  if (locale.LocaleInfo(lcid, loc::kSIso639LangName, buffer.data(), needed) < 1) return u"en";
  return buffer.substr(0, buffer.find(u'\0'));
}

void TranslateModuleStart(std::optional<std::string_view> resource, ILocale& locale) {
  Table().clear();
  if (resource) {
    // A table that cannot be read leaves the program in its Korean texts; nothing is reported.
    try {
      Table() = ParseTranslationTable(*resource);
    } catch (...) {
      Table().clear();
    }
  }
  SetCurrentLanguage(SystemLanguage(locale).substr(0, 2));
}

void TranslateModuleStop() {
  Table().clear();
  Table().shrink_to_fit();
  Language().clear();
}

}  // namespace tw
