#include "ui/win32/vector_image.h"

#include <windowsx.h>

#include "platform/win32/handles.h"
#include "ui/win32/svg_render.h"

namespace tw::win {
namespace {
constexpr wchar_t kClass[] = L"TwVectorImage";
}

bool VectorImage::Create(HWND parent, int id) {
  RegisterWidgetClass(kClass, 0, IDC_HAND);
  return CreateOwn(kClass, 0, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, parent, id, {});
}

void VectorImage::SetSvg(std::string_view utf8) {
  doc_ = ParseSvg(utf8);
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

LRESULT VectorImage::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (LRESULT painted; HandlePaint(msg, wp, painted)) return painted;
  switch (msg) {
    case WM_LBUTTONDOWN:
      pressed_ = true;
      SetCapture(hwnd_);
      return 0;
    case WM_LBUTTONUP: {
      const bool was_pressed = pressed_;
      pressed_ = false;
      if (GetCapture() == hwnd_) ReleaseCapture();
      RECT rc;
      GetClientRect(hwnd_, &rc);
      const POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      // A click is a press and a release over the image.
      if (was_pressed && PtInRect(&rc, pt) && on_click) on_click();
      return 0;
    }
    case WM_CAPTURECHANGED:
      pressed_ = false;
      return 0;
    case BM_CLICK:
      if (on_click && IsWindowEnabled(hwnd_)) on_click();
      return 0;
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wp);
      if (LOWORD(lp)) InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    default:
      return Default(msg, wp, lp);
  }
}

void VectorImage::Paint(HDC dc, const RECT& rc) {
  FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  PaintSvg(dc, rc, doc_, font_);
}

std::string_view ResourceBytes(const wchar_t* name) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC res = FindResourceW(module, name, MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (!res) return {};
  HGLOBAL data = LoadResource(module, res);
  const void* bytes = data ? LockResource(data) : nullptr;
  return bytes ? std::string_view(static_cast<const char*>(bytes), SizeofResource(module, res))
               : std::string_view{};
}

}  // namespace tw::win
