#include "platform/win32/application.h"

namespace tw::win {
namespace {

HWND g_main = nullptr;
HWND g_hidden = nullptr;
std::u16string& TitleText() {
  static std::u16string title;
  return title;
}

}  // namespace

HWND Application::MainWindow() {
  return g_main && IsWindow(g_main) ? g_main : nullptr;
}
void Application::SetMainWindow(HWND hwnd) {
  g_main = hwnd;
}

HWND Application::HiddenOwner() {
  if (!g_hidden) {
    g_hidden = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  }
  return g_hidden;
}

const std::u16string& Application::Title() {
  return TitleText();
}
void Application::SetTitle(const std::u16string& title) {
  TitleText() = title;
}

}  // namespace tw::win
