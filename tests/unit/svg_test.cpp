#include <gtest/gtest.h>

#include "ui/svg.h"

namespace tw {
namespace {

SvgPoint P(double x, double y) {
  return {x, y};
}

// The end point of each segment (none for Close), to compare outlines compactly.
std::vector<std::pair<SvgOp, SvgPoint>> Ends(const std::vector<SvgSegment>& path) {
  std::vector<std::pair<SvgOp, SvgPoint>> out;
  out.reserve(path.size());
  for (const auto& s : path)
    out.push_back({s.op, s.op == SvgOp::Cubic ? s.p[2] : s.op == SvgOp::Close ? SvgPoint{} : s.p[0]});
  return out;
}

TEST(SvgPath, CommandsAbsoluteAndRelative) {
  using E = std::vector<std::pair<SvgOp, SvgPoint>>;
  struct Case {
    const char* d;
    E ends;
  };
  const Case cases[] = {
      {"M1 2 L3 4", {{SvgOp::Move, P(1, 2)}, {SvgOp::Line, P(3, 4)}}},
      {"m1 2 l3 4", {{SvgOp::Move, P(1, 2)}, {SvgOp::Line, P(4, 6)}}},
      // Pairs after a move are lines; H and V keep the other coordinate.
      {"M0,0 10,0 H5 V7 h1 v-2",
       {{SvgOp::Move, P(0, 0)},
        {SvgOp::Line, P(10, 0)},
        {SvgOp::Line, P(5, 0)},
        {SvgOp::Line, P(5, 7)},
        {SvgOp::Line, P(6, 7)},
        {SvgOp::Line, P(6, 5)}}},
      // Z goes back to the start of the subpath; a relative move after it starts there.
      {"M10 10 l5 0 z m1 1",
       {{SvgOp::Move, P(10, 10)}, {SvgOp::Line, P(15, 10)}, {SvgOp::Close, {}}, {SvgOp::Move, P(11, 11)}}},
      // Numbers packed without separators.
      {"M1-2L.5.5", {{SvgOp::Move, P(1, -2)}, {SvgOp::Line, P(0.5, 0.5)}}},
      {"M1e1 2E-1", {{SvgOp::Move, P(10, 0.2)}}},
      // Repeated curve arguments.
      {"M0 0 c1 1 2 2 3 3 1 1 2 2 3 3",
       {{SvgOp::Move, P(0, 0)}, {SvgOp::Cubic, P(3, 3)}, {SvgOp::Cubic, P(6, 6)}}},
      // Errors: what came before is kept.
      {"M0 0 L1 1 A5 5 0 0 1 9 9", {{SvgOp::Move, P(0, 0)}, {SvgOp::Line, P(1, 1)}}},
      {"M0 0 L1", {{SvgOp::Move, P(0, 0)}}},
      {"L1 1", {}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Ends(ParseSvgPath(c.d)), c.ends) << c.d;
}

TEST(SvgPath, QuadraticBecomesTheSameCubic) {
  const auto path = ParseSvgPath("M0 0 Q3 6 6 0");
  ASSERT_EQ(path.size(), 2u);
  EXPECT_EQ(path[1].op, SvgOp::Cubic);
  EXPECT_DOUBLE_EQ(path[1].p[0].x, 2);
  EXPECT_DOUBLE_EQ(path[1].p[0].y, 4);
  EXPECT_DOUBLE_EQ(path[1].p[1].x, 4);
  EXPECT_DOUBLE_EQ(path[1].p[1].y, 4);
  EXPECT_EQ(path[1].p[2], P(6, 0));
  // Relative form: control and end point relative to the current point.
  const auto rel = ParseSvgPath("M10 10 q3 6 6 0");
  EXPECT_EQ(rel[1].p[2], P(16, 10));
  EXPECT_DOUBLE_EQ(rel[1].p[0].y, 14);
}

TEST(SvgPaint, Values) {
  struct Case {
    const char* text;
    bool ok;
    std::optional<TColor> color;
  };
  const Case cases[] = {
      {"#3D84DD", true, TColor{61, 132, 221}}, {"#fff", true, TColor{255, 255, 255}},
      {" none ", true, std::nullopt},          {"rgb(1, 2,300)", true, TColor{1, 2, 255}},
      {"White", true, TColor{255, 255, 255}},  {"#12345", false, std::nullopt},
      {"#gggggg", false, std::nullopt},        {"url(#grad)", false, std::nullopt},
  };
  for (const Case& c : cases) {
    bool ok = false;
    EXPECT_EQ(ParseSvgPaint(c.text, ok), c.color) << c.text;
    EXPECT_EQ(ok, c.ok) << c.text;
  }
}

TEST(Svg, ShapesStylesAndInheritance) {
  const auto doc = ParseSvg(R"(<?xml version="1.0"?>
<!-- a comment with <rect> inside -->
<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 100 50">
  <g fill="#ff0000" stroke="blue" stroke-width="3">
    <rect x="1" y="2" width="20" height="10" rx="40"/>
    <circle cx="50" cy="25" r="5" style="fill: none; stroke-width: 2px"/>
  </g>
  <ellipse cx="10" cy="10" rx="4" ry="2"/>
  <rect width="0" height="5"/>
  <path d="M0 0 L1 1" fill="none" stroke="#000"/>
  <text x="72" y="30" font-family="'Segoe UI', sans-serif" font-size="12" font-weight="700"
        text-anchor="middle" fill="#FFFFFF">  TEMPO &amp;
    WAVE </text>
</svg>)");
  EXPECT_EQ(doc.view_width, 100);
  EXPECT_EQ(doc.view_height, 50);
  ASSERT_EQ(doc.shapes.size(), 5u);  // the empty rect is dropped
  const SvgShape& rect = doc.shapes[0];
  EXPECT_EQ(rect.fill, (TColor{255, 0, 0}));
  EXPECT_EQ(rect.stroke, (TColor{0, 0, 255}));
  EXPECT_EQ(rect.stroke_width, 3);
  // rx larger than half the side is limited to it, and ry takes rx.
  ASSERT_EQ(rect.outline.size(), 10u);
  EXPECT_EQ(rect.outline[0].p[0], P(11, 2));
  EXPECT_EQ(rect.outline[3].p[0], P(21, 7));
  const SvgShape& circle = doc.shapes[1];
  EXPECT_EQ(circle.fill, std::nullopt) << "style wins over the inherited attribute";
  EXPECT_EQ(circle.stroke_width, 2);
  EXPECT_EQ(circle.outline.front().p[0], P(55, 25));
  EXPECT_EQ(doc.shapes[2].fill, (TColor{0, 0, 0})) << "default fill outside the group";
  EXPECT_EQ(doc.shapes[2].outline[2].p[2], P(6, 10));
  const SvgShape& text = doc.shapes[4];
  EXPECT_EQ(text.text, u"TEMPO & WAVE");
  EXPECT_EQ(text.font_family, u"Segoe UI");
  EXPECT_EQ(text.font_size, 12);
  EXPECT_TRUE(text.bold);
  EXPECT_EQ(text.anchor, SvgAnchor::Middle);
  EXPECT_EQ(text.origin, P(72, 30));
  EXPECT_EQ(text.fill, (TColor{255, 255, 255}));
}

TEST(Svg, MalformedInputGivesWhatCouldBeRead) {
  EXPECT_TRUE(ParseSvg("").shapes.empty());
  EXPECT_TRUE(ParseSvg("<html><rect width='1' height='1'/></html>").shapes.empty()) << "not an svg";
  const auto cut = ParseSvg("<svg width='10' height='20'><rect width='5' height='5'/><rect width='5' hei");
  EXPECT_EQ(cut.shapes.size(), 1u);
  EXPECT_EQ(cut.view_width, 10);
  EXPECT_EQ(cut.view_height, 20);
  const auto text = ParseSvg("<svg><text x='1' y='2'>&#xD55C;&#44544;&bogus;");
  ASSERT_EQ(text.shapes.size(), 1u);
  EXPECT_EQ(text.shapes[0].text, u"\uD55C\uAE00&bogus;");
  EXPECT_TRUE(ParseSvg("<svg><text> </text></svg>").shapes.empty());
}

TEST(Svg, FitsTheViewBoxCentred) {
  SvgDocument doc;
  doc.view_x = 10;
  doc.view_width = 112;
  doc.view_height = 50;
  // Twice as wide a box: scaled by the height, centred horizontally.
  SvgFit fit = FitViewBox(doc, 448, 100);
  EXPECT_DOUBLE_EQ(fit.scale, 2);
  EXPECT_DOUBLE_EQ(fit.dx, 112 - 20);
  EXPECT_DOUBLE_EQ(fit.dy, 0);
  fit = FitViewBox(doc, 56, 100);
  EXPECT_DOUBLE_EQ(fit.scale, 0.5);
  EXPECT_DOUBLE_EQ(fit.dy, 37.5);
  // Nothing to fit: identity.
  fit = FitViewBox(SvgDocument{}, 10, 10);
  EXPECT_DOUBLE_EQ(fit.scale, 1);
}

}  // namespace
}  // namespace tw
