#include "ui/win32/address_dialog.h"

#include "i18n/texts.h"
#include "i18n/translate.h"
#include "platform/dpi.h"
#include "platform/win32/handles.h"
#include "platform/win32/wstr.h"
#include "platform/win32/application.h"
#include "platform/win32/dpi_win32.h"
#include "ui/win32/modal_dialog.h"

namespace tw::win {
namespace {

struct DialogState {
  std::u16string caption, message, address, copy, close;
  unique_hfont font;
};

void Build(HWND dlg, DialogState& st) {
  const int dpi = WindowDpi(dlg);
  st.font = DialogFont(dpi);
  HFONT font = st.font.get();

  const int margin = Scale(12, dpi), width = Scale(420, dpi), gap = Scale(8, dpi);
  const int button_w = Scale(80, dpi), button_h = Scale(25, dpi), edit_h = Scale(23, dpi);
  const int message_h = MeasureText(dlg, font, st.message, width).cy;
  AddChild(dlg, L"STATIC", st.message, SS_LEFT | SS_NOPREFIX, 0, kAddressMessageId, margin, margin, width,
           message_h, font);
  const int edit_top = margin + message_h + gap;
  HWND edit = AddChild(dlg, L"EDIT", st.address, ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE,
                       kAddressEditId, margin, edit_top, width, edit_h, font);
  const int buttons_top = edit_top + edit_h + margin;
  const int close_left = margin + width - button_w;
  AddChild(dlg, L"BUTTON", st.copy, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, kAddressCopyId,
           close_left - gap - button_w, buttons_top, button_w, button_h, font);
  AddChild(dlg, L"BUTTON", st.close, BS_PUSHBUTTON | WS_TABSTOP, 0, IDCANCEL, close_left, buttons_top,
           button_w, button_h, font);
  SendMessageW(dlg, DM_SETDEFID, kAddressCopyId, 0);

  FitClientAndCentre(dlg, margin + width + margin, buttons_top + button_h + margin, dpi);
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

}  // namespace

void ShowAddressToCopy(HWND owner, const std::u16string& address) {
  DialogState st;
  st.caption = Translate(Application::Title());
  st.message = Translate(kTextBrowserNotOpened);
  st.address = address;
  st.copy = Translate(kTextCopy);
  st.close = Translate(kTextClose);
  RunEmptyDialog(owner, GuardedDialogProc<HandleDialog>, reinterpret_cast<LPARAM>(&st));
}

}  // namespace tw::win
