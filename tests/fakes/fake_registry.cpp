#include "fakes/fake_registry.h"

#include <algorithm>
#include <iterator>

#include "platform/text.h"

namespace tw::test {
namespace {

constexpr std::uint32_t kQueryValue = 0x0001;
constexpr std::uint32_t kSetValue = 0x0002;
constexpr RegStatus kBadPathname = 161;
constexpr RegStatus kInvalidParameter = 87;

}  // namespace

bool FakeRegistry::IsRoot(RegKey key) {
  return key >= reg::kClassesRoot && key <= reg::kDynData;
}

std::u16string FakeRegistry::RootPath(RegKey root) {
  std::u16string path(1, u'#');
  path += ToText(static_cast<long long>(root));
  return path;
}

std::optional<std::u16string> FakeRegistry::Resolve(RegKey key) const {
  if (IsRoot(key)) return RootPath(key);
  auto it = handles_.find(key);
  if (it == handles_.end()) return std::nullopt;
  return it->second.key;
}

// Appends a relative path to a key's path. A leading backslash or an empty component is refused, as the
// registry refuses it; one trailing backslash is tolerated.
std::optional<std::u16string> FakeRegistry::Join(const std::u16string& base, const std::u16string& subkey) {
  std::u16string path = base;
  std::u16string rest = subkey;
  if (!rest.empty() && rest.back() == u'\\') rest.pop_back();
  if (rest.empty()) return subkey.empty() ? std::optional(path) : std::nullopt;
  size_t start = 0;
  while (true) {
    size_t end = rest.find(u'\\', start);
    std::u16string part =
        rest.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
    if (part.empty()) return std::nullopt;
    path += u'\\';
    path += AsciiLowerCase(part);
    if (end == std::u16string::npos) return path;
    start = end + 1;
  }
}

// Creates the key at path and every missing parent below base.
void FakeRegistry::Ensure(const std::u16string& base, const std::u16string& path) {
  for (size_t pos = path.find(u'\\', base.size() + 1); pos != std::u16string::npos;
       pos = path.find(u'\\', pos + 1)) {
    keys_.try_emplace(path.substr(0, pos));
  }
  keys_.try_emplace(path);
}

RegKey FakeRegistry::NewHandle(const std::u16string& path, std::uint32_t access) {
  RegKey h = next_handle_;
  next_handle_ += 4;
  handles_[h] = {path, access};
  return h;
}

RegStatus FakeRegistry::Fault(const RegCall& call, RegStatus fixed) const {
  if (fixed) return fixed;
  return fault ? fault(call) : reg::kSuccess;
}

RegStatus FakeRegistry::Record(RegCall call, RegStatus status) {
  call.status = status;
  calls.push_back(std::move(call));
  return status;
}

FakeRegistry::Key* FakeRegistry::Find(RegKey key, std::uint32_t need_access, RegStatus* status) {
  std::u16string path;
  std::uint32_t access = 0;
  if (IsRoot(key)) {
    path = RootPath(key);
    access = reg::kKeyAllAccess;
  } else {
    auto it = handles_.find(key);
    if (it == handles_.end()) {
      *status = reg::kInvalidHandle;
      return nullptr;
    }
    path = it->second.key;
    access = it->second.access;
  }
  if ((access & need_access) != need_access) {
    *status = reg::kAccessDenied;
    return nullptr;
  }
  *status = reg::kSuccess;
  return &keys_[path];  // a root's values live in an entry of its own
}

RegStatus FakeRegistry::CreateKey(RegKey root, const std::u16string& subkey, std::uint32_t options,
                                  std::uint32_t access, RegKey* key) {
  return Create(
      RegCall{.op = "CreateKey", .key = root, .subkey = subkey, .options = options, .access = access}, false,
      key);
}

RegStatus FakeRegistry::CreateAdminKey(RegKey root, const std::u16string& subkey, std::uint32_t access,
                                       RegKey* key) {
  return Create(RegCall{.op = "CreateAdminKey", .key = root, .subkey = subkey, .access = access}, true, key);
}

RegStatus FakeRegistry::Create(const RegCall& call, bool admin_only, RegKey* key) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (!key) return Record(call, kInvalidParameter);
  auto base = Resolve(call.key);
  if (!base) return Record(call, reg::kInvalidHandle);
  if (RegStatus f = Fault(call, fail_create)) return Record(call, f);
  auto path = Join(*base, call.subkey);
  if (!path) return Record(call, kBadPathname);
  Ensure(*base, *path);
  if (admin_only) keys_[*path].admin_only = true;
  *key = NewHandle(*path, call.access);
  return Record(call, reg::kSuccess);
}

RegStatus FakeRegistry::OpenKey(RegKey root, const std::u16string& subkey, std::uint32_t access,
                                RegKey* key) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  RegCall call{.op = "OpenKey", .key = root, .subkey = subkey, .access = access};
  if (!key) return Record(call, kInvalidParameter);
  auto base = Resolve(root);
  if (!base) return Record(call, reg::kInvalidHandle);
  if (RegStatus f = Fault(call, fail_open)) return Record(call, f);
  auto path = Join(*base, subkey);
  if (!path) return Record(call, kBadPathname);
  if (*path != *base && !keys_.count(*path)) return Record(call, reg::kFileNotFound);
  *key = NewHandle(*path, access);
  return Record(call, reg::kSuccess);
}

