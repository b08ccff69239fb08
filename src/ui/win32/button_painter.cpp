#include "ui/win32/button_painter.h"

#include "platform/win32/handles.h"
#include "platform/win32/wstr.h"

namespace tw::win {

void PaintStyledButton(HDC dc, const RECT& rc, const TStyledButtonAttributes& a,
                       const std::u16string& caption, HFONT font, int radius, bool focus_cue) {
  const bool fill = a.ButtonDrawStyle == TButtonDrawStyle::btnSolid;
  const bool border = a.BorderDrawStyle == TBorderDrawStyle::brdSolid;
  unique_hbrush brush(fill ? CreateSolidBrush(ToColorRef(a.ButtonColor)) : nullptr);
  unique_hpen pen(border
                      ? CreatePen(PS_SOLID, a.BorderWidth > 0 ? a.BorderWidth : 1, ToColorRef(a.BorderColor))
                      : nullptr);
  select_object sb(dc, fill ? static_cast<HGDIOBJ>(brush.get()) : GetStockObject(NULL_BRUSH));
  select_object sp(dc, border ? static_cast<HGDIOBJ>(pen.get()) : GetStockObject(NULL_PEN));
  switch (a.DrawType) {
    case TButtonDrawType::btRect:
      Rectangle(dc, rc.left, rc.top, rc.right, rc.bottom);
      break;
    case TButtonDrawType::btEllipse:
      Ellipse(dc, rc.left, rc.top, rc.right, rc.bottom);
      break;
    case TButtonDrawType::btRounded: {
      const int d = rc.bottom - rc.top;
      RoundRect(dc, rc.left, rc.top, rc.right, rc.bottom, d, d);
      break;
    }
    case TButtonDrawType::btRoundRect:
      RoundRect(dc, rc.left, rc.top, rc.right, rc.bottom, 2 * radius, 2 * radius);
      break;
  }
  select_object sf(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ToColorRef(a.FontColor));
  RECT text = rc;
  DrawTextW(dc, W(caption), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if (focus_cue) {
    RECT f = rc;
    InflateRect(&f, -3, -3);
    DrawFocusRect(dc, &f);
  }
}

}  // namespace tw::win
