// The notice strip: a status bar with one owner-drawn panel spanning it, its text centred in bold red, a hand
// cursor, its hint shown as a tooltip, a click raising on_click. It never sizes itself: the window it sits on
// places it and tells it its DPI and font.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "platform/win32/handles.h"
#include "ui/win32/widget.h"

namespace tw::win {

// The control id of the strip on its window (its component name "StatusBar").
inline constexpr int kStatusBarId = 0x5B01;

class StatusStrip final : public Widget {
 public:
  static constexpr int kHeight = 28;  // at 96 DPI

  bool Create(HWND parent, int id);
  // Also the window text, which screen readers and other processes read.
  void SetText(const std::u16string& text);
  const std::u16string& Text() const { return text_; }
  void SetHint(const std::u16string& hint);
  const std::u16string& Hint() const { return hint_; }
  // `base` (the window's font) in bold; without one, the system's status font at the strip's DPI.
  void SetFontFrom(HFONT base);
  // The panel: its background, then the text centred in the strip's font, pure red.
  void DrawPanel(const DRAWITEMSTRUCT& item) const;

  std::function<void()> on_click;

  bool OnReflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  HWND tooltip_ = nullptr;  // owned by the strip, destroyed with it
  std::u16string text_;
  std::u16string hint_;
  unique_hfont font_;
};

// A window that keeps a notice strip along its bottom edge: it makes the strip on first use, reserves its
// slot and sizes it with everything else.
class INoticeHost {
 public:
  virtual ~INoticeHost() = default;
  // The strip, made and placed on the first call; nullptr when it cannot be made.
  virtual StatusStrip* NoticeStrip() = 0;
};

}  // namespace tw::win
