#include "theme/button_styles.h"

#include "platform/text.h"

namespace tw {
namespace {

std::vector<std::shared_ptr<IStyledButtonAttributes>>& Families() {
  static std::vector<std::shared_ptr<IStyledButtonAttributes>> families;
  return families;
}

// The entry of `list` equal to `name` without regard to ASCII case, in the list's spelling; empty if none.
std::u16string Match(const std::vector<std::u16string>& list, const std::u16string& name) {
  for (const auto& entry : list) {
    if (AsciiEqualsIgnoreCase(entry, name)) return entry;
  }
  return {};
}

}  // namespace

void RegisterButtonFamily(std::shared_ptr<IStyledButtonAttributes> family) {
  if (family) Families().push_back(std::move(family));
}

IStyledButtonAttributes* FindButtonFamily(const std::u16string& name) {
  for (const auto& family : Families()) {
    if (AsciiEqualsIgnoreCase(family->FamilyName(), name)) return family.get();
  }
  return nullptr;
}

void ClearButtonFamilies() {
  Families().clear();
}

ButtonStyleSet ResolveButtonStyle(const std::u16string& family, const std::u16string& cls,
                                  const std::u16string& appearance) {
  ButtonStyleSet set;
  IStyledButtonAttributes* f = FindButtonFamily(family);
  if (!f) return set;
  std::u16string default_class, default_appearance;
  f->StyleForDialogResult(0, default_class, default_appearance);
  std::u16string c = Match(f->StyleClasses(), cls);
  std::u16string a = Match(f->StyleAppearances(), appearance);
  if (c.empty()) c = default_class;
  if (a.empty()) a = default_appearance;
  f->FillStateAttributes(f->FamilyName(), c, a, set.Normal, set.Pressed, set.Selected, set.Hot, set.Disabled);
  return set;
}

}  // namespace tw
