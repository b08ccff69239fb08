#include "theme/win32/fit_label_font.h"

#include <commctrl.h>

#include <string>

#include "platform/win32/handles.h"
#include "theme/fit_label.h"
#include "platform/win32/dpi_win32.h"
#include "platform/win32/subclass.h"

namespace tw::win {
namespace {

constexpr UINT_PTR kFontOwnerId = 0x7466;  // the label's subclass that owns the fitted font

// Deletes the font the label was given once the label is gone.
LRESULT CALLBACK FontOwnerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR font) {
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, FontOwnerProc, id);
    DeleteObject(reinterpret_cast<HFONT>(font));
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

HFONT OwnedFont(HWND label) {
  DWORD_PTR font = 0;
  return SubclassData(label, FontOwnerProc, kFontOwnerId, &font) ? reinterpret_cast<HFONT>(font) : nullptr;
}

}  // namespace

void FitLabelFont(HWND label) {
  if (!IsWindow(label)) return;
  auto font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
  if (!font)
    font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));  // what a label without a font draws with

  const int length = GetWindowTextLengthW(label);
  std::wstring caption(static_cast<size_t>(length) + 1, L'\0');
  caption.resize(static_cast<size_t>(GetWindowTextW(label, caption.data(), length + 1)));

  RECT client{};
  GetClientRect(label, &client);
  const int dpi = WindowDpi(label);
  int points = 0;
  int measured = 0;
  {
    window_dc dc(label);
    if (!dc.get()) return;
    select_object selected(dc.get(), font);
    TEXTMETRICW tm{};
    SIZE extent{};
    if (!GetTextMetricsW(dc.get(), &tm) ||
        !GetTextExtentPoint32W(dc.get(), caption.c_str(), static_cast<int>(caption.size()), &extent)) {
      return;
    }
    points = MulDiv(tm.tmHeight - tm.tmInternalLeading, 72, dpi);
    measured = extent.cx;
  }
  const int fitted = FitFontPoints(points, client.right, measured);
  if (fitted == points) return;

  LOGFONTW lf{};
  if (!GetObjectW(font, sizeof lf, &lf)) return;
  lf.lfHeight = -MulDiv(fitted, dpi, 72);
  lf.lfWidth = 0;
  unique_hfont fitted_font(CreateFontIndirectW(&lf));
  if (!fitted_font) return;
  const HFONT previous = OwnedFont(label);
  if (!SetWindowSubclass(label, FontOwnerProc, kFontOwnerId,
                         reinterpret_cast<DWORD_PTR>(fitted_font.get()))) {
    return;
  }
  SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(fitted_font.release()), TRUE);
  // The earlier fitted font is no longer drawn with: the label has the new one.
  if (previous) DeleteObject(previous);
}

}  // namespace tw::win
