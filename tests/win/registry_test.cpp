#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "fakes/fake_registry.h"
#include "platform/error.h"
#include "platform/win32/registry_win32.h"
#include "settings/config.h"
#include "tuning/registry_values.h"

namespace tw {
namespace {

constexpr wchar_t kTestKey[] = L"SOFTWARE\\TempowaveRegistryTest";

// Reads a value through the chosen registry view, as the system or another program would see it.
struct Seen {
  LSTATUS status = ERROR_FILE_NOT_FOUND;
  DWORD type = 0;
  std::vector<BYTE> data;
};
Seen ReadView(HKEY root, const wchar_t* path, const wchar_t* name, REGSAM view) {
  Seen seen;
  HKEY key;
  seen.status = RegOpenKeyExW(root, path, 0, KEY_READ | view, &key);
  if (seen.status != ERROR_SUCCESS) return seen;
  BYTE buf[64];
  DWORD size = sizeof buf;
  seen.status = RegQueryValueExW(key, name, nullptr, &seen.type, buf, &size);
  if (seen.status == ERROR_SUCCESS) seen.data.assign(buf, buf + size);
  RegCloseKey(key);
  return seen;
}

void DeleteBothViews(HKEY root, const wchar_t* path) {
  for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
    HKEY key;
    if (RegOpenKeyExW(root, path, 0, KEY_ALL_ACCESS | view, &key) == ERROR_SUCCESS) {
      RegDeleteTreeW(key, nullptr);
      RegCloseKey(key);
      RegDeleteKeyExW(root, path, view, 0);
    }
  }
}

class RealRegistry : public ::testing::Test {
 protected:
  void SetUp() override { TearDown(); }
  void TearDown() override {
    DeleteBothViews(HKEY_LOCAL_MACHINE, kTestKey);
    DeleteBothViews(HKEY_CURRENT_USER, L"Software\\TempowaveRegistryTest");
  }
  win::WinRegistry registry;
};

// A 32-bit build on 64-bit Windows must write where the system reads: the native view, not Wow6432Node.
TEST_F(RealRegistry, WriteLandsInThe64BitView) {
  CreateKeyAndWriteDword(registry, u"HKEY_LOCAL_MACHINE\\SOFTWARE\\TempowaveRegistryTest",
                         u"NetworkThrottlingIndex", -1);
  const Seen native = ReadView(HKEY_LOCAL_MACHINE, kTestKey, L"NetworkThrottlingIndex", KEY_WOW64_64KEY);
  ASSERT_EQ(native.status, ERROR_SUCCESS);
  EXPECT_EQ(native.type, DWORD(REG_DWORD));
  EXPECT_EQ(native.data, (std::vector<BYTE>{0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_NE(ReadView(HKEY_LOCAL_MACHINE, kTestKey, L"NetworkThrottlingIndex", KEY_WOW64_32KEY).status,
            ERROR_SUCCESS);

  CreateKeyAndDeleteValue(registry, u"HKEY_LOCAL_MACHINE\\\\SOFTWARE\\TempowaveRegistryTest",
                          u"NetworkThrottlingIndex");
  EXPECT_EQ(ReadView(HKEY_LOCAL_MACHINE, kTestKey, L"NetworkThrottlingIndex", KEY_WOW64_64KEY).status,
            ERROR_FILE_NOT_FOUND);
}

TEST_F(RealRegistry, DeleteCreatesMissingKeyAndIgnoresMissingValue) {
  CreateKeyAndDeleteValue(registry, u"HKEY_LOCAL_MACHINE\\SOFTWARE\\TempowaveRegistryTest\\Sub",
                          u"TcpAckFrequency");
  HKEY key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\TempowaveRegistryTest\\Sub", 0,
                          KEY_READ | KEY_WOW64_64KEY, &key),
            ERROR_SUCCESS);
  DWORD values = 99;
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                   nullptr, nullptr);
  EXPECT_EQ(values, 0u);
  RegCloseKey(key);
}

TEST_F(RealRegistry, BadPathsWriteNothing) {
  for (const char16_t* path : {u"hkey_current_user\\Software\\TempowaveRegistryTest",
                               u"Software\\TempowaveRegistryTest", u"HKEY_CURRENT_USER"}) {
    CreateKeyAndWriteDword(registry, path, u"V", 1);
  }
  EXPECT_EQ(ReadView(HKEY_CURRENT_USER, L"Software\\TempowaveRegistryTest", L"V", 0).status,
            ERROR_FILE_NOT_FOUND);
}

TEST_F(RealRegistry, RootOnlyPathWritesUnderTheRoot) {
  CreateKeyAndWriteDword(registry, u"HKEY_CURRENT_USER\\", u"TempowaveRegistryTestValue", 5);
  const Seen seen = ReadView(HKEY_CURRENT_USER, L"", L"TempowaveRegistryTestValue", 0);
  EXPECT_EQ(seen.status, ERROR_SUCCESS);
  EXPECT_EQ(seen.data, (std::vector<BYTE>{5, 0, 0, 0}));
  RegDeleteValueW(HKEY_CURRENT_USER, L"TempowaveRegistryTestValue");
}

// Values stored by hand with the real API, read back through the settings store.
TEST_F(RealRegistry, SettingsStoreTypeTable) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\TempowaveRegistryTest", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  auto set = [&](const wchar_t* name, DWORD type, std::vector<BYTE> data) {
    RegSetValueExW(key, name, 0, type, data.data(), DWORD(data.size()));
  };
  set(L"sz1", REG_SZ, {'1', 0, 0, 0});
  set(L"sz2", REG_SZ, {'1', 0, '0', 0, 0, 0});
  set(L"qword", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0});
  set(L"big", REG_DWORD_BIG_ENDIAN, {0, 0, 0, 1});
  set(L"two", REG_DWORD, {2, 0, 0, 0});
  set(L"expand", REG_EXPAND_SZ, {'%', 0, 'W', 0, '%', 0, 0, 0});
  set(L"empty", REG_BINARY, {});
  RegCloseKey(key);

  TConfig config(registry, u"TempowaveRegistryTest");
  auto error_of = [](auto read) -> std::u16string {
    try {
      read();
    } catch (const Error& e) {
      return e.message();
    }
    return u"(none)";
  };
  EXPECT_EQ(error_of([&] { config.ReadBoolean(u"sz1", false); }), u"Invalid data type for 'sz1'");
  EXPECT_EQ(error_of([&] { config.ReadBoolean(u"sz2", false); }), u"Failed to get data for 'sz2'");
  EXPECT_EQ(error_of([&] { config.ReadInteger(u"qword", 0); }), u"Failed to get data for 'qword'");
  EXPECT_EQ(config.ReadInteger(u"big", 0), 0x01000000);
  EXPECT_TRUE(config.ReadBoolean(u"two", false));
  EXPECT_EQ(config.ReadString(u"expand", u"d"), u"%W%");
  EXPECT_EQ(config.ReadString(u"empty", u"d"), u"");
  EXPECT_EQ(config.ReadInteger(u"missing", 7), 7);

  EXPECT_EQ(config.WriteInteger(u"neg", -1), -1);
  EXPECT_EQ(config.WriteString(u"text", u"\uD15C\uD3EC"), u"\uD15C\uD3EC");
  EXPECT_EQ(ReadView(HKEY_CURRENT_USER, L"Software\\TempowaveRegistryTest", L"neg", 0).data,
            (std::vector<BYTE>{0xFF, 0xFF, 0xFF, 0xFF}));
  const Seen text = ReadView(HKEY_CURRENT_USER, L"Software\\TempowaveRegistryTest", L"text", 0);
  EXPECT_EQ(text.type, DWORD(REG_SZ));
  EXPECT_EQ(text.data, (std::vector<BYTE>{0x5C, 0xD1, 0xEC, 0xD3, 0, 0}));
}

