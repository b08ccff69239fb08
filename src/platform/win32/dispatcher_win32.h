// Hand-over from worker threads to the UI thread through a message-only window owned by the UI thread.
#pragma once

#include <windows.h>

#include <atomic>

#include "platform/dispatcher.h"

namespace tw::win {

class UiDispatcher final : public IUiDispatcher {
 public:
  // The process's one dispatcher, created on first use; call it first on the UI thread. It is never
  // destroyed: workers are not joined at exit and may still hold it.
  static UiDispatcher& Instance();

  bool Invoke(const std::function<void()>& task) override;
  bool Terminating() const override { return closed_.load(); }
  void ServeUntil(const std::function<bool()>& done) override;
  // From now on every hand-over is dropped (the main window is gone) and workers see Terminating().
  void Close() { closed_.store(true); }

 private:
  UiDispatcher();
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  HWND hwnd_ = nullptr;
  DWORD ui_thread_ = 0;
  std::atomic<bool> closed_{false};
};

}  // namespace tw::win
