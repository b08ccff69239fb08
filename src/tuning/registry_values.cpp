#include "tuning/registry_values.h"

#include <array>

namespace tw {
namespace {

constexpr std::array<const char16_t*, 7> kRootNames = {
    u"HKEY_CLASSES_ROOT",     u"HKEY_CURRENT_USER",   u"HKEY_LOCAL_MACHINE", u"HKEY_USERS",
    u"HKEY_PERFORMANCE_DATA", u"HKEY_CURRENT_CONFIG", u"HKEY_DYN_DATA"};

// Closes the key on every path out of an operation.
class OpenedKey {
 public:
  OpenedKey(IRegistry& registry, RegKey key) : registry_(registry), key_(key) {}
  ~OpenedKey() { registry_.CloseKey(key_); }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;
  RegKey get() const { return key_; }

 private:
  IRegistry& registry_;
  RegKey key_;
};

// Splits the path at its first backslash and opens (or creates) the key in the native 64-bit view, so that a
// 32-bit build writes where the system reads rather than into the redirected Wow6432Node copy.
bool OpenForWrite(IRegistry& registry, const std::u16string& path, RegKey* key) {
  const size_t slash = path.find(u'\\');
  const std::u16string root_name = slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
  std::u16string subkey = slash == std::u16string::npos ? path : path.substr(slash + 1);
  const RegKey root = RootKeyFromName(root_name);
  if (!subkey.empty() && subkey.front() == u'\\') subkey.erase(0, 1);
  RegKey opened = 0;
  const RegStatus status =
      subkey.empty() ? registry.OpenKey(root, subkey, reg::kReadWrite64, &opened)
                     : registry.CreateKey(root, subkey, reg::kOptionNonVolatile, reg::kReadWrite64, &opened);
  if (status != reg::kSuccess) return false;
  *key = opened;
  return true;
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
  RegKey raw = 0;
  if (!OpenForWrite(registry, path, &raw)) return false;
  OpenedKey key(registry, raw);
  const auto v = static_cast<std::uint32_t>(value);
  const std::uint8_t bytes[4] = {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16),
                                 std::uint8_t(v >> 24)};
  return registry.SetValue(key.get(), value_name, reg::kDword, bytes, sizeof bytes) == reg::kSuccess;
}

bool DeleteRegistryValue(IRegistry& registry, const std::u16string& path, const std::u16string& value_name) {
  RegKey raw = 0;
  if (!OpenForWrite(registry, path, &raw)) return false;
  OpenedKey key(registry, raw);
  const RegStatus status = registry.DeleteValue(key.get(), value_name);
  return status == reg::kSuccess || status == reg::kFileNotFound;
}

}  // namespace tw
