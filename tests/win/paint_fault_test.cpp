// The last-resort handler where the process cannot go on: it shows its message, writes its dump and ends the
// process with the code of what happened, without a second fault.
// - A null read inside a paint handler, reached the way Windows reaches it (UpdateWindow calls the window
//   procedure, through the widget thunk, into the widget's Paint).
// - An exception that nothing catches, which ends in std::terminate.
// The process ends, so these run only as the ctest entries CrashHandler.* (TW_DEATH_TEST names the case),
// whose script (tests/win/expect_crash.py) checks what they printed, their exit code and the dump.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "crash/win32/crash_handler.h"
#include "ui/win32/widget.h"

namespace tw {
namespace {

volatile int g_sink = 0;
int* volatile g_nothing = nullptr;

class FaultingWidget : public win::Widget {
 public:
  bool Create() {
    win::RegisterWidgetClass(L"TwFaultingWidget");
    return CreateOwn(L"TwFaultingWidget", 0, WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 0, u"fault");
  }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
    if (LRESULT painted; HandlePaint(msg, wp, painted)) return painted;
    return Default(msg, wp, lp);
  }

 private:
  void Paint(HDC, const RECT&) override { g_sink = *g_nothing; }
};

// Prints every message box of this thread as it opens (the process will not live to report it otherwise)
// and closes it.
LRESULT CALLBACK PrintBox(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_ACTIVATE) {
    HWND box = reinterpret_cast<HWND>(wp);
    wchar_t text[1024] = L"";
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      wchar_t cls[16] = L"";
      GetClassNameW(c, cls, 16);
      if (_wcsicmp(cls, L"Static") == 0 && GetWindowTextW(c, text, 1024) > 0) {
        std::string line;
        for (const wchar_t* p = text; *p; ++p)
          line += *p == L'\n' ? ' ' : static_cast<char>(*p < 128 ? *p : '?');
        std::printf("MESSAGE BOX: %s\n", line.c_str());
        std::fflush(stdout);
      }
    }
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

bool Armed(const char* name) {
  // NOLINTNEXTLINE(concurrency-mt-unsafe): no other thread changes the environment meanwhile
  const char* armed = std::getenv("TW_DEATH_TEST");
  return armed && std::string(armed) == name;
}

TEST(DeathByFault, ReachesTheLastResortHandler) {
  if (!Armed("paint")) GTEST_SKIP() << "ends the process: CrashHandler.NullReadInAPaintHandler";
  win::InstallCrashHandler();
  HHOOK hook = SetWindowsHookExW(WH_CBT, PrintBox, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  FaultingWidget widget;
  ASSERT_TRUE(widget.Create());
  // Made at no size: sized now, so that there is something to paint.
  SetWindowPos(widget.hwnd(), nullptr, 0, 0, 200, 100, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(widget.hwnd(), nullptr, TRUE);
  std::printf("BEGUN\n");
  std::fflush(stdout);
  UpdateWindow(widget.hwnd());
  UnhookWindowsHookEx(hook);
  FAIL() << "the program went on after the fault";
}

TEST(DeathByTerminate, ReachesTheLastResortHandler) {
  if (!Armed("terminate")) GTEST_SKIP() << "ends the process: CrashHandler.UncaughtException";
  win::InstallCrashHandler();
  HHOOK hook = SetWindowsHookExW(WH_CBT, PrintBox, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  std::printf("BEGUN\n");
  std::fflush(stdout);
  std::terminate();
}

}  // namespace
}  // namespace tw
