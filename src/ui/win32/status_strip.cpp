#include "ui/win32/status_strip.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/dpi.h"
#include "platform/win32/wstr.h"

namespace tw::win {

bool StatusStrip::Create(HWND parent, int id) {
  // Idempotent; the status bar and tooltip classes exist only once it has run in this process.
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  if (!CreateStandard(STATUSCLASSNAMEW, 0, WS_VISIBLE | CCS_BOTTOM | CCS_NORESIZE, parent, id, u"")) {
    return false;
  }
  SendMessageW(hwnd_, SB_SIMPLE, FALSE, 0);
  int right = -1;  // the only panel spans the whole strip
  SendMessageW(hwnd_, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&right));
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  return true;
}

void StatusStrip::SetText(const std::u16string& text) {
  text_ = text;
  DefWindowProcW(hwnd_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(W(text_)));
  SendMessageW(hwnd_, SB_SETTEXTW, 0 | SBT_OWNERDRAW, reinterpret_cast<LPARAM>(this));
}

void StatusStrip::SetHint(const std::u16string& hint) {
  hint_ = hint;
  if (!tooltip_) return;
  TTTOOLINFOW ti{};
  ti.cbSize = sizeof(ti);
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = hwnd_;
  ti.uId = reinterpret_cast<UINT_PTR>(hwnd_);
  ti.lpszText = const_cast<wchar_t*>(W(hint_));
  if (!SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti)) ||
      SendMessageW(tooltip_, TTM_GETTOOLCOUNT, 0, 0) == 0) {
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  }
  SendMessageW(tooltip_, TTM_ACTIVATE, TRUE, 0);
}

void StatusStrip::SetFontFrom(HFONT base) {
  LOGFONTW lf{};
  if (!base || !GetObjectW(base, sizeof(lf), &lf)) {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof(ncm);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0);
    lf = ncm.lfStatusFont;
    lf.lfHeight = -Scale(12, dpi_);
  }
  lf.lfWeight = FW_BOLD;
  unique_hfont font(CreateFontIndirectW(&lf));
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
  std::swap(font_, font);  // the old font goes only once the strip no longer uses it
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void StatusStrip::DrawPanel(const DRAWITEMSTRUCT& item) const {
  RECT r = item.rcItem;
  FillRect(item.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
  select_object keep(item.hDC, font_.get());
  SetTextColor(item.hDC, RGB(255, 0, 0));
  SetBkMode(item.hDC, TRANSPARENT);
  DrawTextW(item.hDC, W(text_), -1, &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
}

bool StatusStrip::OnReflected(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
  if (msg == WM_DRAWITEM) {
    DrawPanel(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
    result = TRUE;
    return true;
  }
  if (msg == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lp)->code == NM_CLICK) {
    if (on_click) on_click();
    result = TRUE;
    return true;
  }
  return false;
}

LRESULT StatusStrip::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SETCURSOR:
      SetCursor(LoadCursorW(nullptr, IDC_HAND));
      return TRUE;
    // The text as the window text: what a screen reader speaks, the panel itself being owner-drawn.
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(text_.size());
    case WM_GETTEXT: {
      if (wp == 0) return 0;
      const size_t n = std::min<size_t>(text_.size(), static_cast<size_t>(wp) - 1);
      auto* out = reinterpret_cast<wchar_t*>(lp);
      std::copy_n(W(text_), n, out);
      out[n] = L'\0';
      return static_cast<LRESULT>(n);
    }
    default:
      return Default(msg, wp, lp);
  }
}

}  // namespace tw::win
