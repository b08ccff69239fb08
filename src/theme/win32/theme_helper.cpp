#include "theme/win32/theme_helper.h"

#include <commctrl.h>

#include <memory>

#include "platform/error.h"
#include "platform/win32/handles.h"
#include "platform/win32/messages.h"
#include "theme/theme_strip.h"
#include "platform/dpi.h"
#include "platform/win32/dpi_win32.h"
#include "platform/win32/version_win32.h"

namespace tw::win {
namespace {

constexpr wchar_t kStripClass[] = L"TwThemeStrip";

using DwmSetWindowAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);

// Bound at first use: the dark title bar is optional and must not keep the program from starting where
// dwmapi is missing. The library stays loaded for the life of the process.
DwmSetWindowAttributeFn DwmSetWindowAttributeProc() {
  static const DwmSetWindowAttributeFn fn = []() -> DwmSetWindowAttributeFn {
    HMODULE dwm = LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!dwm) return nullptr;
    FARPROC proc = GetProcAddress(dwm, "DwmSetWindowAttribute");
    return reinterpret_cast<DwmSetWindowAttributeFn>(reinterpret_cast<void (*)()>(proc));
  }();
  return fn;
}

TColor FromColorRef(COLORREF c) {
  return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

void FillStrip(HWND strip, HDC dc) {
  RECT rc;
  GetClientRect(strip, &rc);
  unique_hbrush brush(CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrW(strip, GWLP_USERDATA))));
  FillRect(dc, &rc, brush.get());
}

LRESULT CALLBACK StripProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      paint_dc dc(hwnd);
      FillStrip(hwnd, dc.get());
      return 0;
    }
    case WM_PRINTCLIENT:
      FillStrip(hwnd, reinterpret_cast<HDC>(wp));
      return 0;
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // clicks on the strip belong to the window beneath
    default:
      return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

void RegisterStripClass(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(instance, kStripClass, &wc)) return;
  wc.lpfnWndProc = StripProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kStripClass;
  RegisterClassExW(&wc);
}

bool IsForm(HWND hwnd) {
  return hwnd && IsWindow(hwnd) && !(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) &&
         GetAncestor(hwnd, GA_PARENT) == GetDesktopWindow() &&
         GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId();
}

}  // namespace

TThemeHelper::TThemeHelper(HWND owner) {
  if (!IsForm(owner)) throw Error(u"TThemeHelper Owner must be a TForm");
  form_ = owner;

  const auto attribute = DarkTitleBarAttribute(WindowsBuildNumber());
  if (auto set = DwmSetWindowAttributeProc(); set && attribute) {
    const BOOL dark = TRUE;
    set(form_, *attribute, &dark, sizeof dark);  // refused where not supported; the default look stays
  }

  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(form_, GWLP_HINSTANCE));
  RegisterStripClass(instance);
  shape_ = CreateWindowExW(0, kStripClass, L"", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0, form_, nullptr,
                           instance, nullptr);
  if (!shape_ || !SetWindowSubclass(form_, WindowProcHook, reinterpret_cast<UINT_PTR>(this),
                                    reinterpret_cast<DWORD_PTR>(this))) {
    // Out of resources: the window simply goes without its strip.
    if (shape_) DestroyWindow(shape_);
    shape_ = nullptr;
    form_ = nullptr;
    return;
  }
  UpdateStrip();
}

TThemeHelper::~TThemeHelper() {
  if (!form_) return;
  const HWND form = form_;
  const bool was_occupying = occupied_ != 0;
  Unhook();
  // The layout gets its two pixels back.
  if (was_occupying) SendMessageW(form, WM_TW_THEME_STRIP, 0, 0);
}

void TThemeHelper::Unhook() {
  RemoveWindowSubclass(form_, WindowProcHook, reinterpret_cast<UINT_PTR>(this));
  if (shape_ && IsWindow(shape_)) DestroyWindow(shape_);
  shape_ = nullptr;
  form_ = nullptr;
  occupied_ = 0;
}

void TThemeHelper::UpdateStrip() {
  const auto style = static_cast<std::uint32_t>(GetWindowLongPtrW(form_, GWL_STYLE));
  const StripLook look = DecideStripLook(active_, style, FromColorRef(GetSysColor(COLOR_GRAYTEXT)));
  color_ = RGB(look.color.r, look.color.g, look.color.b);
  SetWindowLongPtrW(shape_, GWLP_USERDATA, static_cast<LONG_PTR>(color_));

  RECT client{};
  GetClientRect(form_, &client);
  const int height = Scale(kThemeStripHeight, WindowDpi(form_));
  SetWindowPos(shape_, HWND_TOP, 0, 0, client.right, height,
               SWP_NOACTIVATE | (look.visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  InvalidateRect(shape_, nullptr, FALSE);

  const int occupied = look.visible ? height : 0;
  if (occupied != occupied_) {
    occupied_ = occupied;
    SendMessageW(form_, WM_TW_THEME_STRIP, static_cast<WPARAM>(occupied), 0);
  }
}

LRESULT CALLBACK TThemeHelper::WindowProcHook(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                              DWORD_PTR ref) {
  auto* self = reinterpret_cast<TThemeHelper*>(ref);
  switch (msg) {
    case WM_SIZE:
      self->UpdateStrip();
      break;
    case WM_ACTIVATE:
      self->active_ = IsActivation(wp);
      self->UpdateStrip();
      break;
    case WM_DPICHANGED: {
      const LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
      self->UpdateStrip();
      return result;
    }
    case WM_NCDESTROY: {
      // The strip, a child, is already gone; the window's own handling still gets the message.
      self->shape_ = nullptr;
      self->Unhook();
      if (self->owned_by_window_) delete self;
      return DefSubclassProc(hwnd, msg, wp, lp);
    }
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

TThemeHelper* AttachThemeHelper(HWND form) {
  auto helper = std::make_unique<TThemeHelper>(form);
  helper->owned_by_window_ = true;
  return helper.release();
}

}  // namespace tw::win
