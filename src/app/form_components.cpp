#include "app/form_components.h"

namespace tw {

bool CtlHasCaption(Ctl control) {
  return control != Ctl::Indicator && control != Ctl::ImgLogo && control != Ctl::Count;
}

FormComponents::FormComponents(IFormView& view) : view_(view) {
  controls_.reserve(static_cast<size_t>(Ctl::Count));
  for (size_t i = 0; i < static_cast<size_t>(Ctl::Count); ++i)
    controls_.emplace_back(view, static_cast<Ctl>(i));
}

void TranslateForm(IFormView& view, const std::u16string& language) {
  FormComponents form(view);
  TranslateComponent(&form, language);
}

}  // namespace tw
