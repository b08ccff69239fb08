#include "tuning/tweaks.h"

#include <string_view>

#include "tuning/registry_values.h"

namespace tw {

std::u16string TweakKeyPath(const Tweak& tweak, const std::u16string& adapter_guid) {
  return tweak.key ? std::u16string(tweak.key) : kInterfacesKey + adapter_guid;
}

std::u16string TweakSubkey(const Tweak& tweak, const std::u16string& adapter_guid) {
  constexpr std::u16string_view kMachine = u"HKEY_LOCAL_MACHINE\\";
  return TweakKeyPath(tweak, adapter_guid).substr(kMachine.size());
}

bool ApplyTweak(IRegistry& registry, const Tweak& tweak, const std::u16string& adapter_guid) {
  return WriteRegistryDword(registry, TweakKeyPath(tweak, adapter_guid), tweak.value, tweak.run);
}

bool RevertTweak(IRegistry& registry, const Tweak& tweak, const std::u16string& adapter_guid) {
  const std::u16string path = TweakKeyPath(tweak, adapter_guid);
  return tweak.run_again ? WriteRegistryDword(registry, path, tweak.value, *tweak.run_again)
                         : DeleteRegistryValue(registry, path, tweak.value);
}

}  // namespace tw
