// A small SVG subset for the vector image control: <svg viewBox>, <g>, <rect> (rx/ry), <circle>, <ellipse>,
// <path> (M L H V C Q Z, absolute and relative) and <text> (font-family, font-size, font-weight,
// text-anchor), painted with fill, stroke and stroke-width given as attributes or in a style attribute,
// inherited from enclosing groups. Shapes become outlines of lines and cubic curves, so the renderer needs
// only those. Parsing never fails: what cannot be read is left out, the way browsers render up to the first
// error.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "theme/button_styles.h"

namespace tw {

struct SvgPoint {
  double x = 0, y = 0;
  friend bool operator==(const SvgPoint&, const SvgPoint&) = default;
};

enum class SvgOp { Move, Line, Cubic, Close };

struct SvgSegment {
  SvgOp op;
  SvgPoint p[3];  // Move/Line: p[0]; Cubic: two control points then the end point; Close: none
};

enum class SvgAnchor { Start, Middle, End };

struct SvgShape {
  std::vector<SvgSegment> outline;  // empty for text
  std::optional<TColor> fill;       // none: not filled
  std::optional<TColor> stroke;     // none: not stroked
  double stroke_width = 1;
  // Text, when `text` is not empty: drawn with its baseline at `origin`.
  std::u16string text;
  SvgPoint origin;
  std::u16string font_family;
  double font_size = 16;
  bool bold = false;
  SvgAnchor anchor = SvgAnchor::Start;
};

struct SvgDocument {
  double view_x = 0, view_y = 0, view_width = 0, view_height = 0;  // from viewBox, else width/height
  std::vector<SvgShape> shapes;                                    // in painting order
};

SvgDocument ParseSvg(std::string_view utf8);

// Maps document units into a box of `width` x `height` device units: uniform scale, centred (the default
// "xMidYMid meet"). device = document * scale + offset.
struct SvgFit {
  double scale = 1, dx = 0, dy = 0;
};
SvgFit FitViewBox(const SvgDocument& doc, double width, double height);

// Parses an SVG paint ("none", "#rgb", "#rrggbb", "rgb(r,g,b)", a few colour keywords). nullopt for "none";
// `ok` is false when the text is not a paint at all.
std::optional<TColor> ParseSvgPaint(std::string_view text, bool& ok);

// Parses path data into outline segments.
std::vector<SvgSegment> ParseSvgPath(std::string_view d);

}  // namespace tw
