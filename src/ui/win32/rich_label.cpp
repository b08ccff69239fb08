#include "ui/win32/rich_label.h"

#include <algorithm>

#include "platform/win32/wstr.h"

namespace tw::win {
namespace {
constexpr wchar_t kClass[] = L"TwRichLabel";

SIZE Measure(HDC dc, HFONT font, const std::u16string& text) {
  select_object sf(dc, font);
  SIZE size{0, 0};
  GetTextExtentPoint32W(dc, W(text), static_cast<int>(text.size()), &size);
  return size;
}
}  // namespace

bool RichLabel::Create(HWND parent, int id) {
  RegisterWidgetClass(kClass);
  return CreateOwn(kClass, 0, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, parent, id, {});
}

void RichLabel::SetMarkup(const std::u16string& markup) {
  markup_ = markup;
  lines_ = ParseRichText(markup);
  DefWindowProcW(hwnd_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(W(RichPlainText(markup))));
  InvalidateRect(hwnd_, nullptr, FALSE);
}

LRESULT RichLabel::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (LRESULT painted; HandlePaint(msg, wp, painted)) return painted;
  switch (msg) {
    case WM_SETFONT: {
      font_ = reinterpret_cast<HFONT>(wp);
      LOGFONTW lf{};
      if (font_ && GetObjectW(font_, sizeof(lf), &lf)) {
        lf.lfWeight = FW_BOLD;
        bold_.reset(CreateFontIndirectW(&lf));
      } else {
        bold_.reset();
      }
      if (LOWORD(lp)) InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    }
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    default:
      return Default(msg, wp, lp);
  }
}

void RichLabel::Paint(HDC dc, const RECT& rc) {
  FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  HFONT normal = font_ ? font_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  HFONT bold = bold_ ? bold_.get() : normal;
  SetBkMode(dc, TRANSPARENT);
  // Every line is as high as the taller of the two fonts; the block of lines is centred vertically.
  int ascent = 0, descent = 0;
  for (HFONT f : {normal, bold}) {
    select_object sf(dc, f);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    ascent = std::max<int>(ascent, tm.tmAscent);
    descent = std::max<int>(descent, tm.tmDescent);
  }
  const int line_height = ascent + descent;
  const int total = line_height * static_cast<int>(lines_.size());
  int y = rc.top + (rc.bottom - rc.top - total) / 2;
  for (const RichLine& line : lines_) {
    int width = 0;
    for (const RichRun& run : line.runs) width += Measure(dc, run.bold ? bold : normal, run.text).cx;
    int x = line.centered ? rc.left + (rc.right - rc.left - width) / 2 : rc.left;
    for (const RichRun& run : line.runs) {
      HFONT f = run.bold ? bold : normal;
      select_object sf(dc, f);
      const TColor c = run.color.value_or(TColor{0, 0, 0});
      SetTextColor(dc, RGB(c.r, c.g, c.b));
      TEXTMETRICW m{};
      GetTextMetricsW(dc, &m);
      // Runs of both fonts share one baseline.
      TextOutW(dc, x, y + ascent - m.tmAscent, W(run.text), static_cast<int>(run.text.size()));
      x += Measure(dc, f, run.text).cx;
    }
    y += line_height;
  }
}

}  // namespace tw::win
