// The window theme helper: a dark title bar where the system offers one, and a thin strip along the top of
// the client area in the accent colour while the window is active, grey while it is not.
#pragma once

#include <windows.h>

namespace tw::win {

class TThemeHelper {
 public:
  // Hooks `owner`, a top-level window of the calling thread; anything else raises tw::Error
  // "TThemeHelper Owner must be a TForm" and leaves the window untouched.
  explicit TThemeHelper(HWND owner);
  // Gives the window its previous message handling back and removes the strip.
  ~TThemeHelper();
  TThemeHelper(const TThemeHelper&) = delete;
  TThemeHelper& operator=(const TThemeHelper&) = delete;

  HWND Form() const { return form_; }  // null once the window is gone
  HWND Strip() const { return shape_; }
  bool IsActive() const { return active_; }
  COLORREF StripColor() const { return color_; }
  // Pixels the strip takes from the top of the client area: its height while shown, else 0.
  int StripHeight() const { return occupied_; }

 private:
  friend TThemeHelper* AttachThemeHelper(HWND form);
  static LRESULT CALLBACK WindowProcHook(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                         DWORD_PTR ref);
  void UpdateStrip();
  void Unhook();

  HWND form_ = nullptr;
  bool active_ = true;
  HWND shape_ = nullptr;
  COLORREF color_ = 0;
  int occupied_ = 0;
  bool owned_by_window_ = false;
};

// A new helper for `form`, owned by the window: it is destroyed with it. The result need not be kept.
TThemeHelper* AttachThemeHelper(HWND form);

}  // namespace tw::win
