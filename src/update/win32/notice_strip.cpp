// The notice strip: a status bar added once to the bottom of the main window, one centred owner-drawn panel
// in bold red, a hand cursor, the target as its hint, a click opening the target.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>

#include "i18n/translate.h"
#include "platform/win32/handles.h"
#include "platform/win32/library_search_win32.h"
#include "platform/win32/wstr.h"
#include "ui/win32/application.h"
#include "ui/win32/subclass.h"
#include "update/win32/update_prompts.h"

namespace tw::win {
namespace {

constexpr UINT_PTR kStripSubclass = 0x5B01;
constexpr UINT_PTR kParentSubclass = 0x5B02;
constexpr int kStripHeight = 28;

// Everything the strip keeps; owned by the strip window and freed when it is destroyed.
struct Strip {
  HWND hwnd = nullptr;
  HWND parent = nullptr;
  HWND tooltip = nullptr;
  IShell* shell = nullptr;
  int height = 0;
  std::u16string text;  // the panel's text
  std::u16string hint;  // the target
  unique_hfont font;
};

LRESULT CALLBACK StripProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data);
LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data);

Strip* StripOf(HWND hwnd) {
  DWORD_PTR data = 0;
  if (!SubclassData(hwnd, StripProc, kStripSubclass, &data)) return nullptr;
  return reinterpret_cast<Strip*>(data);
}

LRESULT CALLBACK StripProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  auto* strip = reinterpret_cast<Strip*>(data);
  switch (msg) {
    case WM_SETCURSOR:
      SetCursor(LoadCursorW(nullptr, IDC_HAND));
      return TRUE;
    // The strip's text as its window text: what a screen reader speaks, the panel itself being owner-drawn.
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(strip->text.size());
    case WM_GETTEXT: {
      if (wp == 0) return 0;
      const size_t n = std::min<size_t>(strip->text.size(), static_cast<size_t>(wp) - 1);
      auto* out = reinterpret_cast<wchar_t*>(lp);
      std::copy_n(W(strip->text), n, out);
      out[n] = L'\0';
      return static_cast<LRESULT>(n);
    }
    case WM_NCDESTROY: {
      RemoveWindowSubclass(hwnd, StripProc, kStripSubclass);
      RemoveWindowSubclass(strip->parent, ParentProc, kParentSubclass);
      std::unique_ptr<Strip> owned(strip);
      return DefSubclassProc(hwnd, msg, wp, lp);
    }
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

HFONT BoldFont(HWND main, int dpi) {
  LOGFONTW lf{};
  HFONT base = reinterpret_cast<HFONT>(SendMessageW(main, WM_GETFONT, 0, 0));
  if (!base || !GetObjectW(base, sizeof(lf), &lf)) {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof(ncm);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0);
    lf = ncm.lfStatusFont;
    lf.lfHeight = -MulDiv(12, dpi, 96);
  }
  lf.lfWeight = FW_BOLD;
  return CreateFontIndirectW(&lf);
}

// The main window hands the strip's drawing, its clicks and its own size changes to the strip.
LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
  try {
    auto* strip = reinterpret_cast<Strip*>(data);
    switch (msg) {
      case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (item->hwndItem == strip->hwnd) {
          TUpdateHelper::DrawUpdateStatus(strip->hwnd, *item);
          return TRUE;
        }
        break;
      }
      case WM_NOTIFY: {
        const auto* nm = reinterpret_cast<const NMHDR*>(lp);
        if (nm->hwndFrom == strip->hwnd && nm->code == NM_CLICK) {
          TUpdateHelper::StatusClick(strip->hwnd);
          return TRUE;
        }
        break;
      }
      case WM_SIZE:  // keep to the bottom edge
        MoveWindow(strip->hwnd, 0, HIWORD(lp) - strip->height, LOWORD(lp), strip->height, TRUE);
        break;
      case WM_DPICHANGED: {
        // The window lays itself out for the new DPI first (keeping the strip's share of the height).
        const LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
        const int dpi = LOWORD(wp);
        strip->height = MulDiv(kStripHeight, dpi, 96);
        unique_hfont font(BoldFont(hwnd, dpi));
        SendMessageW(strip->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
        std::swap(strip->font, font);  // the old font goes only once the strip no longer uses it
        RECT client;
        GetClientRect(hwnd, &client);
        MoveWindow(strip->hwnd, 0, client.bottom - strip->height, client.right, strip->height, TRUE);
        return result;
      }
    }
  } catch (...) {
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

void GrowClientHeight(HWND main, int by) {
  RECT window;
  GetWindowRect(main, &window);
  SetWindowPos(main, nullptr, 0, 0, window.right - window.left, window.bottom - window.top + by,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Strip* CreateStrip(HWND main, IShell* shell) {
  // Idempotent; the status bar and tooltip classes exist only once it has run in this process.
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  RECT client;
  GetClientRect(main, &client);
  const int dpi = DpiOfWindow(main);
  const int height = MulDiv(kStripHeight, dpi, 96);
  // Below all other content at first; the window then grows by the strip's height, so the content keeps its
  // size.
  HWND hwnd = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | CCS_BOTTOM | CCS_NORESIZE, 0,
                              client.bottom, client.right, height, main,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusBarId)),
                              GetModuleHandleW(nullptr), nullptr);
  if (!hwnd) return nullptr;
  auto strip = std::make_unique<Strip>();
  strip->hwnd = hwnd;
  strip->parent = main;
  strip->shell = shell;
  strip->height = height;
  strip->font.reset(BoldFont(main, dpi));
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(strip->font.get()), FALSE);
  SendMessageW(hwnd, SB_SIMPLE, FALSE, 0);
  int right = -1;  // the only panel spans the whole strip
  SendMessageW(hwnd, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&right));

  strip->tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
  Strip* raw = strip.release();
  SetWindowSubclass(hwnd, StripProc, kStripSubclass, reinterpret_cast<DWORD_PTR>(raw));
  SetWindowSubclass(main, ParentProc, kParentSubclass, reinterpret_cast<DWORD_PTR>(raw));

  GrowClientHeight(main, height);
  MoveWindow(hwnd, 0, client.bottom, client.right, height, TRUE);
  return raw;
}

