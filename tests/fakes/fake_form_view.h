// An in-memory window for the main window's logic: control states as plain values, and a journal of what the
// logic did, in order.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "app/form_view.h"

namespace tw::test {

struct FakeControl {
  std::u16string caption;
  bool enabled = true;
  bool visible = true;
  bool checked = false;
  bool down = false;
};

class FakeFormView : public IFormView {
 public:
  FakeFormView();

  std::u16string Caption() const override { return caption; }
  void SetCaption(const std::u16string& text) override;
  std::u16string ControlCaption(Ctl c) const override { return at(c).caption; }
  void SetControlCaption(Ctl c, const std::u16string& text) override;
  bool Enabled(Ctl c) const override { return at(c).enabled; }
  void SetEnabled(Ctl c, bool enabled) override;
  bool Visible(Ctl c) const override { return at(c).visible; }
  void SetVisible(Ctl c, bool visible) override;
  bool Checked(Ctl c) const override { return at(c).checked; }
  void SetChecked(Ctl c, bool checked) override;
  bool Down(Ctl c) const override { return at(c).down; }
  void SetDown(Ctl c, bool down) override;
  int ActivePage() const override { return page; }
  void SetActivePage(int p) override;
  void SetAnimating(bool on) override;
  void ShowErrorBox(const std::u16string& text, const std::u16string& box_caption) override;
  void Close() override;
  void HoldOffShutdown(const std::u16string& reason) override { shutdown_held_with = reason; }
  void AllowShutdown() override { shutdown_held_with.reset(); }
  std::optional<std::u16string> shutdown_held_with;  // the reason while shutdown is held off
  void AttachThemeHelper() override;
  void FitLabelFont(Ctl label) override;
  void UseIconTitleFont() override;
  void SetApplicationTitle(const std::u16string& title) override;

  FakeControl& at(Ctl c) { return controls[static_cast<size_t>(c)]; }
  const FakeControl& at(Ctl c) const { return controls[static_cast<size_t>(c)]; }

  std::u16string caption = u"\uD15C\uD3EC\uC6E8\uC774\uBE0C";
  std::array<FakeControl, static_cast<size_t>(Ctl::Count)> controls;
  int page = 0;
  bool animating = false;
  bool closed = false;
  std::u16string application_title;
  struct ErrorBox {
    std::u16string text, caption;
  };
  std::vector<ErrorBox> error_boxes;
  std::vector<std::string> journal;  // "SetEnabled ChkTcpNoDelay 0", "ErrorBox ...", ...
};

}  // namespace tw::test