RegStatus FakeRegistry::QueryValue(RegKey key, const std::u16string& name, std::uint32_t* type,
                                   std::uint8_t* data, std::uint32_t* size) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  RegCall call{.op = "QueryValue", .key = key, .name = name, .with_buffer = data != nullptr};
  if (data && !size) return Record(call, kInvalidParameter);
  RegStatus status;
  Key* k = Find(key, kQueryValue, &status);
  if (!k) return Record(call, status);
  if (RegStatus f = Fault(call, fail_query)) return Record(call, f);
  auto it = k->values.find(AsciiLowerCase(name));
  if (it == k->values.end()) return Record(call, reg::kFileNotFound);
  const RegValue& v = it->second.second;
  if (type) *type = v.type;
  const auto stored = static_cast<std::uint32_t>(v.data.size());
  if (data) {
    const std::uint32_t room = *size;
    *size = stored;
    if (room < stored) return Record(call, reg::kMoreData);
    std::copy(v.data.begin(), v.data.end(), data);
  } else if (size) {
    *size = stored;
  }
  return Record(call, reg::kSuccess);
}

RegStatus FakeRegistry::SetValue(RegKey key, const std::u16string& name, std::uint32_t type,
                                 const std::uint8_t* data, std::uint32_t size) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  RegCall call{.op = "SetValue", .key = key, .name = name, .type = type};
  if (data) call.data.assign(data, data + size);
  if (!data && size) return Record(call, kInvalidParameter);
  RegStatus status;
  Key* k = Find(key, kSetValue, &status);
  if (!k) return Record(call, status);
  if (RegStatus f = Fault(call, fail_set)) return Record(call, f);
  k->values[AsciiLowerCase(name)] = {name, RegValue{type, call.data}};
  return Record(call, reg::kSuccess);
}

RegStatus FakeRegistry::DeleteValue(RegKey key, const std::u16string& name) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  RegCall call{.op = "DeleteValue", .key = key, .name = name};
  RegStatus status;
  Key* k = Find(key, kSetValue, &status);
  if (!k) return Record(call, status);
  if (RegStatus f = Fault(call, fail_delete)) return Record(call, f);
  if (!k->values.erase(AsciiLowerCase(name))) return Record(call, reg::kFileNotFound);
  return Record(call, reg::kSuccess);
}

RegStatus FakeRegistry::DeleteEmptyKey(RegKey root, const std::u16string& subkey, std::uint32_t access) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  RegCall call{.op = "DeleteEmptyKey", .key = root, .subkey = subkey, .access = access};
  auto base = Resolve(root);
  if (!base) return Record(call, reg::kInvalidHandle);
  if (RegStatus f = Fault(call, fail_delete)) return Record(call, f);
  auto path = Join(*base, subkey);
  if (!path || *path == *base) return Record(call, kBadPathname);
  auto k = keys_.find(*path);
  if (k == keys_.end()) return Record(call, reg::kFileNotFound);
  if (!k->second.values.empty()) return Record(call, reg::kDirNotEmpty);
  for (const auto& [other, key] : keys_) {
    if (other.size() > path->size() && other.compare(0, path->size() + 1, *path + u"\\") == 0) {
      return Record(call, reg::kDirNotEmpty);
    }
  }
  keys_.erase(k);
  return Record(call, reg::kSuccess);
}

RegStatus FakeRegistry::CloseKey(RegKey key) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  RegCall call{.op = "CloseKey", .key = key};
  if (IsRoot(key)) return Record(call, reg::kSuccess);
  if (!handles_.erase(key)) return Record(call, reg::kInvalidHandle);
  return Record(call, reg::kSuccess);
}

void FakeRegistry::Put(RegKey root, const std::u16string& path, const std::u16string& name,
                       std::uint32_t type, std::vector<std::uint8_t> data) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto full = Join(RootPath(root), path);
  if (!full) return;
  Ensure(RootPath(root), *full);
  keys_[*full].values[AsciiLowerCase(name)] = {name, RegValue{type, std::move(data)}};
}

void FakeRegistry::PutDword(RegKey root, const std::u16string& path, const std::u16string& name,
                            std::uint32_t value) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  Put(root, path, name, reg::kDword,
      {std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16), std::uint8_t(value >> 24)});
}

void FakeRegistry::PutString(RegKey root, const std::u16string& path, const std::u16string& name,
                             std::uint32_t type, const std::u16string& text) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::vector<std::uint8_t> bytes;
  for (char16_t c : text) {
    bytes.push_back(std::uint8_t(c));
    bytes.push_back(std::uint8_t(c >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  Put(root, path, name, type, std::move(bytes));
}

bool FakeRegistry::KeyExists(RegKey root, const std::u16string& path) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto full = Join(RootPath(root), path);
  return full && (path.empty() || keys_.count(*full));
}

bool FakeRegistry::AdminOnly(RegKey root, const std::u16string& path) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto full = Join(RootPath(root), path);
  if (!full) return false;
  auto k = keys_.find(*full);
  return k != keys_.end() && k->second.admin_only;
}

std::optional<RegValue> FakeRegistry::Get(RegKey root, const std::u16string& path,
                                          const std::u16string& name) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto full = Join(RootPath(root), path);
  if (!full) return std::nullopt;
  auto k = keys_.find(*full);
  if (k == keys_.end()) return std::nullopt;
  auto v = k->second.values.find(AsciiLowerCase(name));
  if (v == k->second.values.end()) return std::nullopt;
  return v->second.second;
}

size_t FakeRegistry::ValueCount(RegKey root, const std::u16string& path) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto full = Join(RootPath(root), path);
  if (!full) return 0;
  auto k = keys_.find(*full);
  return k == keys_.end() ? 0 : k->second.values.size();
}

std::vector<RegCall> FakeRegistry::CallsOf(const std::string& op) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::vector<RegCall> out;
  std::copy_if(calls.begin(), calls.end(), std::back_inserter(out),
               [&](const RegCall& c) { return c.op == op; });
  return out;
}

}  // namespace tw::test
