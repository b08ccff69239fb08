#include "tuning/registry_values.h"

#include <array>

#include "platform/registry_key.h"

namespace tw {
namespace {

constexpr std::uint32_t kRead64 = reg::kKeyRead | reg::kKeyWow64_64;

constexpr std::array<const char16_t*, 7> kRootNames = {
    u"HKEY_CLASSES_ROOT",     u"HKEY_CURRENT_USER",   u"HKEY_LOCAL_MACHINE", u"HKEY_USERS",
    u"HKEY_PERFORMANCE_DATA", u"HKEY_CURRENT_CONFIG", u"HKEY_DYN_DATA"};

// A root alone is opened, not created.
RegistryKey CreateKeyAt(IRegistry& registry, const std::u16string& path) {
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

bool CreateKeyAndWriteDword(IRegistry& registry, const std::u16string& path, const std::u16string& value_name,
                            std::int32_t value) {
  RegistryKey key = CreateKeyAt(registry, path);
  return key && key.SetDword(value_name, static_cast<std::uint32_t>(value)) == reg::kSuccess;
}

bool CreateKeyAndDeleteValue(IRegistry& registry, const std::u16string& path,
                             const std::u16string& value_name) {
  RegistryKey key = CreateKeyAt(registry, path);
  if (!key) return false;
  const RegStatus status = key.DeleteValue(value_name);
  return status == reg::kSuccess || status == reg::kFileNotFound;
}

ValueRead ReadMachineValue(IRegistry& registry, const std::u16string& subkey, const std::u16string& name,
                           std::uint32_t limit, std::uint32_t* type, std::vector<std::uint8_t>* data) {
  RegistryKey key = RegistryKey::Open(registry, reg::kLocalMachine, subkey, kRead64);
  if (key.status() == reg::kFileNotFound) return ValueRead::Absent;
  if (!key) return ValueRead::Failed;
  // A value that grows between the size query and the read is asked for again.
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::uint32_t size = 0;
    RegStatus status = key.QuerySize(name, type, &size);
    if (status == reg::kFileNotFound) return ValueRead::Absent;
    if (status != reg::kSuccess) return ValueRead::Failed;
    if (size > limit) return ValueRead::TooLarge;
    data->assign(size, 0);
    if (size == 0) return ValueRead::Found;
    status = registry.QueryValue(key.get(), name, type, data->data(), &size);
    if (status == reg::kSuccess) {
      data->resize(size);
      return ValueRead::Found;
    }
    if (status == reg::kFileNotFound) return ValueRead::Absent;
    if (status != reg::kMoreData) return ValueRead::Failed;
  }
  return ValueRead::Failed;
}

bool MachineKeyMissing(IRegistry& registry, const std::u16string& subkey) {
  return RegistryKey::Open(registry, reg::kLocalMachine, subkey, kRead64).status() == reg::kFileNotFound;
}

bool CreateKeyAndSetMachineValue(IRegistry& registry, const std::u16string& subkey,
                                 const std::u16string& name, std::uint32_t type,
                                 const std::vector<std::uint8_t>& data) {
  RegistryKey key = RegistryKey::Create(registry, reg::kLocalMachine, subkey, reg::kReadWrite64);
  return key && key.SetBytes(name, type, data) == reg::kSuccess;
}

bool CreateAdminKeyAndSetMachineValue(IRegistry& registry, const std::u16string& subkey,
                                      const std::u16string& name, std::uint32_t type,
                                      const std::vector<std::uint8_t>& data) {
  RegistryKey key = RegistryKey::CreateAdmin(registry, reg::kLocalMachine, subkey, reg::kReadWrite64);
  return key && key.SetBytes(name, type, data) == reg::kSuccess;
}

bool DeleteMachineValueIfKeyExists(IRegistry& registry, const std::u16string& subkey,
                                   const std::u16string& name) {
  RegistryKey key = RegistryKey::Open(registry, reg::kLocalMachine, subkey, reg::kReadWrite64);
  if (key.status() == reg::kFileNotFound) return true;
  if (!key) return false;
  const RegStatus status = key.DeleteValue(name);
  return status == reg::kSuccess || status == reg::kFileNotFound;
}

void DeleteMachineKeyIfEmpty(IRegistry& registry, const std::u16string& subkey) {
  registry.DeleteEmptyKey(reg::kLocalMachine, subkey, reg::kKeyWow64_64);
}

}  // namespace tw
