// The update offer: a modal message dialog of our own with the warning icon, the prompt, Yes and No, and the
// notice area (a hold check box or a link) that the service's answer asks for.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "platform/win32/handles.h"
#include "platform/win32/wstr.h"
#include "platform/dpi.h"
#include "platform/win32/application.h"
#include "platform/win32/dpi_win32.h"
#include "ui/win32/modal_dialog.h"
#include "update/update_text.h"
#include "update/win32/update_prompts.h"

namespace tw::win {
namespace {

constexpr int kTextId = 0x5B10;
constexpr int kIconId = 0x5B11;
constexpr int kSeparatorId = 0x5B12;
constexpr int kHoldBoxId = 0x5B13;
constexpr int kNoteLinkId = 0x5B14;
constexpr wchar_t kHintProp[] = L"TempowaveHint";

struct DialogState {
  std::u16string caption, prompt, yes, no;
  NoticeInfo notice;
  int dialog_offset = 0;
  IShell* shell = nullptr;
  bool no_owner = false;
  // Filled while the dialog runs.
  int dpi = 96;
  bool hold_checked = false;
  unique_hfont font, link_font;
  unique_hicon warning, app_icon;  // at the dialog's DPI, destroyed with the state after the dialog
  std::u16string hint;             // the link's target
};

int OuterHeight(HWND dlg) {
  RECT r;
  GetWindowRect(dlg, &r);
  return r.bottom - r.top;
}

void Build(HWND dlg, DialogState& st) {
  st.dpi = WindowDpi(dlg);
  const int dpi = st.dpi;
  st.font = DialogFont(dpi);
  st.link_font = DialogFont(dpi, true);
  HFONT font = st.font.get();

  // Message area: the warning icon beside the prompt, the buttons below on the right.
  const int margin = Scale(12, dpi), icon = Scale(32, dpi);
  const int text_left = margin + icon + margin;
  const SIZE text = MeasureText(dlg, font, st.prompt, Scale(360, dpi));
  const int button_w = Scale(75, dpi), button_h = Scale(25, dpi), gap = Scale(6, dpi);
  const int content_h = std::max<int>(icon, text.cy);
  const int client_w = std::max<int>(text_left + text.cx + margin, margin + 2 * button_w + gap + margin);
  const int buttons_top = margin + content_h + margin;
  const int client_h = buttons_top + button_h + margin;

  st.warning = LoadIconAtSize(nullptr, IDI_WARNING, icon);
  HWND icon_ctl = AddChild(dlg, L"STATIC", u"", SS_ICON | SS_REALSIZECONTROL, 0, kIconId, margin, margin,
                           icon, icon, font);
  SendMessageW(icon_ctl, STM_SETICON, reinterpret_cast<WPARAM>(st.warning.get()), 0);
  AddChild(dlg, L"STATIC", st.prompt, SS_LEFT | SS_NOPREFIX, 0, kTextId, text_left, margin, text.cx, text.cy,
           font);
  const int yes_left = client_w - margin - 2 * button_w - gap;
  AddChild(dlg, L"BUTTON", st.yes, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, IDYES, yes_left, buttons_top,
           button_w, button_h, font);
  AddChild(dlg, L"BUTTON", st.no, BS_PUSHBUTTON | WS_TABSTOP, 0, IDNO, yes_left + button_w + gap, buttons_top,
           button_w, button_h, font);
  SendMessageW(dlg, DM_SETDEFID, IDYES, 0);

  FitClientAndCentre(dlg, client_w, client_h, dpi);
  SetWindowTextW(dlg, W(st.caption));

  const NoticeLayout layout = LayoutNotice(st.notice, OuterHeight(dlg), dpi, st.dialog_offset);
  if (layout.stay_on_top) {
    SetWindowPos(dlg, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (st.no_owner) {
      st.app_icon = LoadIconAtSize(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), SmallIconSize(dpi));
      if (st.app_icon) SendMessageW(dlg, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(st.app_icon.get()));
    }
  }
  if (!layout.extra_space) return;
  RECT r;
  GetWindowRect(dlg, &r);
  const int width = r.right - r.left;
  SetWindowPos(dlg, nullptr, 0, 0, width, OuterHeight(dlg) + layout.grow,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  AddChild(dlg, L"STATIC", u"", 0, 0, kSeparatorId, Scale(0, dpi), layout.separator_top, width, 1, nullptr);
  if (layout.control == NoticeLayout::kHoldBox) {
    AddChild(dlg, L"BUTTON", st.notice.text, BS_AUTOCHECKBOX | WS_TABSTOP, 0, kHoldBoxId, layout.left,
             layout.control_top, width, Scale(20, dpi), font);
  } else if (layout.control == NoticeLayout::kNoteLink) {
    const SIZE link = MeasureText(dlg, st.link_font.get(), st.notice.text, width);
    HWND label = AddChild(dlg, L"STATIC", st.notice.text, SS_LEFT | SS_NOTIFY | SS_NOPREFIX, 0, kNoteLinkId,
                          layout.left, layout.control_top, link.cx, std::max<int>(link.cy, Scale(15, dpi)),
                          st.link_font.get());
    st.hint = st.notice.url;
    SetPropW(label, kHintProp, reinterpret_cast<HANDLE>(&st.hint));
  }
}

void Finish(HWND dlg, DialogState& st, INT_PTR result) {
  st.hold_checked = IsDlgButtonChecked(dlg, kHoldBoxId) == BST_CHECKED;
  if (HWND label = GetDlgItem(dlg, kNoteLinkId)) RemovePropW(label, kHintProp);
  EndDialog(dlg, result);
}

INT_PTR HandleDialog(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto* st = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dlg, DWLP_USER, lp);
      st = reinterpret_cast<DialogState*>(lp);
      Build(dlg, *st);
      SetFocus(GetDlgItem(dlg, IDYES));
      return FALSE;  // focus set here
    case WM_CTLCOLORDLG:
      return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wp);
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lp));
      if (id == kSeparatorId) {
        SetDCBrushColor(dc, RGB(204, 204, 204));  // the 1-pixel separator is all background
        return reinterpret_cast<INT_PTR>(GetStockObject(DC_BRUSH));
      }
      if (id == kNoteLinkId) SetTextColor(dc, RGB(0, 0, 255));
      SetBkColor(dc, RGB(255, 255, 255));
      return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
    }
    case WM_SETCURSOR:
      if (GetDlgCtrlID(reinterpret_cast<HWND>(wp)) == kNoteLinkId) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        SetWindowLongPtrW(dlg, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      return FALSE;
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDYES:
          Finish(dlg, *st, IDYES);
          return TRUE;
        case IDNO:
        case IDCANCEL:  // Escape answers No
          Finish(dlg, *st, IDNO);
          return TRUE;
        case kNoteLinkId:
          if (HIWORD(wp) == STN_CLICKED) TFormHelper::OpenURL(reinterpret_cast<HWND>(lp));
          return TRUE;
      }
      return FALSE;
    case WM_CLOSE:  // the title bar's close: neither Yes nor No
      Finish(dlg, *st, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

void TFormHelper::OpenURL(HWND sender) {
  // Only the offer's link carries a hint; the shell is reached through the dialog that owns it.
  HWND dlg = GetParent(sender);
  auto* st = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dlg, DWLP_USER));
  auto* hint = static_cast<std::u16string*>(GetPropW(sender, kHintProp));
  if (st && hint) OpenWebTarget(st->shell, *hint);
}

bool UpdatePrompts::UpdateDialog(const std::u16string& answer) {
  DialogState st;
  // Read first: a malformed escape ends the handling before any window exists.
  st.notice = ReadNotice(answer);
  const std::u16string language = language_();
  st.prompt = UpdateText(utPrompt, language);
  st.yes = UpdateText(utYes, language);
  st.no = UpdateText(utNo, language);
  st.caption = caption_();
  st.dialog_offset = DialogOffset();
  st.shell = services_.shell;
  HWND owner = Application::MainWindow();
  st.no_owner = owner == nullptr;
  const INT_PTR result =
      RunEmptyDialog(owner, GuardedDialogProc<HandleDialog>, reinterpret_cast<LPARAM>(&st));
  if (st.hold_checked) StartHoldCommand(services_);
  return result == IDYES;
}

}  // namespace tw::win
