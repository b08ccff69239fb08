#include "ui/win32/svg_render.h"

#include <objidl.h>  // PROPID, left out by WIN32_LEAN_AND_MEAN

#include <gdiplus.h>

#include <string>

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

bool FamilyExists(const wchar_t* face) {
  if (!face || !*face) return false;
  const Gdiplus::FontFamily family(face);
  return family.GetLastStatus() == Gdiplus::Ok && family.IsAvailable();
}

int CALLBACK CollectSansFace(const LOGFONTW* lf, const TEXTMETRICW*, DWORD type, LPARAM out) {
  // TrueType only (GDI+ draws nothing else), no vertical "@" faces, and of the sans-serif (swiss) kind.
  if ((type & TRUETYPE_FONTTYPE) && lf->lfFaceName[0] != L'@' && (lf->lfPitchAndFamily & 0xF0) == FF_SWISS &&
      FamilyExists(lf->lfFaceName)) {
    *reinterpret_cast<std::wstring*>(out) = lf->lfFaceName;
    return 0;  // found: stop
  }
  return 1;
}

// The face the lettering is drawn with: the document's own when GDI+ has it, then the window's font, then the
// generic sans-serif family, then any installed sans-serif face. GDI+ answers "not found" for a family the
// system lacks, and on some systems (seen under Wine) for the generic one too: that is no reason to fault.
// Empty when there is none at all; the lettering is then left out.
std::wstring LetteringFace(HDC dc, const std::u16string& wanted, HFONT window_font) {
  if (std::wstring face(W(wanted)); FamilyExists(face.c_str())) return face;
  if (LOGFONTW lf{}; window_font && GetObjectW(window_font, sizeof(lf), &lf) && FamilyExists(lf.lfFaceName)) {
    return lf.lfFaceName;
  }
  if (const Gdiplus::FontFamily* generic = Gdiplus::FontFamily::GenericSansSerif();
      generic && generic->GetLastStatus() == Gdiplus::Ok) {
    wchar_t face[LF_FACESIZE] = L"";
    if (generic->GetFamilyName(face) == Gdiplus::Ok && FamilyExists(face)) return face;
  }
  std::wstring any;
  LOGFONTW all{};
  all.lfCharSet = DEFAULT_CHARSET;
  EnumFontFamiliesExW(dc, &all, CollectSansFace, reinterpret_cast<LPARAM>(&any), 0);
  return any;
}

// False when the text could not be laid out; the shape is then left undrawn.
bool AddText(HDC dc, Gdiplus::GraphicsPath& path, const SvgShape& shape, const SvgFit& fit,
             const RECT& bounds, HFONT window_font) {
  const REAL em = static_cast<REAL>(shape.font_size * fit.scale);
  if (em <= 0) return false;
  const std::wstring face = LetteringFace(dc, shape.font_family, window_font);
  if (face.empty()) return false;
  const Gdiplus::FontFamily family(face.c_str());
  if (family.GetLastStatus() != Gdiplus::Ok) return false;
  const INT style = shape.bold ? Gdiplus::FontStyleBold : Gdiplus::FontStyleRegular;
  // SVG places the baseline at y; GDI+ places the top of the line box, so lift by the ascent.
  const UINT16 em_height = family.GetEmHeight(style);
  const REAL ascent =
      em_height ? em * static_cast<REAL>(family.GetCellAscent(style)) / static_cast<REAL>(em_height) : em;
  Gdiplus::PointF origin = Map(shape.origin, fit, bounds);
  origin.Y -= ascent;
  Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
  if (format.GetLastStatus() != Gdiplus::Ok) return false;
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
  return path.AddString(W(shape.text), static_cast<INT>(shape.text.size()), &family, style, em, origin,
                        &format) == Gdiplus::Ok;
}

}  // namespace

bool PaintSvg(HDC dc, const RECT& bounds, const SvgDocument& doc, HFONT window_font) {
  if (!GdiplusRunning()) return false;
  Gdiplus::Graphics g(dc);
  if (g.GetLastStatus() != Gdiplus::Ok) return false;
  g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
  const SvgFit fit = FitViewBox(doc, bounds.right - bounds.left, bounds.bottom - bounds.top);
  // A step GDI+ refuses leaves its shape undrawn; the others are still drawn.
  for (const SvgShape& shape : doc.shapes) {
    Gdiplus::GraphicsPath path;
    if (path.GetLastStatus() != Gdiplus::Ok) continue;
    if (shape.text.empty()) {
      BuildOutline(path, shape, fit, bounds);
    } else if (!AddText(dc, path, shape, fit, bounds, window_font)) {
      continue;
    }
    if (path.GetLastStatus() != Gdiplus::Ok) continue;
    if (shape.fill) {
      Gdiplus::SolidBrush brush(ToColor(*shape.fill));
      if (brush.GetLastStatus() == Gdiplus::Ok) g.FillPath(&brush, &path);
    }
    if (shape.stroke && shape.stroke_width > 0) {
      Gdiplus::Pen pen(ToColor(*shape.stroke), static_cast<REAL>(shape.stroke_width * fit.scale));
      if (pen.GetLastStatus() == Gdiplus::Ok) g.DrawPath(&pen, &path);
    }
  }
  return true;
}

}  // namespace tw::win
