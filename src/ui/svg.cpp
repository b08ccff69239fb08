#include "ui/svg.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

#include "platform/text.h"
#include "ui/xml_reader.h"

namespace tw {
namespace {

constexpr double kKappa = 0.5522847498307936;  // cubic approximation of a quarter circle

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// Reads one number (no locale) at s[pos], skipping leading separators; false when there is none.
bool ReadNumber(std::string_view s, size_t& pos, double& out) {
  while (pos < s.size() && (IsSpace(s[pos]) || s[pos] == ',')) ++pos;
  size_t i = pos;
  double sign = 1;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) sign = s[i++] == '-' ? -1 : 1;
  double value = 0;
  bool digits = false;
  while (i < s.size() && IsDigit(s[i])) {
    value = value * 10 + (s[i++] - '0');
    digits = true;
  }
  if (i < s.size() && s[i] == '.') {
    ++i;
    double place = 0.1;
    while (i < s.size() && IsDigit(s[i])) {
      value += (s[i++] - '0') * place;
      place /= 10;
      digits = true;
    }
  }
  if (!digits) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    size_t j = i + 1;
    int esign = 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) esign = s[j++] == '-' ? -1 : 1;
    if (j < s.size() && IsDigit(s[j])) {
      int e = 0;
      while (j < s.size() && IsDigit(s[j])) e = std::min(e * 10 + (s[j++] - '0'), 400);
      value *= std::pow(10.0, esign * e);
      i = j;
    }
  }
  pos = i;
  out = sign * value;
  return std::isfinite(out);
}

// A length attribute: a number with an optional "px"; anything else reads as `fallback`.
double Length(std::string_view text, double fallback) {
  text = Trim(text);
  size_t pos = 0;
  double v = 0;
  if (!ReadNumber(text, pos, v)) return fallback;
  const std::string_view unit = Trim(text.substr(pos));
  return unit.empty() || unit == "px" ? v : fallback;
}

// Presentation properties, inherited down the element tree.
struct Style {
  std::optional<TColor> fill = TColor{0, 0, 0};
  std::optional<TColor> stroke;
  double stroke_width = 1;
  std::u16string font_family = u"sans-serif";
  double font_size = 16;
  bool bold = false;
  SvgAnchor anchor = SvgAnchor::Start;
};

void ApplyProperty(Style& style, const std::string& name, std::string_view value) {
  value = Trim(value);
  bool ok = false;
  if (name == "fill") {
    auto paint = ParseSvgPaint(value, ok);
    if (ok) style.fill = paint;
  } else if (name == "stroke") {
    auto paint = ParseSvgPaint(value, ok);
    if (ok) style.stroke = paint;
  } else if (name == "stroke-width") {
    const double w = Length(value, -1);
    if (w >= 0) style.stroke_width = w;
  } else if (name == "font-family") {
    // The first family of the list, without quotes.
    std::string_view first = Trim(value.substr(0, value.find(',')));
    if (first.size() >= 2 && (first.front() == '\'' || first.front() == '"'))
      first = first.substr(1, first.size() - 2);
    if (!first.empty()) style.font_family = DecodeUtf8(first);
  } else if (name == "font-size") {
    const double s = Length(value, -1);
    if (s > 0) style.font_size = s;
  } else if (name == "font-weight") {
    const std::string v = Lower(value);
    size_t pos = 0;
    double n = 0;
    if (v == "bold" || v == "bolder") {
      style.bold = true;
    } else if (v == "normal" || v == "lighter") {
      style.bold = false;
    } else if (ReadNumber(v, pos, n)) {
      style.bold = n >= 600;
    }
  } else if (name == "text-anchor") {
    const std::string v = Lower(value);
    if (v == "start") style.anchor = SvgAnchor::Start;
    if (v == "middle") style.anchor = SvgAnchor::Middle;
    if (v == "end") style.anchor = SvgAnchor::End;
  }
}

using Attributes = XmlAttributes;

// Presentation attributes first, then the style attribute, which wins.
Style Inherit(const Style& parent, const Attributes& attrs) {
  Style style = parent;
  for (const auto& [name, value] : attrs) ApplyProperty(style, name, value);
  if (auto it = attrs.find("style"); it != attrs.end()) {
    std::string_view rest = it->second;
    while (!rest.empty()) {
      const size_t semi = rest.find(';');
      const std::string_view decl = rest.substr(0, semi);
      const size_t colon = decl.find(':');
      if (colon != std::string_view::npos) {
        ApplyProperty(style, Lower(Trim(decl.substr(0, colon))), decl.substr(colon + 1));
      }
      if (semi == std::string_view::npos) break;
      rest.remove_prefix(semi + 1);
    }
  }
  return style;
}

