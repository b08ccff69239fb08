#include "ui/win32/svg_render.h"

#include <objidl.h>  // PROPID, left out by WIN32_LEAN_AND_MEAN

#include <gdiplus.h>

#include <memory>

#include "platform/win32/wstr.h"
#include "ui/win32/gdiplus_session.h"

namespace tw::win {
namespace {

using Gdiplus::REAL;

Gdiplus::Color ToColor(const TColor& c) {
  return Gdiplus::Color(255, c.r, c.g, c.b);
}

Gdiplus::PointF Map(const SvgPoint& p, const SvgFit& fit, const RECT& bounds) {
  return Gdiplus::PointF(static_cast<REAL>(bounds.left + p.x * fit.scale + fit.dx),
                         static_cast<REAL>(bounds.top + p.y * fit.scale + fit.dy));
}

void BuildOutline(Gdiplus::GraphicsPath& path, const SvgShape& shape, const SvgFit& fit, const RECT& bounds) {
  Gdiplus::PointF cur;
  bool open = false;
  for (const SvgSegment& s : shape.outline) {
    switch (s.op) {
      case SvgOp::Move:
        path.StartFigure();
        cur = Map(s.p[0], fit, bounds);
        open = true;
        break;
      case SvgOp::Line: {
        const Gdiplus::PointF to = Map(s.p[0], fit, bounds);
        path.AddLine(cur, to);
        cur = to;
        break;
      }
      case SvgOp::Cubic: {
        const Gdiplus::PointF to = Map(s.p[2], fit, bounds);
        path.AddBezier(cur, Map(s.p[0], fit, bounds), Map(s.p[1], fit, bounds), to);
        cur = to;
        break;
      }
      case SvgOp::Close:
        if (open) path.CloseFigure();
        open = false;
        break;
    }
  }
}

std::unique_ptr<Gdiplus::FontFamily> Family(const std::u16string& name) {
  auto family = std::make_unique<Gdiplus::FontFamily>(W(name));
  if (family->GetLastStatus() == Gdiplus::Ok) return family;
  // A face the system lacks falls back to the generic sans-serif one.
  return std::unique_ptr<Gdiplus::FontFamily>(Gdiplus::FontFamily::GenericSansSerif()->Clone());
}

void AddText(Gdiplus::GraphicsPath& path, const SvgShape& shape, const SvgFit& fit, const RECT& bounds) {
  auto family = Family(shape.font_family);
  const INT style = shape.bold ? Gdiplus::FontStyleBold : Gdiplus::FontStyleRegular;
  const REAL em = static_cast<REAL>(shape.font_size * fit.scale);
  if (em <= 0) return;
  // SVG places the baseline at y; GDI+ places the top of the line box, so lift by the ascent.
  const UINT16 em_height = family->GetEmHeight(style);
  const REAL ascent = em_height ? em * family->GetCellAscent(style) / em_height : em;
  Gdiplus::PointF origin = Map(shape.origin, fit, bounds);
  origin.Y -= ascent;
  Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
  format.SetFormatFlags(format.GetFormatFlags() | Gdiplus::StringFormatFlagsNoWrap);
  switch (shape.anchor) {
    case SvgAnchor::Start:
      format.SetAlignment(Gdiplus::StringAlignmentNear);
      break;
    case SvgAnchor::Middle:
      format.SetAlignment(Gdiplus::StringAlignmentCenter);
      break;
    case SvgAnchor::End:
      format.SetAlignment(Gdiplus::StringAlignmentFar);
      break;
  }
  path.AddString(W(shape.text), static_cast<INT>(shape.text.size()), family.get(), style, em, origin,
                 &format);
}

}  // namespace

bool PaintSvg(HDC dc, const RECT& bounds, const SvgDocument& doc) {
  if (!GdiplusRunning()) return false;
  Gdiplus::Graphics g(dc);
  g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
  const SvgFit fit = FitViewBox(doc, bounds.right - bounds.left, bounds.bottom - bounds.top);
  for (const SvgShape& shape : doc.shapes) {
    Gdiplus::GraphicsPath path;
    if (shape.text.empty()) {
      BuildOutline(path, shape, fit, bounds);
    } else {
      AddText(path, shape, fit, bounds);
    }
    if (shape.fill) {
      Gdiplus::SolidBrush brush(ToColor(*shape.fill));
      g.FillPath(&brush, &path);
    }
    if (shape.stroke && shape.stroke_width > 0) {
      Gdiplus::Pen pen(ToColor(*shape.stroke), static_cast<REAL>(shape.stroke_width * fit.scale));
      g.DrawPath(&pen, &path);
    }
  }
  return true;
}

}  // namespace tw::win
