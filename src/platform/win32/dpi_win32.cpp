#include "platform/win32/dpi_win32.h"

#include "platform/dpi.h"
#include "platform/win32/library_search_win32.h"

namespace tw::win {
namespace {

template <typename Fn>
Fn User32(const char* name) {
  // Loaded on first use like every library but kernel32's few, so not necessarily loaded yet.
  static HMODULE user32 = LoadSystemLibrary(L"user32.dll");
  return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

}  // namespace

int SystemDpi() {
  static const auto get = User32<UINT(WINAPI*)()>("GetDpiForSystem");
  if (get) return static_cast<int>(get());
  HDC dc = GetDC(nullptr);
  const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : kDefaultDpi;
  if (dc) ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : kDefaultDpi;
}

int WindowDpi(HWND hwnd) {
  static const auto get = User32<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
  const UINT dpi = get && hwnd ? get(hwnd) : 0;
  return dpi ? static_cast<int>(dpi) : SystemDpi();
}

RECT WindowRectForClient(int client_width, int client_height, DWORD style, DWORD ex_style, int dpi) {
  static const auto adjust =
      User32<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
  RECT r{0, 0, client_width, client_height};
  if (adjust && adjust(&r, style, FALSE, ex_style, static_cast<UINT>(dpi))) return r;
  // Frame widths and the caption at the system DPI, rescaled to the window's.
  AdjustWindowRectEx(&r, style, FALSE, ex_style);
  const int system = SystemDpi();
  return {-MulDiv(-r.left, dpi, system), -MulDiv(-r.top, dpi, system),
          client_width + MulDiv(r.right - client_width, dpi, system),
          client_height + MulDiv(r.bottom - client_height, dpi, system)};
}

namespace {

int IconSize(int metric, int dpi) {
  static const auto get = User32<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
  if (get) {
    if (const int size = get(metric, static_cast<UINT>(dpi))) return size;
  }
  return MulDiv(GetSystemMetrics(metric), dpi, SystemDpi());
}

}  // namespace

int SmallIconSize(int dpi) {
  return IconSize(SM_CXSMICON, dpi);
}

int LargeIconSize(int dpi) {
  return IconSize(SM_CXICON, dpi);
}

unique_hicon LoadIconAtSize(HINSTANCE instance, const wchar_t* id, int size) {
  // Common Controls 6 has it (MinGW's import library does not name it): bound by name, like the DPI calls.
  static const auto scale_down = [] {
    using Fn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
    // The copy the activation context chose when the controls were set up, else the system folder's.
    HMODULE comctl32 = GetModuleHandleW(L"comctl32.dll");
    if (!comctl32) comctl32 = LoadSystemLibrary(L"comctl32.dll");
    return comctl32 ? reinterpret_cast<Fn>(
                          reinterpret_cast<void*>(GetProcAddress(comctl32, "LoadIconWithScaleDown")))
                    : nullptr;
  }();
  HICON icon = nullptr;
  if (scale_down && SUCCEEDED(scale_down(instance, id, size, size, &icon)) && icon) return unique_hicon(icon);
  // Without it (comctl32 before version 6): a copy of our own at that size, never the shared one.
  return unique_hicon(static_cast<HICON>(LoadImageW(instance, id, IMAGE_ICON, size, size, 0)));
}

LOGFONTW IconTitleFont(int dpi) {
  static const auto get = User32<BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT)>("SystemParametersInfoForDpi");
  LOGFONTW lf{};
  if (get && get(SPI_GETICONTITLELOGFONT, sizeof(lf), &lf, 0, static_cast<UINT>(dpi))) return lf;
  // The system DPI's font, rescaled.
  if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(lf), &lf, 0)) {
    lf.lfHeight = MulDiv(lf.lfHeight, dpi, SystemDpi());
  }
  return lf;
}

}  // namespace tw::win