double Attr(const Attributes& attrs, const char* name, double fallback = 0) {
  auto it = attrs.find(name);
  return it == attrs.end() ? fallback : Length(it->second, fallback);
}

SvgSegment Seg(SvgOp op, SvgPoint a = {}, SvgPoint b = {}, SvgPoint c = {}) {
  return SvgSegment{op, {a, b, c}};
}

std::vector<SvgSegment> EllipseOutline(double cx, double cy, double rx, double ry) {
  const double kx = rx * kKappa, ky = ry * kKappa;
  return {Seg(SvgOp::Move, {cx + rx, cy}),
          Seg(SvgOp::Cubic, {cx + rx, cy + ky}, {cx + kx, cy + ry}, {cx, cy + ry}),
          Seg(SvgOp::Cubic, {cx - kx, cy + ry}, {cx - rx, cy + ky}, {cx - rx, cy}),
          Seg(SvgOp::Cubic, {cx - rx, cy - ky}, {cx - kx, cy - ry}, {cx, cy - ry}),
          Seg(SvgOp::Cubic, {cx + kx, cy - ry}, {cx + rx, cy - ky}, {cx + rx, cy}),
          Seg(SvgOp::Close)};
}

std::vector<SvgSegment> RectOutline(const Attributes& attrs) {
  const double x = Attr(attrs, "x"), y = Attr(attrs, "y");
  const double w = Attr(attrs, "width"), h = Attr(attrs, "height");
  if (w <= 0 || h <= 0) return {};
  // A missing or negative radius takes the other one; both are limited to half the side.
  double rx = Attr(attrs, "rx", -1), ry = Attr(attrs, "ry", -1);
  if (rx < 0) rx = ry;
  if (ry < 0) ry = rx;
  rx = std::clamp(rx, 0.0, w / 2);
  ry = std::clamp(ry, 0.0, h / 2);
  if (rx == 0 || ry == 0) {
    return {Seg(SvgOp::Move, {x, y}), Seg(SvgOp::Line, {x + w, y}), Seg(SvgOp::Line, {x + w, y + h}),
            Seg(SvgOp::Line, {x, y + h}), Seg(SvgOp::Close)};
  }
  const double kx = rx * kKappa, ky = ry * kKappa;
  return {Seg(SvgOp::Move, {x + rx, y}),
          Seg(SvgOp::Line, {x + w - rx, y}),
          Seg(SvgOp::Cubic, {x + w - rx + kx, y}, {x + w, y + ry - ky}, {x + w, y + ry}),
          Seg(SvgOp::Line, {x + w, y + h - ry}),
          Seg(SvgOp::Cubic, {x + w, y + h - ry + ky}, {x + w - rx + kx, y + h}, {x + w - rx, y + h}),
          Seg(SvgOp::Line, {x + rx, y + h}),
          Seg(SvgOp::Cubic, {x + rx - kx, y + h}, {x, y + h - ry + ky}, {x, y + h - ry}),
          Seg(SvgOp::Line, {x, y + ry}),
          Seg(SvgOp::Cubic, {x, y + ry - ky}, {x + rx - kx, y}, {x + rx, y}),
          Seg(SvgOp::Close)};
}

std::u16string CollapseSpaces(const std::u16string& text) {
  std::u16string out;
  bool space = false;
  for (char16_t c : text) {
    if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n') {
      space = !out.empty();
      continue;
    }
    if (space) out.push_back(u' ');
    space = false;
    out.push_back(c);
  }
  return out;
}

void ReadViewBox(SvgDocument& doc, const Attributes& attrs) {
  if (auto it = attrs.find("viewbox"); it != attrs.end()) {
    std::array<double, 4> v{};
    size_t pos = 0;
    bool ok = true;
    for (double& n : v) ok = ok && ReadNumber(it->second, pos, n);
    if (ok && v[2] > 0 && v[3] > 0) {
      doc.view_x = v[0];
      doc.view_y = v[1];
      doc.view_width = v[2];
      doc.view_height = v[3];
      return;
    }
  }
  doc.view_width = Attr(attrs, "width", 0);
  doc.view_height = Attr(attrs, "height", 0);
}

}  // namespace

