#include "ui/win32/button_painter.h"

#include <objidl.h>  // PROPID, left out by WIN32_LEAN_AND_MEAN

#include <gdiplus.h>

#include <algorithm>

#include "platform/win32/handles.h"
#include "platform/win32/wstr.h"
#include "ui/win32/gdiplus_session.h"

namespace tw::win {
namespace {

// Focus rectangle inset from the face's edge.
constexpr int kFocusInset = 3;

int PenWidth(const TStyledButtonAttributes& a) {
  // Width 0 means the thinnest line the device can draw, as it does for GDI pens.
  return std::max(a.BorderWidth, 1);
}

// The corner radius of the shape in pixels; 0 for square corners.
float CornerRadius(const TStyledButtonAttributes& a, float w, float h, int radius) {
  const float limit = std::min(w, h) / 2;
  switch (a.DrawType) {
    case TButtonDrawType::btRounded:
      return limit;
    case TButtonDrawType::btRoundRect:
      return a.RoundedCorners ? std::clamp(static_cast<float>(radius), 0.0f, limit) : 0.0f;
    default:
      return 0;
  }
}

void AddShape(Gdiplus::GraphicsPath& path, const TStyledButtonAttributes& a, float x, float y, float w,
              float h, int radius) {
  if (a.DrawType == TButtonDrawType::btEllipse) {
    path.AddEllipse(x, y, w, h);
    return;
  }
  const float r = CornerRadius(a, w, h, radius);
  if (r <= 0) {
    path.AddRectangle(Gdiplus::RectF(x, y, w, h));
    return;
  }
  const float d = 2 * r;
  path.AddArc(x, y, d, d, 180, 90);
  path.AddArc(x + w - d, y, d, d, 270, 90);
  path.AddArc(x + w - d, y + h - d, d, d, 0, 90);
  path.AddArc(x, y + h - d, d, d, 90, 90);
  path.CloseFigure();
}

Gdiplus::Color Argb(const TColor& c) {
  return Gdiplus::Color(255, c.r, c.g, c.b);
}

bool PaintFaceAntialiased(HDC dc, const RECT& rc, const TStyledButtonAttributes& a, int radius) {
  if (!GdiplusRunning()) return false;
  Gdiplus::Graphics g(dc);
  if (g.GetLastStatus() != Gdiplus::Ok) return false;
  g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  // GDI+ puts pixel centres on whole coordinates, so pixel i spans [i - 0.5, i + 0.5): the shape is moved up
  // and left by half a pixel to cover exactly the rectangle's pixels. (PixelOffsetModeHalf would say the
  // same, but not every GDI+ honours it.)
  g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeNone);
  const float x = static_cast<float>(rc.left) - 0.5f, y = static_cast<float>(rc.top) - 0.5f;
  const auto w = static_cast<float>(rc.right - rc.left), h = static_cast<float>(rc.bottom - rc.top);
  if (a.ButtonDrawStyle == TButtonDrawStyle::btnSolid) {
    Gdiplus::GraphicsPath path;
    AddShape(path, a, x, y, w, h, radius);
    Gdiplus::SolidBrush brush(Argb(a.ButtonColor));
    // A path or brush GDI+ refused: the face is drawn with GDI instead.
    if (path.GetLastStatus() != Gdiplus::Ok || brush.GetLastStatus() != Gdiplus::Ok ||
        g.FillPath(&brush, &path) != Gdiplus::Ok) {
      return false;
    }
  }
  if (a.BorderDrawStyle == TBorderDrawStyle::brdSolid) {
    // The pen is centred on the path: inset by half its width so the whole border lies inside the face.
    const auto pw = static_cast<float>(PenWidth(a));
    if (w > pw && h > pw) {
      Gdiplus::GraphicsPath path;
      AddShape(path, a, x + pw / 2, y + pw / 2, w - pw, h - pw, radius);
      Gdiplus::Pen pen(Argb(a.BorderColor), pw);
      if (path.GetLastStatus() != Gdiplus::Ok || pen.GetLastStatus() != Gdiplus::Ok ||
          g.DrawPath(&pen, &path) != Gdiplus::Ok) {
        return false;
      }
    }
  }
  return true;
}

void PaintFaceGdi(HDC dc, const RECT& rc, const TStyledButtonAttributes& a, int radius) {
  const bool fill = a.ButtonDrawStyle == TButtonDrawStyle::btnSolid;
  const bool border = a.BorderDrawStyle == TBorderDrawStyle::brdSolid;
  if (!fill && !border) return;
  unique_hbrush brush(fill ? CreateSolidBrush(ToColorRef(a.ButtonColor)) : nullptr);
  // An inside-frame pen keeps the shape within the rectangle; without a border it takes the fill colour,
  // because a shape drawn with no pen at all leaves out its right and bottom edge.
  unique_hpen pen(CreatePen(PS_INSIDEFRAME, border ? PenWidth(a) : 1,
                            ToColorRef(border ? a.BorderColor : a.ButtonColor)));
  select_object sb(dc, brush ? static_cast<HGDIOBJ>(brush.get()) : GetStockObject(NULL_BRUSH));
  select_object sp(dc, pen.get());
  const int d = static_cast<int>(2 * CornerRadius(a, static_cast<float>(rc.right - rc.left),
                                                  static_cast<float>(rc.bottom - rc.top), radius));
  if (a.DrawType == TButtonDrawType::btEllipse) {
    Ellipse(dc, rc.left, rc.top, rc.right, rc.bottom);
  } else if (d > 0) {
    RoundRect(dc, rc.left, rc.top, rc.right, rc.bottom, d, d);
  } else {
    Rectangle(dc, rc.left, rc.top, rc.right, rc.bottom);
  }
}

// The caller's font with the set's style flags; null when the font can be used as it is.
unique_hfont StyledFont(HFONT font, unsigned style) {
  if (style == fsNone) return {};
  LOGFONTW lf{};
  if (!GetObjectW(font, sizeof lf, &lf)) return {};
  if (style & fsBold) lf.lfWeight = FW_BOLD;
  lf.lfItalic = (style & fsItalic) ? TRUE : FALSE;
  lf.lfUnderline = (style & fsUnderline) ? TRUE : FALSE;
  lf.lfStrikeOut = (style & fsStrikeOut) ? TRUE : FALSE;
  return unique_hfont(CreateFontIndirectW(&lf));
}

void PaintCaption(HDC dc, const RECT& rc, const TStyledButtonAttributes& a, const std::u16string& caption,
                  HFONT font) {
  if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  // A styled font that could not be made: the caller's as it is.
  const unique_hfont styled = StyledFont(font, a.FontStyle);
  select_object sf(dc, styled ? styled.get() : font);
  const int old_mode = SetBkMode(dc, TRANSPARENT);
  const COLORREF old_color = SetTextColor(dc, ToColorRef(a.FontColor));
  RECT text = rc;
  DrawTextW(dc, W(caption), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SetTextColor(dc, old_color);
  SetBkMode(dc, old_mode);
}

}  // namespace

void PaintStyledButton(HDC dc, const RECT& rc, const TStyledButtonAttributes& a,
                       const std::u16string& caption, HFONT font, int radius, bool focus_cue) {
  if (rc.right <= rc.left || rc.bottom <= rc.top) return;
  if (!PaintFaceAntialiased(dc, rc, a, radius)) PaintFaceGdi(dc, rc, a, radius);
  PaintCaption(dc, rc, a, caption, font);
  if (focus_cue) {
    RECT f = rc;
    InflateRect(&f, -kFocusInset, -kFocusInset);
    if (f.right > f.left && f.bottom > f.top) {
      // DrawFocusRect inverts; fixed colours keep the cue visible on any fill.
      const COLORREF old_text = SetTextColor(dc, RGB(0, 0, 0));
      const COLORREF old_bk = SetBkColor(dc, RGB(255, 255, 255));
      DrawFocusRect(dc, &f);
      SetBkColor(dc, old_bk);
      SetTextColor(dc, old_text);
    }
  }
}

}  // namespace tw::win
