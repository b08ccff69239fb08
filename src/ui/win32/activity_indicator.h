// A spinner: a ring of dots whose darkest dot walks round while it animates. Medium size, black dots.
#pragma once

#include "ui/win32/widget.h"

namespace tw::win {

class ActivityIndicator : public Widget {
 public:
  static constexpr int kDots = 8;
  static constexpr UINT kFrameMs = 90;

  bool Create(HWND parent, int id);
  bool Animating() const { return animating_; }
  void SetAnimating(bool on);
  int Frame() const { return frame_; }

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void Paint(HDC dc, const RECT& rc) override;
  void UpdateRegion();

  bool animating_ = false;
  int frame_ = 0;
};

}  // namespace tw::win
