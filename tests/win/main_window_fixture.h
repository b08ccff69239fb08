// The real main window over recording service doubles, pumped on the test's thread.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/main_layout.h"
#include "app/win32/main_window.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_services.h"
#include "fakes/fake_shell.h"

namespace tw::test {

// What the window's handlers reach; a test that runs FormCreate needs every service it uses here.
struct WindowServices {
  FakeShell shell;
  FakeRegistry registry;
  FakeServices others;  // the required services the window's handlers do not reach in these tests
  Services Get() {
    return Services{.registry = registry,
                    .dispatcher = others.dispatcher,
                    .clock = others.clock,
                    .http = others.http,
                    .shell = &shell};
  }
};

inline void Pump() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

// The rectangle of `hwnd` in its parent's client coordinates.
inline RECT RectInParent(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

inline std::u16string TextOf(HWND hwnd) {
  wchar_t buf[512] = L"";
  GetWindowTextW(hwnd, buf, 512);
  return std::u16string(reinterpret_cast<const char16_t*>(buf));
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<win::MainWindow>(services.Get(), [this] { ++destroyed; });
    // The stored layout, as it stands before the creation handler changes captions and visibility.
    window->on_create = nullptr;
    ASSERT_TRUE(window->Create());
  }
  void TearDown() override {
    window.reset();
    Pump();
  }
  HWND H(Ctl c) const { return window->ControlHwnd(c); }
  LRESULT Click(Ctl c) { return SendMessageW(H(c), BM_CLICK, 0, 0); }
  bool Pressed(Ctl c) { return SendMessageW(H(c), BM_GETCHECK, 0, 0) == BST_CHECKED; }

  WindowServices services;
  int destroyed = 0;
  std::unique_ptr<win::MainWindow> window;
};

}  // namespace tw::test