// The in-memory double must answer like the real registry wherever the program's logic looks at the result.
class RegistryContract : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    DeleteBothViews(HKEY_CURRENT_USER, L"Software\\TempowaveRegistryTest");
    if (GetParam()) {
      registry = std::make_unique<test::FakeRegistry>();
    } else {
      registry = std::make_unique<win::WinRegistry>();
    }
  }
  void TearDown() override { DeleteBothViews(HKEY_CURRENT_USER, L"Software\\TempowaveRegistryTest"); }
  std::unique_ptr<IRegistry> registry;
};

TEST_P(RegistryContract, AnswersLikeTheRealRegistry) {
  IRegistry& r = *registry;
  RegKey key = 0;
  EXPECT_EQ(r.OpenKey(reg::kCurrentUser, u"Software\\TempowaveRegistryTest\\A", reg::kReadWrite, &key),
            reg::kFileNotFound);
  ASSERT_EQ(r.CreateKey(reg::kCurrentUser, u"Software\\TempowaveRegistryTest\\A\\B", reg::kOptionNonVolatile,
                        reg::kReadWrite, &key),
            reg::kSuccess);
  RegKey parent = 0;
  ASSERT_EQ(r.OpenKey(reg::kCurrentUser, u"software\\tempowaveregistrytest\\a", reg::kKeyRead, &parent),
            reg::kSuccess);
  EXPECT_EQ(r.CloseKey(parent), reg::kSuccess);

  const std::uint8_t text[] = {'a', 0, 'b', 0, 0, 0};
  EXPECT_EQ(r.SetValue(key, u"s", reg::kSz, text, sizeof text), reg::kSuccess);
  std::uint32_t type = 0, size = 0;
  EXPECT_EQ(r.QueryValue(key, u"S", &type, nullptr, &size), reg::kSuccess);
  EXPECT_EQ(type, reg::kSz);
  EXPECT_EQ(size, 6u);
  std::uint8_t buf[4] = {};
  size = sizeof buf;
  EXPECT_EQ(r.QueryValue(key, u"s", &type, buf, &size), reg::kMoreData);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(r.QueryValue(key, u"missing", &type, nullptr, &size), reg::kFileNotFound);
  EXPECT_EQ(r.DeleteValue(key, u"missing"), reg::kFileNotFound);
  EXPECT_EQ(r.DeleteValue(key, u"s"), reg::kSuccess);
  EXPECT_EQ(r.QueryValue(key, u"s", &type, nullptr, &size), reg::kFileNotFound);
  EXPECT_EQ(r.CloseKey(key), reg::kSuccess);

  RegKey bad = 0;
  EXPECT_NE(r.CreateKey(reg::kCurrentUser, u"\\Software\\TempowaveRegistryTest", reg::kOptionNonVolatile,
                        reg::kReadWrite, &bad),
            reg::kSuccess);
  EXPECT_NE(
      r.CreateKey(0, u"Software\\TempowaveRegistryTest", reg::kOptionNonVolatile, reg::kReadWrite, &bad),
      reg::kSuccess);
  // A key opened for reading only refuses writes.
  ASSERT_EQ(r.OpenKey(reg::kCurrentUser, u"Software\\TempowaveRegistryTest", reg::kKeyRead, &key),
            reg::kSuccess);
  EXPECT_EQ(r.SetValue(key, u"v", reg::kDword, text, 4), reg::kAccessDenied);
  EXPECT_EQ(r.CloseKey(key), reg::kSuccess);
}

INSTANTIATE_TEST_SUITE_P(Both, RegistryContract, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& p) { return p.param ? "Fake" : "Wine"; });

}  // namespace
}  // namespace tw
