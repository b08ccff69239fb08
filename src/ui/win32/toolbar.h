// A header toolbar: styled buttons of a fixed size side by side after an indent, hidden buttons taking no
// room. Its buttons are real child windows; their pressed state is exclusive within a group.
#pragma once

#include <vector>

#include "ui/win32/styled_button.h"

namespace tw::win {

class Toolbar : public Widget {
 public:
  bool Create(HWND parent, int id);
  // `button` must have been created as a child of this toolbar.
  void AddButton(StyledButton* button);
  // Places the visible buttons in their slots at the toolbar's DPI.
  void Relayout();

  void SetDpi(int dpi) override;
  void OnChildVisibilityChanged(Widget* child) override;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  std::vector<StyledButton*> buttons_;
};

}  // namespace tw::win
