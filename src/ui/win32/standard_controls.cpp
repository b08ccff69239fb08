#include "ui/win32/standard_controls.h"

namespace tw::win {

bool Label::Create(HWND parent, int id, const std::u16string& caption, bool centred) {
  // Fixed-size labels show one line, cut at their edge, rather than wrapping into a second line nobody sees.
  const DWORD align = centred ? SS_CENTER : SS_LEFTNOWORDWRAP;
  return CreateStandard(L"STATIC", 0, WS_VISIBLE | WS_CLIPSIBLINGS | SS_NOPREFIX | align, parent, id,
                        caption);
}

bool GroupBox::Create(HWND parent, int id, const std::u16string& caption) {
  return CreateStandard(L"BUTTON", WS_EX_CONTROLPARENT,
                        WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | BS_GROUPBOX, parent, id, caption);
}

LRESULT GroupBox::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  // A group box is the parent of its check boxes and labels; the standard one would drop their
  // notifications.
  LRESULT result = 0;
  if (ReflectToChild(msg, wp, lp, result)) return result;
  if (msg == WM_CTLCOLORSTATIC || msg == WM_CTLCOLORBTN) return WhiteCtlColor(wp);
  if (msg == WM_ERASEBKGND) {
    // The standard group box leaves its inside unpainted, which shows whatever was on screen before (the
    // other page) when its page is shown.
    RECT rc;
    GetClientRect(hwnd_, &rc);
    FillRect(reinterpret_cast<HDC>(wp), &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    return 1;
  }
  return Default(msg, wp, lp);
}

bool CheckBox::Create(HWND parent, int id, const std::u16string& caption) {
  // Not a tab stop: the options are changed with the mouse.
  return CreateStandard(L"BUTTON", 0, WS_VISIBLE | WS_CLIPSIBLINGS | BS_AUTOCHECKBOX, parent, id, caption);
}

LRESULT CheckBox::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  // A disabled box keeps its state, also when a click message is sent to it directly.
  if (msg == BM_CLICK && !IsWindowEnabled(hwnd_)) return 0;
  return Default(msg, wp, lp);
}

bool CheckBox::Checked() const {
  return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CheckBox::SetChecked(bool checked) {
  SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool CheckBox::OnReflected(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  if (msg != WM_COMMAND || HIWORD(wp) != BN_CLICKED) return false;
  if (on_click && IsWindowEnabled(hwnd_)) on_click();
  result = 0;
  return true;
}

}  // namespace tw::win