std::optional<TColor> ParseSvgPaint(std::string_view text, bool& ok) {
  ok = true;
  const std::string v = Lower(Trim(text));
  auto hex = [](char c) { return IsDigit(c) ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1; };
  if (v == "none" || v == "transparent") return std::nullopt;
  if (!v.empty() && v[0] == '#') {
    int d[6];
    const size_t n = v.size() - 1;
    if (n == 3 || n == 6) {
      bool good = true;
      for (size_t i = 0; i < n; ++i) good = good && (d[i] = hex(v[i + 1])) >= 0;
      if (good && n == 3)
        return TColor{std::uint8_t(d[0] * 17), std::uint8_t(d[1] * 17), std::uint8_t(d[2] * 17)};
      if (good)
        return TColor{std::uint8_t(d[0] * 16 + d[1]), std::uint8_t(d[2] * 16 + d[3]),
                      std::uint8_t(d[4] * 16 + d[5])};
    }
  } else if (v.rfind("rgb(", 0) == 0 && v.back() == ')') {
    std::array<double, 3> c{};
    size_t pos = 4;
    bool good = true;
    for (double& n : c) good = good && ReadNumber(v, pos, n);
    if (good && Trim(std::string_view(v).substr(pos)) == ")") {
      auto ch = [](double x) { return std::uint8_t(std::clamp(std::lround(x), 0L, 255L)); };
      return TColor{ch(c[0]), ch(c[1]), ch(c[2])};
    }
  } else {
    static const std::map<std::string, TColor> kNames = {
        {"black", {0, 0, 0}},      {"white", {255, 255, 255}},  {"red", {255, 0, 0}},
        {"green", {0, 128, 0}},    {"blue", {0, 0, 255}},       {"gray", {128, 128, 128}},
        {"grey", {128, 128, 128}}, {"silver", {192, 192, 192}}, {"navy", {0, 0, 128}},
        {"yellow", {255, 255, 0}}, {"orange", {255, 165, 0}}};
    if (auto it = kNames.find(v); it != kNames.end()) return it->second;
  }
  ok = false;
  return std::nullopt;
}

std::vector<SvgSegment> ParseSvgPath(std::string_view d) {
  std::vector<SvgSegment> out;
  SvgPoint cur, start;
  char cmd = 0;
  size_t pos = 0;
  auto num = [&](double& v) { return ReadNumber(d, pos, v); };
  auto point = [&](bool rel, SvgPoint& p) {
    if (!num(p.x) || !num(p.y)) return false;
    if (rel) p.x += cur.x, p.y += cur.y;
    return true;
  };
  while (true) {
    while (pos < d.size() && (IsSpace(d[pos]) || d[pos] == ',')) ++pos;
    if (pos >= d.size()) break;
    const char c = d[pos];
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
      cmd = c;
      ++pos;
    } else if (cmd == 0 || cmd == 'Z' || cmd == 'z') {
      break;  // numbers with no command to repeat
    }
    const bool rel = cmd >= 'a';
    switch (cmd) {
      case 'M':
      case 'm': {
        SvgPoint p;
        if (!point(rel, p)) return out;
        out.push_back(Seg(SvgOp::Move, p));
        cur = start = p;
        cmd = rel ? 'l' : 'L';  // further pairs are lines
        break;
      }
      case 'L':
      case 'l': {
        SvgPoint p;
        if (!point(rel, p)) return out;
        out.push_back(Seg(SvgOp::Line, p));
        cur = p;
        break;
      }
      case 'H':
      case 'h': {
        double x = 0;
        if (!num(x)) return out;
        cur.x = rel ? cur.x + x : x;
        out.push_back(Seg(SvgOp::Line, cur));
        break;
      }
      case 'V':
      case 'v': {
        double y = 0;
        if (!num(y)) return out;
        cur.y = rel ? cur.y + y : y;
        out.push_back(Seg(SvgOp::Line, cur));
        break;
      }
      case 'C':
      case 'c': {
        SvgPoint a, b, p;
        if (!point(rel, a) || !point(rel, b) || !point(rel, p)) return out;
        out.push_back(Seg(SvgOp::Cubic, a, b, p));
        cur = p;
        break;
      }
      case 'Q':
      case 'q': {
        SvgPoint q, p;
        if (!point(rel, q) || !point(rel, p)) return out;
        // The same curve as a cubic: control points two thirds of the way to the quadratic's one.
        const SvgPoint a{cur.x + 2.0 / 3 * (q.x - cur.x), cur.y + 2.0 / 3 * (q.y - cur.y)};
        const SvgPoint b{p.x + 2.0 / 3 * (q.x - p.x), p.y + 2.0 / 3 * (q.y - p.y)};
        out.push_back(Seg(SvgOp::Cubic, a, b, p));
        cur = p;
        break;
      }
      case 'Z':
      case 'z':
        out.push_back(Seg(SvgOp::Close));
        cur = start;
        break;
      default:
        return out;  // a command outside the subset ends the path, as an error would
    }
    // A path must start with a move.
    if (out.size() == 1 && out[0].op != SvgOp::Move) return {};
  }
  return out;
}

