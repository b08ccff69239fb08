// A push button drawn from a style family's five attribute sets, with a pressed (Down) state. It is a real
// BUTTON window (BS_OWNERDRAW) so that assistive technology sees a button: its window text is its caption and
// BM_GETCHECK answers its pressed state.
#pragma once

#include <functional>
#include <string>

#include "theme/button_styles.h"
#include "ui/win32/widget.h"

namespace tw::win {

// The state a button face is drawn in, in order of precedence.
enum class ButtonFace { Disabled, Pressed, Hot, Selected, Normal };
ButtonFace PickButtonFace(bool enabled, bool pushed, bool down, bool hot, bool focused);

class StyledButton : public Widget {
 public:
  bool Create(HWND parent, int id, const std::u16string& caption, DWORD extra_style = 0);

  void SetStyle(const std::u16string& family, const std::u16string& cls, const std::u16string& appearance);
  // The corner radius at 96 DPI for round-rectangle faces.
  void SetCornerRadius(int radius) { radius_ = radius; }

  bool Down() const { return down_; }
  // Pressing a button of a group (group > 0) releases the pressed sibling buttons of the same group.
  void SetDown(bool down);
  int Group() const { return group_; }
  void SetGroup(int group) { group_ = group; }

  bool Hot() const { return hot_; }
  ButtonFace CurrentFace(bool pushed, bool focused) const;

  std::function<void()> on_click;

  bool OnReflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void Draw(const DRAWITEMSTRUCT& dis);

  ButtonStyleSet styles_;
  int radius_ = TStyledButtonAttributes{}.Radius;
  bool down_ = false;
  bool hot_ = false;
  int group_ = 0;
};

}  // namespace tw::win