void SetHint(Strip& strip) {
  if (!strip.tooltip) return;
  TTTOOLINFOW ti{};
  ti.cbSize = sizeof(ti);
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = strip.hwnd;
  ti.uId = reinterpret_cast<UINT_PTR>(strip.hwnd);
  ti.lpszText = const_cast<wchar_t*>(W(strip.hint));
  if (!SendMessageW(strip.tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti)) ||
      SendMessageW(strip.tooltip, TTM_GETTOOLCOUNT, 0, 0) == 0) {
    SendMessageW(strip.tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  }
  SendMessageW(strip.tooltip, TTM_ACTIVATE, TRUE, 0);
}

}  // namespace

HWND FindStatusBar(HWND main_window) {
  HWND strip = main_window ? GetDlgItem(main_window, kStatusBarId) : nullptr;
  return StripOf(strip) ? strip : nullptr;
}

void UpdatePrompts::ShowUpdateStatus(const std::u16string& target) {
  HWND main = Application::MainWindow();
  if (!main) return;
  Strip* strip = StripOf(FindStatusBar(main));
  if (!strip) strip = CreateStrip(main, services_.shell);
  if (!strip) return;
  strip->text = UpdateText(utStatus, language_());
  // Also the window text that other processes read without asking the strip.
  DefWindowProcW(strip->hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(W(strip->text)));
  SendMessageW(strip->hwnd, SB_SETTEXTW, 0 | SBT_OWNERDRAW, reinterpret_cast<LPARAM>(strip));
  strip->hint = target;
  SetHint(*strip);
  InvalidateRect(strip->hwnd, nullptr, TRUE);
  UpdateWindow(strip->hwnd);
}

void TUpdateHelper::DrawUpdateStatus(HWND status_bar, const DRAWITEMSTRUCT& item) {
  Strip* strip = StripOf(status_bar);
  if (!strip) return;
  RECT r = item.rcItem;
  FillRect(item.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
  select_object keep(item.hDC, strip->font.get());
  SetTextColor(item.hDC, RGB(255, 0, 0));
  SetBkMode(item.hDC, TRANSPARENT);
  std::u16string text = strip->text;
  DrawTextW(item.hDC, W(text), -1, &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
}

void TUpdateHelper::StatusClick(HWND sender) {
  if (Strip* strip = StripOf(sender)) OpenWebTarget(strip->shell, strip->hint);
}

UpdatePrompts::UpdatePrompts(UpdateServices services, std::function<std::u16string()> language,
                             std::function<std::u16string()> caption)
    : services_(std::move(services)), language_(std::move(language)), caption_(std::move(caption)) {
  if (!language_) language_ = [] { return CurrentLanguage(); };
  if (!caption_) caption_ = [] { return Translate(Application::Title()); };
}

int DpiOfWindow(HWND hwnd) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto get_dpi = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(LoadSystemLibrary(L"user32.dll"), "GetDpiForWindow")));
  if (get_dpi && hwnd) {
    if (const UINT dpi = get_dpi(hwnd)) return static_cast<int>(dpi);
  }
  window_dc dc(nullptr);
  return GetDeviceCaps(dc.get(), LOGPIXELSY);
}

}  // namespace tw::win
