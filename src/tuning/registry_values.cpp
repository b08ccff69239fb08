#include "tuning/registry_values.h"

#include <array>

#include "platform/registry_key.h"

namespace tw {
namespace {

constexpr std::array<const char16_t*, 7> kRootNames = {
    u"HKEY_CLASSES_ROOT",     u"HKEY_CURRENT_USER",   u"HKEY_LOCAL_MACHINE", u"HKEY_USERS",
    u"HKEY_PERFORMANCE_DATA", u"HKEY_CURRENT_CONFIG", u"HKEY_DYN_DATA"};

// Splits the path at its first backslash and opens (or creates) the key in the native 64-bit view, so that a
// 32-bit build writes where the system reads rather than into the redirected Wow6432Node copy.
RegistryKey OpenForWrite(IRegistry& registry, const std::u16string& path) {
  const size_t slash = path.find(u'\\');
  const std::u16string root_name = slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
  std::u16string subkey = slash == std::u16string::npos ? path : path.substr(slash + 1);
  const RegKey root = RootKeyFromName(root_name);
  if (!subkey.empty() && subkey.front() == u'\\') subkey.erase(0, 1);
  return subkey.empty() ? RegistryKey::Open(registry, root, subkey, reg::kReadWrite64)
                        : RegistryKey::Create(registry, root, subkey, reg::kReadWrite64);
}

}  // namespace

RegKey RootKeyFromName(const std::u16string& name) {
  for (size_t i = 0; i < kRootNames.size(); ++i) {
    if (name == kRootNames[i]) return reg::kClassesRoot + i;
  }
  return 0;
}

bool WriteRegistryDword(IRegistry& registry, const std::u16string& path, const std::u16string& value_name,
                        std::int32_t value) {
  RegistryKey key = OpenForWrite(registry, path);
  return key && key.SetDword(value_name, static_cast<std::uint32_t>(value)) == reg::kSuccess;
}

bool DeleteRegistryValue(IRegistry& registry, const std::u16string& path, const std::u16string& value_name) {
  RegistryKey key = OpenForWrite(registry, path);
  if (!key) return false;
  const RegStatus status = key.DeleteValue(value_name);
  return status == reg::kSuccess || status == reg::kFileNotFound;
}

}  // namespace tw
