#include "ui/win32/modal_dialog.h"

#include <vector>

#include "platform/dpi.h"
#include "platform/win32/dpi_win32.h"
#include "platform/win32/wstr.h"

namespace tw::win {

INT_PTR RunEmptyDialog(HWND owner, DLGPROC proc, LPARAM state) {
  // The header, then menu, class and title: three empty words.
  std::vector<WORD> tmpl(sizeof(DLGTEMPLATE) / sizeof(WORD) + 3, 0);
  auto* d = reinterpret_cast<DLGTEMPLATE*>(tmpl.data());
  d->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  d->dwExtendedStyle = WS_EX_DLGMODALFRAME;
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), d, owner, proc, state);
}

void CentreInWorkArea(HWND dlg, int width, int height) {
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  GetMonitorInfoW(MonitorFromWindow(dlg, MONITOR_DEFAULTTOPRIMARY), &mi);
  const RECT& wa = mi.rcWork;
  SetWindowPos(dlg, nullptr, wa.left + (wa.right - wa.left - width) / 2,
               wa.top + (wa.bottom - wa.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void FitClientAndCentre(HWND dlg, int client_width, int client_height, int dpi) {
  const DWORD style = static_cast<DWORD>(GetWindowLongW(dlg, GWL_STYLE));
  const DWORD ex_style = static_cast<DWORD>(GetWindowLongW(dlg, GWL_EXSTYLE));
  const RECT outer = WindowRectForClient(client_width, client_height, style, ex_style, dpi);
  CentreInWorkArea(dlg, outer.right - outer.left, outer.bottom - outer.top);
}

unique_hfont DialogFont(int dpi, bool underline) {
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof(ncm);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0);
  LOGFONTW lf = ncm.lfMessageFont;
  lf.lfHeight = -Scale(12, dpi);  // 9 points at 96 DPI
  lf.lfUnderline = underline ? TRUE : FALSE;
  return unique_hfont(CreateFontIndirectW(&lf));
}

HWND AddChild(HWND dlg, const wchar_t* window_class, const std::u16string& text, DWORD style, DWORD ex_style,
              int id, int x, int y, int width, int height, HFONT font) {
  HWND c = CreateWindowExW(ex_style, window_class, W(text), WS_CHILD | WS_VISIBLE | style, x, y, width,
                           height, dlg, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
  if (c && font) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return c;
}

SIZE MeasureText(HWND dlg, HFONT font, const std::u16string& text, int max_width) {
  window_dc dc(dlg);
  select_object keep(dc.get(), font);
  RECT r{0, 0, max_width, 0};
  DrawTextW(dc.get(), W(text), -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  return {r.right - r.left, r.bottom - r.top};
}

}  // namespace tw::win
