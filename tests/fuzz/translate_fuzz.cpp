// Arbitrary bytes as the translation table, then lookups of its own values in several languages: parsing and
// lookup never fail, lines carry no break characters, and a lookup answers either the asked text or one of
// the table's values.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fakes/fake_locale.h"
#include "i18n/translate.h"
#include "platform/text.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

std::u16string Breaks(std::u16string_view text) {
  std::u16string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\\' && i + 1 < text.size() && text[i + 1] == u'n') {
      out += u'\r';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::u16string_view After(std::u16string_view line) {
  const size_t eq = line.find(u'=');
  return eq == std::u16string_view::npos ? std::u16string_view() : line.substr(eq + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<std::u16string> lines = tw::ParseTranslationTable(bytes);
  size_t chars = 0;
  for (const std::u16string& line : lines) {
    Check(line.find_first_of(u"\r\n") == std::u16string::npos);
    chars += line.size();
  }
  Check(chars <= size);
  std::string_view body = bytes;
  if (body.substr(0, 3) == "\xEF\xBB\xBF") body.remove_prefix(3);
  if (!tw::DecodeUtf8Strict(body)) Check(lines.empty());

  // The lines again through the splitter: joined with LF they split into the same lines (empty ones kept).
  std::u16string joined;
  for (const std::u16string& line : lines) joined += line + u'\n';
  Check(tw::SplitLines(joined) == lines);

  tw::test::FakeLocale locale(lines.empty() ? std::u16string(u"ko") : lines.front().substr(0, 3));
  tw::TranslateModuleStart(bytes, locale);
  Check(tw::TranslationTable() == lines);
  Check(tw::CurrentLanguage().size() <= 2);

  std::vector<std::u16string> answers;  // every value the table can answer with
  for (const std::u16string& line : lines) answers.push_back(Breaks(After(line)));
  const std::u16string languages[] = {u"", u"en", u"ko", lines.empty() ? u"fr" : lines.back().substr(0, 2)};
  const std::u16string& language = languages[size % 4];
  const size_t queries = lines.size() < 24 ? lines.size() : 24;
  for (size_t i = 0; i <= queries; ++i) {
    const std::u16string asked = i < queries ? std::u16string(After(lines[i])) : std::u16string(u"\\n=");
    const std::u16string result = tw::Translate(asked, language);
    bool known = result == Breaks(asked);
    for (size_t k = 0; !known && k < answers.size(); ++k) known = result == answers[k];
    Check(known);
  }
  tw::TranslateModuleStop();
  Check(tw::TranslationTable().empty());
  return 0;
}
