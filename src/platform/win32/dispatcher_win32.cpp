#include "platform/win32/dispatcher_win32.h"

#include <exception>

#include "platform/win32/messages.h"

namespace tw::win {
namespace {

constexpr wchar_t kClassName[] = L"TempowaveDispatcher";

struct Packet {
  const std::function<void()>* task;
  std::exception_ptr error;
  bool ran = false;
};

}  // namespace

UiDispatcher& UiDispatcher::Instance() {
  static UiDispatcher* instance = new UiDispatcher();  // deliberately never destroyed
  return *instance;
}

UiDispatcher::UiDispatcher() : ui_thread_(GetCurrentThreadId()) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = WndProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);
  hwnd_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, this);
}

bool UiDispatcher::Invoke(const std::function<void()>& task) {
  if (closed_.load() || !hwnd_) return false;
  Packet packet{&task, nullptr};
  if (GetCurrentThreadId() == ui_thread_) {
    task();
    return true;
  }
  // SendMessage blocks until the UI thread has run the task; sent messages are served by modal loops too.
  SendMessageW(hwnd_, WM_TW_INVOKE, 0, reinterpret_cast<LPARAM>(&packet));
  if (packet.error) std::rethrow_exception(packet.error);
  return packet.ran;
}

void UiDispatcher::ServeUntil(const std::function<bool()>& done) {
  // Sent hand-overs are served inside PeekMessage; posted messages keep the windows alive meanwhile.
  bool quit = false;
  int exit_code = 0;
  MSG m;
  while (!done()) {
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) {
        quit = true;
        exit_code = static_cast<int>(m.wParam);
        continue;
      }
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  if (quit) PostQuitMessage(exit_code);
}

LRESULT CALLBACK UiDispatcher::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<UiDispatcher*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else if (msg == WM_TW_INVOKE) {
    auto* self = reinterpret_cast<UiDispatcher*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    auto* packet = reinterpret_cast<Packet*>(lp);
    // Checked on arrival: a hand-over that was on its way when the main window went away is dropped.
    if (!self || self->closed_.load()) return 0;
    try {
      (*packet->task)();
    } catch (...) {
      packet->error = std::current_exception();
    }
    packet->ran = true;
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace tw::win
