#include "ui/rich_text.h"

#include <array>
#include <utility>

#include "platform/text.h"

namespace tw {
namespace {

struct Named {
  const char16_t* name;
  TColor color;
};
constexpr std::array<Named, 10> kColors = {{
    {u"clBlack", {0, 0, 0}},
    {u"clMaroon", {128, 0, 0}},
    {u"clGreen", {0, 128, 0}},
    {u"clNavy", {0, 0, 128}},
    {u"clGray", {128, 128, 128}},
    {u"clSilver", {192, 192, 192}},
    {u"clRed", {255, 0, 0}},
    {u"clBlue", {0, 0, 255}},
    {u"clWhite", {255, 255, 255}},
    {u"clGrey", {128, 128, 128}},
}};

enum class Tag { None, BoldOn, BoldOff, CenterOn, CenterOff, ColorOn, ColorOff };

// Recognises the tag starting at markup[pos] ('<'); on success sets `end` past the '>' and `color`.
Tag ReadTag(const std::u16string& markup, size_t pos, size_t& end, TColor& color) {
  const size_t close = markup.find(u'>', pos);
  if (close == std::u16string::npos) return Tag::None;
  const std::u16string body = markup.substr(pos + 1, close - pos - 1);
  end = close + 1;
  if (AsciiEqualsIgnoreCase(body, u"B")) return Tag::BoldOn;
  if (AsciiEqualsIgnoreCase(body, u"/B")) return Tag::BoldOff;
  if (AsciiEqualsIgnoreCase(body, u"C")) return Tag::CenterOn;
  if (AsciiEqualsIgnoreCase(body, u"/C")) return Tag::CenterOff;
  if (AsciiEqualsIgnoreCase(body, u"/FC")) return Tag::ColorOff;
  if (body.size() > 3 && AsciiEqualsIgnoreCase(body.substr(0, 3), u"FC:")) {
    if (auto c = NamedColor(body.substr(3))) {
      color = *c;
      return Tag::ColorOn;
    }
  }
  return Tag::None;
}

class Builder {
 public:
  void Text(char16_t ch) {
    if (ch == u'\n') {
      // A "\r" right before a line break belongs to the break.
      if (!current_.empty() && current_.back() == u'\r') current_.pop_back();
      Flush();
      lines_.push_back(std::move(line_));
      line_ = {};
      line_.centered = centered_ > 0;
      return;
    }
    current_.push_back(ch);
  }
  void Apply(Tag tag, const TColor& color) {
    Flush();
    switch (tag) {
      case Tag::BoldOn:
        ++bold_;
        break;
      case Tag::BoldOff:
        if (bold_ > 0) --bold_;
        break;
      case Tag::CenterOn:
        ++centered_;
        line_.centered = true;
        break;
      case Tag::CenterOff:
        if (centered_ > 0) --centered_;
        break;
      case Tag::ColorOn:
        colors_.push_back(color);
        break;
      case Tag::ColorOff:
        if (!colors_.empty()) colors_.pop_back();
        break;
      case Tag::None:
        break;
    }
  }
  std::vector<RichLine> Finish() {
    Flush();
    lines_.push_back(std::move(line_));
    return std::move(lines_);
  }

 private:
  void Flush() {
    if (current_.empty()) return;
    RichRun run{std::move(current_), bold_ > 0, std::nullopt};
    if (!colors_.empty()) run.color = colors_.back();
    current_.clear();
    if (!line_.runs.empty() && line_.runs.back().bold == run.bold && line_.runs.back().color == run.color) {
      line_.runs.back().text += run.text;
    } else {
      line_.runs.push_back(std::move(run));
    }
    if (centered_ > 0) line_.centered = true;
  }

  std::vector<RichLine> lines_;
  RichLine line_;
  std::u16string current_;
  int bold_ = 0;
  int centered_ = 0;
  std::vector<TColor> colors_;
};

}  // namespace

std::optional<TColor> NamedColor(const std::u16string& name) {
  for (const auto& entry : kColors) {
    if (AsciiEqualsIgnoreCase(name, entry.name)) return entry.color;
  }
  return std::nullopt;
}

std::vector<RichLine> ParseRichText(const std::u16string& markup) {
  Builder b;
  for (size_t i = 0; i < markup.size();) {
    if (markup[i] == u'<') {
      size_t end = 0;
      TColor color;
      const Tag tag = ReadTag(markup, i, end, color);
      if (tag != Tag::None) {
        b.Apply(tag, color);
        i = end;
        continue;
      }
    }
    b.Text(markup[i]);
    ++i;
  }
  return b.Finish();
}

std::u16string RichPlainText(const std::u16string& markup) {
  std::u16string out;
  const auto lines = ParseRichText(markup);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out += u"\r\n";
    for (const auto& run : lines[i].runs) out += run.text;
  }
  return out;
}

}  // namespace tw
