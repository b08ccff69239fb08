// An in-memory registry: keys under the seven predefined roots, created together with their parents, typed
// values, open handles that must be closed, a journal of every call with its arguments, and faults on demand.
// Key and value names compare without regard to ASCII letter case, as in the real registry.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace tw::test {

struct RegValue {
  std::uint32_t type = reg::kNone;
  std::vector<std::uint8_t> data;
};

struct RegCall {
  std::string op;  // "CreateKey", "OpenKey", "QueryValue", "SetValue", "DeleteValue", "CloseKey",
                   // "CreateAdminKey"
  RegKey key = 0;  // the root or open key passed in
  std::u16string subkey{};
  std::u16string name{};
  std::uint32_t options = 0;
  std::uint32_t access = 0;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data{};  // SetValue: the bytes passed
  bool with_buffer = false;          // QueryValue: a data buffer was passed
  RegStatus status = 0;
};

class FakeRegistry : public IRegistry {
 public:
  RegStatus CreateKey(RegKey root, const std::u16string& subkey, std::uint32_t options, std::uint32_t access,
                      RegKey* key) override;
  // Creates like CreateKey (journalled as "CreateAdminKey", failing with fail_create) and marks the key as
  // Administrators-only: AdminOnly tells.
  RegStatus CreateAdminKey(RegKey root, const std::u16string& subkey, std::uint32_t access,
                           RegKey* key) override;
  RegStatus OpenKey(RegKey root, const std::u16string& subkey, std::uint32_t access, RegKey* key) override;
  RegStatus QueryValue(RegKey key, const std::u16string& name, std::uint32_t* type, std::uint8_t* data,
                       std::uint32_t* size) override;
  RegStatus SetValue(RegKey key, const std::u16string& name, std::uint32_t type, const std::uint8_t* data,
                     std::uint32_t size) override;
  RegStatus DeleteValue(RegKey key, const std::u16string& name) override;
  // Journalled as "DeleteEmptyKey"; fails with fail_delete.
  RegStatus DeleteEmptyKey(RegKey root, const std::u16string& subkey, std::uint32_t access) override;
  RegStatus CloseKey(RegKey key) override;

  // Faults: a non-zero status makes every call of that kind fail with it (and change nothing).
  RegStatus fail_create = 0;
  RegStatus fail_open = 0;
  RegStatus fail_query = 0;
  RegStatus fail_set = 0;
  RegStatus fail_delete = 0;
  // Asked for every call that the fail_* statuses would stop (a call that passed its handle checks); a
  // non-zero answer makes that one call fail with it. For faults part-way through a sequence.
  std::function<RegStatus(const RegCall&)> fault;

  // Seeding and inspection, by root and subkey path ("Software\\Tempowave").
  void Put(RegKey root, const std::u16string& path, const std::u16string& name, std::uint32_t type,
           std::vector<std::uint8_t> data);
  void PutDword(RegKey root, const std::u16string& path, const std::u16string& name, std::uint32_t value);
  void PutString(RegKey root, const std::u16string& path, const std::u16string& name, std::uint32_t type,
                 const std::u16string& text);  // with its terminating NUL
  bool KeyExists(RegKey root, const std::u16string& path) const;
  bool AdminOnly(RegKey root, const std::u16string& path) const;
  std::optional<RegValue> Get(RegKey root, const std::u16string& path, const std::u16string& name) const;
  size_t ValueCount(RegKey root, const std::u16string& path) const;

  size_t OpenHandles() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return handles_.size();
  }
  std::vector<RegCall> calls;
  std::vector<RegCall> CallsOf(const std::string& op) const;
  // A copy of the journal, taken under the lock: for reading it while a worker may still be writing.
  std::vector<RegCall> AllCalls() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return calls;
  }

 private:
  // The program reaches the registry from the UI thread and from the update check's thread at once.
  // A fresh lock for every copy: only the registry's contents are copied.
  struct Lock : std::recursive_mutex {
    Lock() = default;
    Lock(const Lock&) {}
    Lock& operator=(const Lock&) { return *this; }
  };
  mutable Lock mutex_;
  struct Key {
    std::map<std::u16string, std::pair<std::u16string, RegValue>> values;  // folded name -> (name, value)
    bool admin_only = false;
  };
  struct Handle {
    std::u16string key;  // folded full path "root\\sub\\path"
    std::uint32_t access = 0;
  };
  static bool IsRoot(RegKey key);
  // The folded full path that a root or open handle names, or nullopt for an unknown handle.
  std::optional<std::u16string> Resolve(RegKey key) const;
  static std::optional<std::u16string> Join(const std::u16string& base, const std::u16string& subkey);
  static std::u16string RootPath(RegKey root);
  Key* Find(RegKey key, std::uint32_t need_access, RegStatus* status);
  void Ensure(const std::u16string& base, const std::u16string& path);
  RegKey NewHandle(const std::u16string& path, std::uint32_t access);
  RegStatus Record(RegCall call, RegStatus status);
  // CreateKey and CreateAdminKey: the call as journalled, and whether the key is marked Administrators-only.
  RegStatus Create(const RegCall& call, bool admin_only, RegKey* key);
  RegStatus Fault(const RegCall& call, RegStatus fixed) const;

  std::map<std::u16string, Key> keys_;  // folded full path -> key; the roots exist implicitly
  std::map<RegKey, Handle> handles_;
  RegKey next_handle_ = 0x1000;
};

}  // namespace tw::test