SvgDocument ParseSvg(std::string_view utf8) {
  if (utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);
  SvgDocument doc;
  XmlReader xml(utf8);
  std::vector<Style> styles{Style{}};
  std::vector<std::string> open;  // element names whose end tag is pending
  bool seen_root = false;
  SvgShape* text = nullptr;  // the <text> being read
  std::u16string text_content;
  for (auto t = xml.Next(); t.kind != XmlReader::Kind::Done; t = xml.Next()) {
    if (t.kind == XmlReader::Kind::Text) {
      if (text) text_content += DecodeXmlEntities(t.text);
      continue;
    }
    const std::string name = Lower(t.name);
    if (t.kind == XmlReader::Kind::End) {
      if (open.empty()) continue;
      if (open.back() == "text" && text) {
        text->text = CollapseSpaces(text_content);
        if (text->text.empty()) doc.shapes.pop_back();
        text = nullptr;
      }
      open.pop_back();
      styles.pop_back();
      continue;
    }
    const Style style = Inherit(styles.back(), t.attrs);
    if (!seen_root) {
      if (name != "svg") return doc;
      seen_root = true;
      ReadViewBox(doc, t.attrs);
    } else if (!text) {
      SvgShape shape;
      shape.fill = style.fill;
      shape.stroke = style.stroke;
      shape.stroke_width = style.stroke_width;
      if (name == "rect") {
        shape.outline = RectOutline(t.attrs);
      } else if (name == "circle") {
        const double r = Attr(t.attrs, "r");
        if (r > 0) shape.outline = EllipseOutline(Attr(t.attrs, "cx"), Attr(t.attrs, "cy"), r, r);
      } else if (name == "ellipse") {
        const double rx = Attr(t.attrs, "rx"), ry = Attr(t.attrs, "ry");
        if (rx > 0 && ry > 0)
          shape.outline = EllipseOutline(Attr(t.attrs, "cx"), Attr(t.attrs, "cy"), rx, ry);
      } else if (name == "path") {
        if (auto it = t.attrs.find("d"); it != t.attrs.end()) shape.outline = ParseSvgPath(it->second);
      }
      if (!shape.outline.empty()) doc.shapes.push_back(std::move(shape));
      if (name == "text" && !t.self_closing) {
        SvgShape txt;
        txt.fill = style.fill;
        txt.stroke = style.stroke;
        txt.stroke_width = style.stroke_width;
        txt.origin = {Attr(t.attrs, "x"), Attr(t.attrs, "y")};
        txt.font_family = style.font_family;
        txt.font_size = style.font_size;
        txt.bold = style.bold;
        txt.anchor = style.anchor;
        doc.shapes.push_back(std::move(txt));
        text = &doc.shapes.back();
        text_content.clear();
      }
    }
    if (!t.self_closing) {
      open.push_back(name);
      styles.push_back(style);
    }
  }
  if (text) {  // an unterminated <text> keeps what it had
    text->text = CollapseSpaces(text_content);
    if (text->text.empty()) doc.shapes.pop_back();
  }
  return doc;
}

SvgFit FitViewBox(const SvgDocument& doc, double width, double height) {
  SvgFit fit;
  if (doc.view_width <= 0 || doc.view_height <= 0 || width <= 0 || height <= 0) return fit;
  fit.scale = std::min(width / doc.view_width, height / doc.view_height);
  fit.dx = (width - doc.view_width * fit.scale) / 2 - doc.view_x * fit.scale;
  fit.dy = (height - doc.view_height * fit.scale) / 2 - doc.view_y * fit.scale;
  return fit;
}

}  // namespace tw
