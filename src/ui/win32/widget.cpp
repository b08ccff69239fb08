#include "ui/win32/widget.h"

#include <commctrl.h>

#include <exception>

#include "crash/win32/crash_handler.h"
#include "platform/win32/handles.h"
#include "platform/win32/wstr.h"
#include "ui/win32/buffered_dc.h"

namespace tw::win {
namespace {

constexpr wchar_t kProp[] = L"TwWidget";
constexpr UINT_PTR kSubclassId = 1;

}  // namespace

Widget::~Widget() {
  if (hwnd_) {
    HWND h = hwnd_;
    Unbind();
    DestroyWindow(h);
  }
}

Widget* Widget::FromHwnd(HWND hwnd) {
  return hwnd ? static_cast<Widget*>(GetPropW(hwnd, kProp)) : nullptr;
}

void Widget::SetDpi(int dpi) {
  dpi_ = dpi;
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void Widget::SetBounds(const LayoutRect& r) {
  SetWindowPos(hwnd_, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Widget::SetVisible(bool visible) {
  if (Visible() == visible) return;
  ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
  if (Widget* parent = FromHwnd(GetParent(hwnd_))) parent->OnChildVisibilityChanged(this);
}

bool Widget::Visible() const {
  return hwnd_ && (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

bool Widget::OnReflected(UINT, WPARAM, LPARAM, LRESULT&) {
  return false;
}

void Widget::OnChildVisibilityChanged(Widget*) {}

bool Widget::CreateOwn(const wchar_t* cls, DWORD ex_style, DWORD style, HWND parent, int id,
                       const std::u16string& text) {
  HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)) : nullptr;
  return CreateWindowExW(ex_style, cls, W(text), style, 0, 0, 0, 0, parent, menu, GetModuleHandleW(nullptr),
                         this) != nullptr;
}

bool Widget::CreateStandard(const wchar_t* cls, DWORD ex_style, DWORD style, HWND parent, int id,
                            const std::u16string& text) {
  HWND h =
      CreateWindowExW(ex_style, cls, W(text), style | WS_CHILD, 0, 0, 0, 0, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (!h) return false;
  if (!SetWindowSubclass(h, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
    DestroyWindow(h);
    return false;
  }
  subclassed_ = true;
  Bind(h);
  return true;
}

LRESULT Widget::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  return Default(msg, wp, lp);
}

void Widget::Paint(HDC, const RECT&) {}

bool Widget::HandlePaint(UINT msg, WPARAM wp, LRESULT& result) {
  result = 0;
  RECT rc;
  switch (msg) {
    case WM_ERASEBKGND:
      result = 1;  // Paint covers the whole client area
      return true;
    case WM_PRINTCLIENT:
      GetClientRect(hwnd_, &rc);
      Paint(reinterpret_cast<HDC>(wp), rc);
      return true;
    case WM_PAINT: {
      paint_dc pdc(hwnd_);
      GetClientRect(hwnd_, &rc);
      buffered_dc buffer(pdc.get(), rc);
      Paint(buffer.get(), rc);
      return true;
    }
    default:
      return false;
  }
}

LRESULT Widget::Default(UINT msg, WPARAM wp, LPARAM lp) {
  return subclassed_ ? DefSubclassProc(hwnd_, msg, wp, lp) : DefWindowProcW(hwnd_, msg, wp, lp);
}

bool Widget::ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  HWND child = nullptr;
  switch (msg) {
    case WM_COMMAND:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
      child = reinterpret_cast<HWND>(lp);
      break;
    case WM_DRAWITEM:
      if (wp != 0) child = reinterpret_cast<DRAWITEMSTRUCT*>(lp)->hwndItem;
      break;
    case WM_NOTIFY:
      child = reinterpret_cast<NMHDR*>(lp)->hwndFrom;
      break;
    default:
      return false;
  }
  Widget* w = FromHwnd(child);
  return w && w->OnReflected(msg, wp, lp, result);
}

LRESULT Widget::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
  HWND h = hwnd_;
  LRESULT result = 0;
  try {
    result = HandleMessage(msg, wp, lp);
  } catch (...) {
    HandleUiException(std::current_exception());
  }
  if (msg == WM_NCDESTROY && hwnd_ == h) Unbind();
  return result;
}

void Widget::Bind(HWND hwnd) {
  hwnd_ = hwnd;
  SetPropW(hwnd, kProp, this);
}

void Widget::Unbind() {
  if (!hwnd_) return;
  RemovePropW(hwnd_, kProp);
  if (subclassed_) RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
  subclassed_ = false;
  hwnd_ = nullptr;
}

LRESULT CALLBACK Widget::ThunkProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<Widget*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    if (self) self->Bind(hwnd);
  }
  Widget* self = FromHwnd(hwnd);
  // Messages before WM_NCCREATE (WM_GETMINMAXINFO) and after WM_NCDESTROY find no widget.
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  return self->Dispatch(msg, wp, lp);
}

LRESULT CALLBACK Widget::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<Widget*>(data);
  if (!self || self->hwnd_ != hwnd) return DefSubclassProc(hwnd, msg, wp, lp);
  return self->Dispatch(msg, wp, lp);
}

void RegisterWidgetClass(const wchar_t* name, UINT style, const wchar_t* cursor) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (GetClassInfoExW(instance, name, &wc)) return;
  wc = {};
  wc.cbSize = sizeof(wc);
  wc.style = style;
  wc.lpfnWndProc = Widget::ThunkProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, cursor);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
}

LRESULT WhiteCtlColor(WPARAM dc) {
  SetBkColor(reinterpret_cast<HDC>(dc), RGB(255, 255, 255));
  return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
}

}  // namespace tw::win
