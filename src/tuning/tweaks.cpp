#include "tuning/tweaks.h"

#include <algorithm>
#include <string_view>

#include "tuning/registry_values.h"

namespace tw {

std::optional<TweakId> TweakNamed(std::u16string_view value_name) {
  for (const Tweak& tweak : kTweaks) {
    if (value_name == tweak.value) return tweak.id;
  }
  return std::nullopt;
}

std::u16string TweakKeyPath(const Tweak& tweak, const std::u16string& adapter_guid) {
  return tweak.key ? std::u16string(tweak.key) : kInterfacesKey + adapter_guid;
}

std::u16string TweakSubkey(const Tweak& tweak, const std::u16string& adapter_guid) {
  constexpr std::u16string_view kMachine = u"HKEY_LOCAL_MACHINE\\";
  return TweakKeyPath(tweak, adapter_guid).substr(kMachine.size());
}

bool ApplyTweak(IRegistry& registry, const Tweak& tweak, const std::u16string& adapter_guid) {
  return CreateKeyAndWriteDword(registry, TweakKeyPath(tweak, adapter_guid), tweak.value, tweak.run);
}

bool RevertTweak(IRegistry& registry, const Tweak& tweak, const std::u16string& adapter_guid) {
  const std::u16string path = TweakKeyPath(tweak, adapter_guid);
  return tweak.run_again ? CreateKeyAndWriteDword(registry, path, tweak.value, *tweak.run_again)
                         : CreateKeyAndDeleteValue(registry, path, tweak.value);
}

std::u16string TargetNames(const std::vector<TweakTarget>& targets) {
  // Two adapters' TcpAckFrequency is one name.
  std::u16string names;
  for (const Tweak& tweak : kTweaks) {
    const bool named = std::any_of(targets.begin(), targets.end(),
                                   [&tweak](const TweakTarget& target) { return target.tweak == tweak.id; });
    if (!named) continue;
    if (!names.empty()) names += u", ";
    names += tweak.value;
  }
  return names;
}

}  // namespace tw
