#include "ui/win32/styled_button.h"

#include <string>

#include "platform/win32/wstr.h"
#include "ui/win32/buffered_dc.h"
#include "ui/win32/button_painter.h"

namespace tw::win {

ButtonFace PickButtonFace(bool enabled, bool pushed, bool down, bool hot, bool focused) {
  if (!enabled) return ButtonFace::Disabled;
  if (pushed || down) return ButtonFace::Pressed;
  if (hot) return ButtonFace::Hot;
  if (focused) return ButtonFace::Selected;
  return ButtonFace::Normal;
}

bool StyledButton::Create(HWND parent, int id, const std::u16string& caption, DWORD extra_style) {
  return CreateStandard(L"BUTTON", 0, WS_VISIBLE | WS_CLIPSIBLINGS | BS_OWNERDRAW | extra_style, parent, id,
                        caption);
}

void StyledButton::SetStyle(const std::u16string& family, const std::u16string& cls,
                            const std::u16string& appearance) {
  styles_ = ResolveButtonStyle(family, cls, appearance);
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void StyledButton::SetDown(bool down) {
  if (down && group_ > 0 && hwnd_) {
    for (HWND h = GetWindow(GetParent(hwnd_), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
      auto* sibling = dynamic_cast<StyledButton*>(FromHwnd(h));
      if (sibling && sibling != this && sibling->group_ == group_) sibling->SetDown(false);
    }
  }
  if (down_ == down) return;
  down_ = down;
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

ButtonFace StyledButton::CurrentFace(bool pushed, bool focused) const {
  return PickButtonFace(hwnd_ && IsWindowEnabled(hwnd_), pushed, down_, hot_, focused);
}

bool StyledButton::OnReflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
    // A disabled button raises no click, also when a click message is sent to it directly.
    if (on_click && IsWindowEnabled(hwnd_)) on_click();
    result = 0;
    return true;
  }
  if (msg == WM_DRAWITEM) {
    Draw(*reinterpret_cast<DRAWITEMSTRUCT*>(lp));
    result = TRUE;
    return true;
  }
  return false;
}

LRESULT StyledButton::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case BM_CLICK:
      if (!IsWindowEnabled(hwnd_)) return 0;
      break;
    case BM_GETCHECK:
      return down_ ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
      SetDown(wp == BST_CHECKED);
      return 0;
    case WM_LBUTTONDBLCLK:
      // An owner-drawn button turns a quick second click into a double-click notification; treat it as
      // the click it is.
      return Default(WM_LBUTTONDOWN, wp, lp);
    case WM_MOUSEMOVE:
      if (!hot_) {
        hot_ = true;
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, hwnd_, 0};
        TrackMouseEvent(&tme);
        InvalidateRect(hwnd_, nullptr, FALSE);
      }
      break;
    case WM_MOUSELEAVE:
      hot_ = false;
      InvalidateRect(hwnd_, nullptr, FALSE);
      break;
    case WM_ERASEBKGND:
      return 1;  // the face is drawn whole in WM_DRAWITEM
    case WM_SETTEXT:
    case WM_ENABLE: {
      const LRESULT r = Default(msg, wp, lp);
      InvalidateRect(hwnd_, nullptr, FALSE);
      return r;
    }
    default:
      break;
  }
  return Default(msg, wp, lp);
}

void StyledButton::Draw(const DRAWITEMSTRUCT& dis) {
  const bool focused = (dis.itemState & ODS_FOCUS) != 0;
  const ButtonFace face = CurrentFace((dis.itemState & ODS_SELECTED) != 0, focused);
  const TStyledButtonAttributes* attrs = &styles_.Normal;
  switch (face) {
    case ButtonFace::Disabled:
      attrs = &styles_.Disabled;
      break;
    case ButtonFace::Pressed:
      attrs = &styles_.Pressed;
      break;
    case ButtonFace::Hot:
      attrs = &styles_.Hot;
      break;
    case ButtonFace::Selected:
      attrs = &styles_.Selected;
      break;
    case ButtonFace::Normal:
      break;
  }
  std::u16string caption(static_cast<size_t>(GetWindowTextLengthW(hwnd_)) + 1, u'\0');
  caption.resize(static_cast<size_t>(GetWindowTextW(hwnd_, W(caption), static_cast<int>(caption.size()))));
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
  const bool cue = focused && !(dis.itemState & ODS_NOFOCUSRECT);
  buffered_dc buffer(dis.hDC, dis.rcItem);
  // The parent's white shows around the rounded corners.
  FillRect(buffer.get(), &dis.rcItem, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  PaintStyledButton(buffer.get(), dis.rcItem, *attrs, caption, font, Scale(radius_, dpi_), cue);
}

}  // namespace tw::win
