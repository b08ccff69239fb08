// The rich-text label's markup: <B>..</B> bold, <C>..</C> a centred line, <FC:clName>..</FC> a named text
// colour. Anything else that looks like a tag is shown as text, so a stray '<' in a translation never
// swallows words.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "theme/button_styles.h"

namespace tw {

struct RichRun {
  std::u16string text;
  bool bold = false;
  std::optional<TColor> color;  // none: the label's own text colour
  friend bool operator==(const RichRun&, const RichRun&) = default;
};

struct RichLine {
  bool centered = false;
  std::vector<RichRun> runs;
  friend bool operator==(const RichLine&, const RichLine&) = default;
};

// Lines are split at "\n" (a preceding "\r" is dropped). A line is centred when any part of it lies inside
// <C>..</C>. Tags nest; a closing tag without its opening one is ignored. Empty runs are not kept.
std::vector<RichLine> ParseRichText(const std::u16string& markup);

// The text a reader sees: the markup without its tags.
std::u16string RichPlainText(const std::u16string& markup);

// Named colours a <FC:...> tag may use ("clGray", ...), without regard to ASCII case.
std::optional<TColor> NamedColor(const std::u16string& name);

}  // namespace tw
