#include "tuning/tweaks.h"

#include "tuning/registry_values.h"

namespace tw {

std::u16string TweakKeyPath(const Tweak& tweak, const std::u16string& adapter_guid) {
  return tweak.key ? std::u16string(tweak.key) : kInterfacesKey + adapter_guid;
}

void ApplyTweak(IRegistry& registry, const Tweak& tweak, const std::u16string& adapter_guid) {
  WriteRegistryDword(registry, TweakKeyPath(tweak, adapter_guid), tweak.value, tweak.run);
}

void RevertTweak(IRegistry& registry, const Tweak& tweak, const std::u16string& adapter_guid) {
  const std::u16string path = TweakKeyPath(tweak, adapter_guid);
  if (tweak.run_again) {
    WriteRegistryDword(registry, path, tweak.value, *tweak.run_again);
  } else {
    DeleteRegistryValue(registry, path, tweak.value);
  }
}

}  // namespace tw
