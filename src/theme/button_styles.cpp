#include "theme/button_styles.h"

#include <optional>

#include "platform/text.h"

namespace tw {
namespace {

std::vector<std::shared_ptr<IStyledButtonAttributes>>& Families() {
  static std::vector<std::shared_ptr<IStyledButtonAttributes>> families;
  return families;
}

// The entry of `list` equal to `name` without regard to ASCII case, in the list's spelling.
std::optional<std::u16string> Match(const std::vector<std::u16string>& list, const std::u16string& name) {
  for (const auto& entry : list) {
    if (AsciiEqualsIgnoreCase(entry, name)) return entry;
  }
  return std::nullopt;
}

}  // namespace

void RegisterButtonFamily(std::shared_ptr<IStyledButtonAttributes> family) {
  if (!family) return;
  // One family per name: a second registration under the same name replaces the first instead of leaving
  // a shadowed entry that lookups can never reach.
  for (auto& existing : Families()) {
    if (AsciiEqualsIgnoreCase(existing->FamilyName(), family->FamilyName())) {
      existing = std::move(family);
      return;
    }
  }
  Families().push_back(std::move(family));
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
  const std::u16string c = Match(f->StyleClasses(), cls).value_or(default_class);
  const std::u16string a = Match(f->StyleAppearances(), appearance).value_or(default_appearance);
  f->FillStateAttributes(f->FamilyName(), c, a, set.Normal, set.Pressed, set.Selected, set.Hot, set.Disabled);
  return set;
}

}  // namespace tw
