// Arbitrary bytes as an SVG document and, read as 16-bit code units, as rich-text markup: the parsers must
// never read outside their input or raise, and what they produce must hold together.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ui/rich_text.h"
#include "ui/svg.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const tw::SvgDocument doc = tw::ParseSvg(bytes);
  for (const tw::SvgShape& shape : doc.shapes) {
    Check(shape.text.empty() != shape.outline.empty());
    Check(shape.stroke_width >= 0 && shape.font_size > 0);
    for (const tw::SvgSegment& s : shape.outline) {
      for (const tw::SvgPoint& p : s.p) Check(std::isfinite(p.x) && std::isfinite(p.y));
    }
  }
  const tw::SvgFit fit = tw::FitViewBox(doc, 112, 50);
  Check(std::isfinite(fit.scale) && fit.scale > 0);

  std::u16string markup;
  for (size_t i = 0; i + 1 < size; i += 2) markup += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  const auto lines = tw::ParseRichText(markup);
  Check(!lines.empty());
  size_t shown = 0;
  for (const auto& line : lines) {
    for (const auto& run : line.runs) shown += run.text.size();
  }
  // Tags only ever take text away.
  Check(shown <= markup.size());
  Check(tw::RichPlainText(markup).size() <= markup.size() + lines.size());
  return 0;
}
