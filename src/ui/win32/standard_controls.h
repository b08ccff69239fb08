// Standard controls extended by subclassing: labels, group boxes (which hand their children's notifications
// back to them) and check boxes (whose clicks are routed to a handler).
#pragma once

#include <functional>
#include <string>

#include "ui/win32/widget.h"

namespace tw::win {

class Label : public Widget {
 public:
  bool Create(HWND parent, int id, const std::u16string& caption, bool centred = false);
};

class GroupBox : public Widget {
 public:
  bool Create(HWND parent, int id, const std::u16string& caption);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
};

class CheckBox : public Widget {
 public:
  bool Create(HWND parent, int id, const std::u16string& caption);
  bool Checked() const;
  // Raises no click.
  void SetChecked(bool checked);

  std::function<void()> on_click;

  bool OnReflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
};

}  // namespace tw::win
