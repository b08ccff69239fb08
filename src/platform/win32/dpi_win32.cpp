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
  if (!adjust || !adjust(&r, style, FALSE, ex_style, static_cast<UINT>(dpi))) {
    AdjustWindowRectEx(&r, style, FALSE, ex_style);
  }
  return r;
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
