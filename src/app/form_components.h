// The main window as the translation walk sees it: the window, with its title as caption, owns every control
// in stored order. Controls whose toolkit kind has a caption expose it, even when it is empty (panels, cards,
// the toolbar); the spinner and the vector image have none.
#pragma once

#include <vector>

#include "app/form_view.h"
#include "i18n/component.h"

namespace tw {

bool CtlHasCaption(Ctl control);

class FormComponents final : public IComponent {
 public:
  explicit FormComponents(IFormView& view);

  bool IsForm() const override { return true; }
  bool HasCaption() const override { return true; }
  std::u16string Caption() const override { return view_.Caption(); }
  void SetCaption(const std::u16string& text) override { view_.SetCaption(text); }
  size_t ComponentCount() const override { return controls_.size(); }
  IComponent* Component(size_t index) override {
    return index < controls_.size() ? &controls_[index] : nullptr;
  }

 private:
  class Control final : public IComponent {
   public:
    Control(IFormView& view, Ctl control) : view_(view), control_(control) {}
    bool HasCaption() const override { return CtlHasCaption(control_); }
    std::u16string Caption() const override { return view_.ControlCaption(control_); }
    void SetCaption(const std::u16string& text) override { view_.SetControlCaption(control_, text); }
    size_t ComponentCount() const override { return 0; }
    IComponent* Component(size_t) override { return nullptr; }

   private:
    IFormView& view_;
    Ctl control_;
  };

  IFormView& view_;
  std::vector<Control> controls_;
};

// Translates the whole main window (TranslateComponent over FormComponents).
void TranslateForm(IFormView& view, const std::u16string& language = {});

}  // namespace tw
