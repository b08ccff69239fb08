#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "fakes/fake_registry.h"
#include "tuning/registry_values.h"

namespace tw {
namespace {

using test::FakeRegistry;
using test::RegValue;
using Bytes = std::vector<std::uint8_t>;

const std::u16string kProfile = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Multimedia\\SystemProfile";

TEST(RegistryValues, RootKeyFromExactNamesOnly) {
  const struct {
    std::u16string name;
    RegKey key;
  } cases[] = {
      {u"HKEY_CLASSES_ROOT", 0x80000000u},
      {u"HKEY_CURRENT_USER", 0x80000001u},
      {u"HKEY_LOCAL_MACHINE", 0x80000002u},
      {u"HKEY_USERS", 0x80000003u},
      {u"HKEY_PERFORMANCE_DATA", 0x80000004u},
      {u"HKEY_CURRENT_CONFIG", 0x80000005u},
      {u"HKEY_DYN_DATA", 0x80000006u},
      {u"hkey_local_machine", 0},
      {u"HKLM", 0},
      {u"HKEY_LOCAL_MACHINE ", 0},
      {u"", 0},
      {u"HKEY_LOCAL_MACHINE\\SOFTWARE", 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RootKeyFromName(c.name), c.key) << std::string(c.name.begin(), c.name.end());
}

// How the full path is split and which key operation it turns into. Every case must leave no handle open.
TEST(RegistryValues, PathSplit) {
  const struct {
    const char* what;
    std::u16string path;
    const char* op;  // the first registry call
    RegKey root;
    std::u16string subkey;
    std::u16string stored_under;  // where the value lands under HKLM, or nothing
    bool written;
  } cases[] = {
      {"plain path", u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Tempowave\\A", "CreateKey", reg::kLocalMachine,
       u"SOFTWARE\\Tempowave\\A", u"SOFTWARE\\Tempowave\\A", true},
      {"doubled backslash", u"HKEY_LOCAL_MACHINE\\\\SOFTWARE\\Tempowave\\A", "CreateKey", reg::kLocalMachine,
       u"SOFTWARE\\Tempowave\\A", u"SOFTWARE\\Tempowave\\A", true},
      {"root only", u"HKEY_LOCAL_MACHINE\\", "OpenKey", reg::kLocalMachine, u"", u"", true},
      {"root only, doubled", u"HKEY_LOCAL_MACHINE\\\\", "OpenKey", reg::kLocalMachine, u"", u"", true},
      {"lower-case root", u"hkey_local_machine\\SOFTWARE\\Tempowave\\A", "CreateKey", 0,
       u"SOFTWARE\\Tempowave\\A", u"", false},
      {"no backslash", u"HKEY_LOCAL_MACHINE", "CreateKey", 0, u"HKEY_LOCAL_MACHINE", u"", false},
      {"only one leading backslash dropped", u"HKEY_LOCAL_MACHINE\\\\\\SOFTWARE\\A", "CreateKey",
       reg::kLocalMachine, u"\\SOFTWARE\\A", u"", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeRegistry registry;
    CreateKeyAndWriteDword(registry, c.path, u"Value", 7);
    ASSERT_FALSE(registry.calls.empty());
    const auto& first = registry.calls.front();
    EXPECT_EQ(first.op, c.op);
    EXPECT_EQ(first.key, c.root);
    EXPECT_EQ(first.subkey, c.subkey);
    EXPECT_EQ(first.access, 0x2011Fu);
    if (first.op == "CreateKey") {
      EXPECT_EQ(first.options, reg::kOptionNonVolatile);
    }
    const auto value = registry.Get(reg::kLocalMachine, c.stored_under, u"Value");
    EXPECT_EQ(value.has_value(), c.written);
    EXPECT_EQ(registry.CallsOf("SetValue").size(), c.written ? 1u : 0u);
    EXPECT_EQ(registry.OpenHandles(), 0u);
  }
}

TEST(RegistryValues, WriteStoresLittleEndianDword) {
  const struct {
    std::int32_t value;
    Bytes bytes;
  } cases[] = {
      {-1, {0xFF, 0xFF, 0xFF, 0xFF}},         {0, {0, 0, 0, 0}},          {10, {10, 0, 0, 0}},
      {0x12345678, {0x78, 0x56, 0x34, 0x12}}, {INT_MIN, {0, 0, 0, 0x80}},
  };
  for (const auto& c : cases) {
    FakeRegistry registry;
    CreateKeyAndWriteDword(registry, u"HKEY_LOCAL_MACHINE\\" + kProfile, u"NetworkThrottlingIndex", c.value);
    const auto v = registry.Get(reg::kLocalMachine, kProfile, u"NetworkThrottlingIndex");
    ASSERT_TRUE(v) << c.value;
    EXPECT_EQ(v->type, reg::kDword);
    EXPECT_EQ(v->data, c.bytes) << c.value;
  }
}

TEST(RegistryValues, WriteReplacesExistingValueAndCreatesParents) {
  FakeRegistry registry;
  registry.PutDword(reg::kLocalMachine, kProfile, u"SystemResponsiveness", 20);
  CreateKeyAndWriteDword(registry, u"HKEY_LOCAL_MACHINE\\" + kProfile, u"SystemResponsiveness", 0);
  EXPECT_EQ(registry.Get(reg::kLocalMachine, kProfile, u"SystemResponsiveness")->data, (Bytes{0, 0, 0, 0}));

  CreateKeyAndWriteDword(registry, u"HKEY_CURRENT_USER\\Software\\A\\B\\C", u"V", 1);
  EXPECT_TRUE(registry.KeyExists(reg::kCurrentUser, u"Software\\A"));
  EXPECT_TRUE(registry.KeyExists(reg::kCurrentUser, u"Software\\A\\B\\C"));
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

TEST(RegistryValues, DeleteRemovesOnlyThatValue) {
  FakeRegistry registry;
  registry.PutDword(reg::kLocalMachine, u"SOFTWARE\\Microsoft\\MSMQ\\Parameters", u"TCPNoDelay", 1);
  registry.PutDword(reg::kLocalMachine, u"SOFTWARE\\Microsoft\\MSMQ\\Parameters", u"Other", 1);
  CreateKeyAndDeleteValue(registry, u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\MSMQ\\Parameters",
                          u"TCPNoDelay");
  EXPECT_FALSE(registry.Get(reg::kLocalMachine, u"SOFTWARE\\Microsoft\\MSMQ\\Parameters", u"TCPNoDelay"));
  EXPECT_TRUE(registry.Get(reg::kLocalMachine, u"SOFTWARE\\Microsoft\\MSMQ\\Parameters", u"Other"));
  EXPECT_EQ(registry.CallsOf("CreateKey").at(0).access, 0x2011Fu);
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

TEST(RegistryValues, DeleteCreatesAMissingKeyEmptyAndAMissingValueIsNoError) {
  FakeRegistry registry;
  CreateKeyAndDeleteValue(registry, u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Tempowave\\Missing", u"TcpAckFrequency");
  EXPECT_TRUE(registry.KeyExists(reg::kLocalMachine, u"SOFTWARE\\Tempowave\\Missing"));
  EXPECT_EQ(registry.ValueCount(reg::kLocalMachine, u"SOFTWARE\\Tempowave\\Missing"), 0u);
  ASSERT_EQ(registry.CallsOf("DeleteValue").size(), 1u);
  EXPECT_EQ(registry.CallsOf("DeleteValue")[0].status, reg::kFileNotFound);

  registry.PutDword(reg::kLocalMachine, u"SOFTWARE\\Tempowave\\Missing", u"Kept", 3);
  CreateKeyAndDeleteValue(registry, u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Tempowave\\Missing", u"TcpAckFrequency");
  EXPECT_EQ(registry.ValueCount(reg::kLocalMachine, u"SOFTWARE\\Tempowave\\Missing"), 1u);
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

// A refusing registry never makes either operation fail, and the key is closed exactly once after every
// successful open, whatever happens next.
TEST(RegistryValues, FailuresAreAbsorbedAndKeysClosed) {
  const std::u16string path = u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Tempowave\\T";
  const struct {
    const char* what;
    RegStatus FakeRegistry::*fault;
    bool delete_op;
    bool key_created;
    size_t closes;
  } cases[] = {
      {"create denied, write", &FakeRegistry::fail_create, false, false, 0},
      {"create denied, delete", &FakeRegistry::fail_create, true, false, 0},
      {"set denied", &FakeRegistry::fail_set, false, true, 1},
      {"delete denied", &FakeRegistry::fail_delete, true, true, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeRegistry registry;
    registry.*c.fault = reg::kAccessDenied;
    const bool done = c.delete_op ? CreateKeyAndDeleteValue(registry, path, u"V")
                                  : CreateKeyAndWriteDword(registry, path, u"V", 1);
    EXPECT_FALSE(done);  // reported to callers that must know, never raised
    EXPECT_EQ(registry.KeyExists(reg::kLocalMachine, u"SOFTWARE\\Tempowave\\T"), c.key_created);
    EXPECT_EQ(registry.ValueCount(reg::kLocalMachine, u"SOFTWARE\\Tempowave\\T"), 0u);
    EXPECT_EQ(registry.CallsOf("CloseKey").size(), c.closes);
    EXPECT_EQ(registry.OpenHandles(), 0u);
  }
}

TEST(RegistryValues, SuccessIsReportedAndARemovalOfNothingIsOne) {
  FakeRegistry registry;
  const std::u16string path = u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Tempowave\\T";
  EXPECT_TRUE(CreateKeyAndDeleteValue(registry, path, u"V"));  // never there
  EXPECT_TRUE(CreateKeyAndWriteDword(registry, path, u"V", 1));
  EXPECT_TRUE(CreateKeyAndDeleteValue(registry, path, u"V"));
  EXPECT_FALSE(registry.Get(reg::kLocalMachine, u"SOFTWARE\\Tempowave\\T", u"V"));
  EXPECT_FALSE(CreateKeyAndWriteDword(registry, u"HKEY_LOCAL_MACHINE", u"V", 1));  // no backslash: nothing
}

TEST(RegistryValues, RootOnlyPathOpensAndClosesTheRoot) {
  FakeRegistry registry;
  registry.fail_open = reg::kAccessDenied;
  CreateKeyAndWriteDword(registry, u"HKEY_CURRENT_USER\\", u"V", 1);
  EXPECT_FALSE(registry.Get(reg::kCurrentUser, u"", u"V"));
  EXPECT_TRUE(registry.CallsOf("SetValue").empty());

  registry.fail_open = 0;
  CreateKeyAndDeleteValue(registry, u"HKEY_CURRENT_USER\\", u"V");
  EXPECT_EQ(registry.CallsOf("DeleteValue").size(), 1u);
  EXPECT_EQ(registry.CallsOf("CloseKey").size(), 1u);
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

// Below HKEY_LOCAL_MACHINE: only the helpers named "CreateKeyAnd..." make a missing key; every key is asked
// for in the native 64-bit view and closed again.
TEST(RegistryValues, OnlyTheCreatingMachineHelpersMakeAKey) {
  const std::u16string key = u"SOFTWARE\\Tempowave\\Missing";
  const Bytes data = {1, 0, 0, 0};
  const struct {
    const char* what;
    std::function<bool(FakeRegistry&)> call;
    bool result, key_made, admin_only;
  } cases[] = {
      {"set", [&](FakeRegistry& r) { return CreateKeyAndSetMachineValue(r, key, u"V", reg::kDword, data); },
       true, true, false},
      {"set in an Administrators-only key",
       [&](FakeRegistry& r) { return CreateAdminKeyAndSetMachineValue(r, key, u"V", reg::kDword, data); },
       true, true, true},
      {"delete", [&](FakeRegistry& r) { return DeleteMachineValueIfKeyExists(r, key, u"V"); }, true, false,
       false},
      {"read",
       [&](FakeRegistry& r) {
         std::uint32_t type = 0;
         Bytes read;
         return ReadMachineValue(r, key, u"V", 16, &type, &read) == ValueRead::Absent;
       },
       true, false, false},
      {"look for the key", [&](FakeRegistry& r) { return MachineKeyMissing(r, key); }, true, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeRegistry registry;
    EXPECT_EQ(c.call(registry), c.result);
    EXPECT_EQ(registry.KeyExists(reg::kLocalMachine, key), c.key_made);
    if (c.key_made) {
      EXPECT_EQ(registry.Get(reg::kLocalMachine, key, u"V")->data, data);
      EXPECT_EQ(registry.AdminOnly(reg::kLocalMachine, key), c.admin_only);
    }
    for (const auto& call : registry.calls) {
      if (call.op == "CreateKey" || call.op == "CreateAdminKey" || call.op == "OpenKey") {
        EXPECT_EQ(call.access & reg::kKeyWow64_64, reg::kKeyWow64_64) << call.op;
      }
    }
    EXPECT_EQ(registry.OpenHandles(), 0u);
  }
}

// A value larger than the limit is not read; one that is there is read whole, of whatever type.
TEST(RegistryValues, AMachineValueIsReadUpToTheLimit) {
  FakeRegistry registry;
  registry.Put(reg::kLocalMachine, kProfile, u"V", reg::kBinary, Bytes(17, 9));
  std::uint32_t type = 0;
  Bytes data;
  EXPECT_EQ(ReadMachineValue(registry, kProfile, u"V", 16, &type, &data), ValueRead::TooLarge);
  EXPECT_EQ(ReadMachineValue(registry, kProfile, u"V", 17, &type, &data), ValueRead::Found);
  EXPECT_EQ(type, reg::kBinary);
  EXPECT_EQ(data, Bytes(17, 9));
  EXPECT_EQ(ReadMachineValue(registry, kProfile, u"Other", 17, &type, &data), ValueRead::Absent);
  registry.fail_query = reg::kAccessDenied;
  EXPECT_EQ(ReadMachineValue(registry, kProfile, u"V", 17, &type, &data), ValueRead::Failed);
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

}  // namespace
}  // namespace tw
