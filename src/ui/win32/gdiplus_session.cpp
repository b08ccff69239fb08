#include "ui/win32/gdiplus_session.h"

#include <windows.h>

#include <objidl.h>  // PROPID, left out by WIN32_LEAN_AND_MEAN

#include <gdiplus.h>

namespace tw::win {
namespace {
ULONG_PTR g_token = 0;
}

void StartGdiplus() {
  if (g_token) return;
  Gdiplus::GdiplusStartupInput input;
  if (Gdiplus::GdiplusStartup(&g_token, &input, nullptr) != Gdiplus::Ok) g_token = 0;
}

void StopGdiplus() {
  if (!g_token) return;
  Gdiplus::GdiplusShutdown(g_token);
  g_token = 0;
}

bool GdiplusRunning() {
  return g_token != 0;
}

}  // namespace tw::win
