#include "ui/win32/activity_indicator.h"

#include <objidl.h>  // PROPID, left out by WIN32_LEAN_AND_MEAN

#include <gdiplus.h>

#include <cmath>

#include "platform/win32/handles.h"
#include "ui/win32/gdiplus_session.h"

namespace tw::win {
namespace {
constexpr wchar_t kClass[] = L"TwActivityIndicator";
constexpr UINT_PTR kTimer = 1;
constexpr double kPi = 3.14159265358979323846;
}  // namespace

bool ActivityIndicator::Create(HWND parent, int id) {
  RegisterWidgetClass(kClass);
  if (!CreateOwn(kClass, 0, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, parent, id, {})) return false;
  UpdateRegion();
  return true;
}

void ActivityIndicator::UpdateRegion() {
  // A stopped spinner takes no room on screen, so the control it lies over shows through whole and takes
  // the clicks; its window stays as shown or hidden as it was told. The system owns the region once set.
  SetWindowRgn(hwnd_, animating_ ? nullptr : CreateRectRgn(0, 0, 0, 0), TRUE);
}

void ActivityIndicator::SetAnimating(bool on) {
  if (on == animating_ || !hwnd_) return;
  animating_ = on;
  if (on) {
    frame_ = 0;
    SetTimer(hwnd_, kTimer, kFrameMs, nullptr);
  } else {
    KillTimer(hwnd_, kTimer);
  }
  UpdateRegion();
  InvalidateRect(hwnd_, nullptr, FALSE);
}

LRESULT ActivityIndicator::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (LRESULT painted; HandlePaint(msg, wp, painted)) return painted;
  switch (msg) {
    case WM_TIMER:
      if (wp != kTimer) break;
      frame_ = (frame_ + 1) % kDots;
      InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // clicks go to the button underneath
    case WM_DESTROY:
      KillTimer(hwnd_, kTimer);
      animating_ = false;
      break;
    default:
      break;
  }
  return Default(msg, wp, lp);
}

void ActivityIndicator::Paint(HDC dc, const RECT& rc) {
  FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  if (!animating_ || !GdiplusRunning()) return;  // a stopped spinner shows nothing
  Gdiplus::Graphics g(dc);
  if (g.GetLastStatus() != Gdiplus::Ok) return;
  g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  const double size = std::min(rc.right - rc.left, rc.bottom - rc.top);
  const double cx = (rc.left + rc.right) / 2.0, cy = (rc.top + rc.bottom) / 2.0;
  const double dot = size / 8.0;               // dot radius
  const double ring = size / 2.0 - dot - 0.5;  // centre of the dots
  for (int i = 0; i < kDots; ++i) {
    // The dot at the current frame is black; the ones behind it fade towards white.
    const int age = (frame_ - i + kDots) % kDots;
    const BYTE alpha = static_cast<BYTE>(255 - age * 200 / (kDots - 1));
    Gdiplus::SolidBrush brush(Gdiplus::Color(alpha, 0, 0, 0));
    if (brush.GetLastStatus() != Gdiplus::Ok) continue;
    const double angle = 2 * kPi * i / kDots - kPi / 2;
    const double x = cx + ring * std::cos(angle), y = cy + ring * std::sin(angle);
    g.FillEllipse(&brush, static_cast<Gdiplus::REAL>(x - dot), static_cast<Gdiplus::REAL>(y - dot),
                  static_cast<Gdiplus::REAL>(2 * dot), static_cast<Gdiplus::REAL>(2 * dot));
  }
}

}  // namespace tw::win
