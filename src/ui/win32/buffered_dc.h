// Double buffering: drawing goes to a memory bitmap that is copied to the target in one step when the
// buffer goes out of scope, so a repaint never shows a half-drawn control.
#pragma once

#include <windows.h>

#include "platform/win32/handles.h"

namespace tw::win {

class buffered_dc {
 public:
  buffered_dc(HDC target, const RECT& rc)
      : target_(target),
        rc_(rc),
        dc_(CreateCompatibleDC(target)),
        bitmap_(CreateCompatibleBitmap(target, Width(), Height())) {
    if (dc_ && bitmap_) {
      old_ = SelectObject(dc_, bitmap_.get());
      SetWindowOrgEx(dc_, rc_.left, rc_.top, nullptr);
    }
  }
  buffered_dc(const buffered_dc&) = delete;
  buffered_dc& operator=(const buffered_dc&) = delete;
  ~buffered_dc() {
    if (dc_ && bitmap_) {
      SetWindowOrgEx(dc_, 0, 0, nullptr);
      BitBlt(target_, rc_.left, rc_.top, Width(), Height(), dc_, 0, 0, SRCCOPY);
      SelectObject(dc_, old_);
    }
    if (dc_) DeleteDC(dc_);
  }
  // The buffer, or the target itself when no buffer could be made.
  HDC get() const { return dc_ && bitmap_ ? dc_ : target_; }

 private:
  int Width() const { return rc_.right > rc_.left ? rc_.right - rc_.left : 1; }
  int Height() const { return rc_.bottom > rc_.top ? rc_.bottom - rc_.top : 1; }

  HDC target_;
  RECT rc_;
  HDC dc_;
  unique_hbitmap bitmap_;
  HGDIOBJ old_ = nullptr;
};

}  // namespace tw::win
