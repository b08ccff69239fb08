#include "ui/win32/address_dialog.h"

#include <vector>

#include "i18n/translate.h"
#include "platform/dpi.h"
#include "platform/win32/handles.h"
#include "platform/win32/wstr.h"
#include "platform/win32/application.h"
#include "platform/win32/dpi_win32.h"

namespace tw::win {
namespace {

struct DialogState {
  std::u16string caption, message, address, copy, close;
  unique_hfont font;
};

HWND Child(HWND dlg, const wchar_t* cls, const std::u16string& text, DWORD style, DWORD ex_style, int id,
           int x, int y, int w, int h, HFONT font) {
  HWND c =
      CreateWindowExW(ex_style, cls, W(text), WS_CHILD | WS_VISIBLE | style, x, y, w, h, dlg,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (c && font) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return c;
}

int TextHeight(HWND dlg, HFONT font, const std::u16string& text, int width) {
  window_dc dc(dlg);
  select_object keep(dc.get(), font);
  RECT r{0, 0, width, 0};
  DrawTextW(dc.get(), W(text), -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  return r.bottom - r.top;
}

void Build(HWND dlg, DialogState& st) {
  const int dpi = WindowDpi(dlg);
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof(ncm);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0);
  LOGFONTW lf = ncm.lfMessageFont;
  lf.lfHeight = -Scale(12, dpi);
  st.font.reset(CreateFontIndirectW(&lf));
  HFONT font = st.font.get();

  const int margin = Scale(12, dpi), width = Scale(420, dpi), gap = Scale(8, dpi);
  const int button_w = Scale(80, dpi), button_h = Scale(25, dpi), edit_h = Scale(23, dpi);
  const int message_h = TextHeight(dlg, font, st.message, width);
  Child(dlg, L"STATIC", st.message, SS_LEFT | SS_NOPREFIX, 0, kAddressMessageId, margin, margin, width,
        message_h, font);
  const int edit_top = margin + message_h + gap;
  HWND edit = Child(dlg, L"EDIT", st.address, ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE,
                    kAddressEditId, margin, edit_top, width, edit_h, font);
  const int buttons_top = edit_top + edit_h + margin;
  const int close_left = margin + width - button_w;
  Child(dlg, L"BUTTON", st.copy, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, kAddressCopyId,
        close_left - gap - button_w, buttons_top, button_w, button_h, font);
  Child(dlg, L"BUTTON", st.close, BS_PUSHBUTTON | WS_TABSTOP, 0, IDCANCEL, close_left, buttons_top, button_w,
        button_h, font);
  SendMessageW(dlg, DM_SETDEFID, kAddressCopyId, 0);

  const DWORD style = static_cast<DWORD>(GetWindowLongW(dlg, GWL_STYLE));
  const DWORD ex_style = static_cast<DWORD>(GetWindowLongW(dlg, GWL_EXSTYLE));
  const RECT outer =
      WindowRectForClient(margin + width + margin, buttons_top + button_h + margin, style, ex_style, dpi);
  const int w = outer.right - outer.left, h = outer.bottom - outer.top;
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  GetMonitorInfoW(MonitorFromWindow(dlg, MONITOR_DEFAULTTOPRIMARY), &mi);
  const RECT& wa = mi.rcWork;
  SetWindowPos(dlg, nullptr, wa.left + (wa.right - wa.left - w) / 2, wa.top + (wa.bottom - wa.top - h) / 2, w,
               h, SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowTextW(dlg, W(st.caption));

  // The whole address selected in the focused box: Ctrl+C takes it as it is.
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
}

INT_PTR HandleDialog(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dlg, DWLP_USER, lp);
      Build(dlg, *reinterpret_cast<DialogState*>(lp));
      return FALSE;  // focus set by Build
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case kAddressCopyId: {
          HWND edit = GetDlgItem(dlg, kAddressEditId);
          SendMessageW(edit, EM_SETSEL, 0, -1);
          SendMessageW(edit, WM_COPY, 0, 0);
          return TRUE;
        }
        case IDOK:  // Enter outside the buttons
          SendMessageW(dlg, WM_COMMAND, kAddressCopyId, 0);
          return TRUE;
        case IDCANCEL:
          EndDialog(dlg, IDCANCEL);
          return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      EndDialog(dlg, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  try {
    return HandleDialog(dlg, msg, wp, lp);
  } catch (...) {
    return FALSE;  // nothing crosses the window procedure
  }
}

}  // namespace

void ShowAddressToCopy(HWND owner, const std::u16string& address) {
  DialogState st;
  st.caption = Translate(Application::Title());
  st.message = Translate(kAddressMessage);
  st.address = address;
  st.copy = Translate(kAddressCopy);
  st.close = Translate(kAddressClose);
  // An empty template: the controls are made at run time in pixels of the dialog's own DPI.
  std::vector<WORD> tmpl(sizeof(DLGTEMPLATE) / sizeof(WORD) + 3, 0);
  auto* d = reinterpret_cast<DLGTEMPLATE*>(tmpl.data());
  d->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  d->dwExtendedStyle = WS_EX_DLGMODALFRAME;
  DialogBoxIndirectParamW(GetModuleHandleW(nullptr), d, owner, DialogProc, reinterpret_cast<LPARAM>(&st));
}

}  // namespace tw::win
