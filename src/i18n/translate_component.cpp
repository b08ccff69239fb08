#include "i18n/component.h"
#include "i18n/translate.h"

namespace tw {

void TranslateMenuItem(IMenuItem* item) {
  if (!item) return;
  item->SetCaption(Translate(item->Caption()));
  for (size_t i = 0; i < item->Count(); ++i) TranslateMenuItem(item->Item(i));
}

void TranslateComponent(IComponent* component, const std::u16string& language) {
  if (!language.empty()) SetCurrentLanguage(language);
  if (!component) return;
  if (component->IsPopupMenu()) TranslateMenuItem(component->RootMenuItem());
  if (component->HasCaption()) {
    // A window's title is Korean for Korean users and English for everybody else.
    const bool english_title = component->IsForm() && CurrentLanguage() != u"ko";
    component->SetCaption(Translate(component->Caption(), english_title ? u"en" : u""));
  }
  for (size_t i = 0; i < component->ComponentCount(); ++i)
    TranslateComponent(component->Component(i), language);
}

}  // namespace tw
