// Watches for message boxes of the test's thread: records each one (owner, caption, texts, whether
// the main window was still enabled) and closes it, so a test can check a modal box without a person.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tw::test {

struct SeenBox {
  HWND owner = nullptr;
  std::wstring caption;
  std::vector<std::wstring> texts;  // the static texts in the box
  bool main_enabled = false;
};

class MessageBoxWatch {
 public:
  explicit MessageBoxWatch(HWND main = nullptr) {
    main_ = main;
    boxes_ = &boxes;
    hook_ = SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId());
  }
  ~MessageBoxWatch() {
    UnhookWindowsHookEx(hook_);
    boxes_ = nullptr;
  }
  MessageBoxWatch(const MessageBoxWatch&) = delete;
  MessageBoxWatch& operator=(const MessageBoxWatch&) = delete;

  std::vector<SeenBox> boxes;

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_ACTIVATE && boxes_) {
      HWND box = reinterpret_cast<HWND>(wp);
      wchar_t cls[16] = L"";
      GetClassNameW(box, cls, 16);
      if (std::wstring(cls) == L"#32770") {
        SeenBox seen;
        seen.owner = GetWindow(box, GW_OWNER);
        wchar_t buf[512] = L"";
        GetWindowTextW(box, buf, 512);
        seen.caption = buf;
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
          GetClassNameW(c, cls, 16);
          if (_wcsicmp(cls, L"Static") != 0) continue;
          GetWindowTextW(c, buf, 512);
          if (buf[0]) seen.texts.push_back(buf);
        }
        seen.main_enabled = main_ && IsWindowEnabled(main_);
        boxes_->push_back(seen);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
      }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
  }

  static inline thread_local std::vector<SeenBox>* boxes_ = nullptr;
  static inline thread_local HWND main_ = nullptr;
  HHOOK hook_ = nullptr;
};

inline bool Contains(const std::vector<std::wstring>& texts, const std::wstring& text) {
  for (const auto& t : texts) {
    if (t == text) return true;
  }
  return false;
}

}  // namespace tw::test
