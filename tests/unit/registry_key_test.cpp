#include <gtest/gtest.h>

#include <utility>

#include "fakes/fake_registry.h"
#include "platform/registry_key.h"

namespace tw {
namespace {

TEST(RegistryKey, ClosesOnceWhateverItWasMovedThrough) {
  test::FakeRegistry registry;
  {
    RegistryKey first =
        RegistryKey::Create(registry, reg::kCurrentUser, u"Software\\Tempowave", reg::kReadWrite);
    ASSERT_TRUE(first);
    RegistryKey second(std::move(first));
    // NOLINTNEXTLINE(bugprone-use-after-move): checks the empty state RegistryKey's move leaves behind
    EXPECT_FALSE(first);
    EXPECT_TRUE(second);
    EXPECT_EQ(registry.OpenHandles(), 1u);
  }
  EXPECT_EQ(registry.OpenHandles(), 0u);
  EXPECT_EQ(registry.CallsOf("CloseKey").size(), 1u);
}

TEST(RegistryKey, AKeyThatDidNotOpenClosesNothing) {
  test::FakeRegistry registry;
  registry.fail_open = reg::kAccessDenied;
  {
    RegistryKey key = RegistryKey::Open(registry, reg::kLocalMachine, u"SOFTWARE", reg::kKeyRead);
    EXPECT_FALSE(key);
    EXPECT_EQ(key.status(), reg::kAccessDenied);
  }
  EXPECT_TRUE(registry.CallsOf("CloseKey").empty());
}

TEST(RegistryKey, TextAndDwordRoundTripInTheirStoredEncodings) {
  test::FakeRegistry registry;
  RegistryKey key = RegistryKey::Create(registry, reg::kCurrentUser, u"Software\\Tempowave", reg::kReadWrite);
  ASSERT_EQ(key.SetText(u"name", u"\uD15C\uD3EC"), reg::kSuccess);
  ASSERT_EQ(key.SetDword(u"count", 0x01020304u), reg::kSuccess);
  const auto text = registry.Get(reg::kCurrentUser, u"Software\\Tempowave", u"name");
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(text->type, reg::kSz);
  EXPECT_EQ(text->data, (std::vector<std::uint8_t>{0x5C, 0xD1, 0xEC, 0xD3, 0, 0}));  // NUL included
  const auto dword = registry.Get(reg::kCurrentUser, u"Software\\Tempowave", u"count");
  ASSERT_TRUE(dword.has_value());
  EXPECT_EQ(dword->data, (std::vector<std::uint8_t>{4, 3, 2, 1}));

  std::uint32_t type = 0, size = 0, value = 0;
  ASSERT_EQ(key.QuerySize(u"name", &type, &size), reg::kSuccess);
  std::u16string read;
  ASSERT_EQ(key.QueryText(u"name", size, &type, &read), reg::kSuccess);
  EXPECT_EQ(read, u"\uD15C\uD3EC");
  ASSERT_EQ(key.QueryDword(u"count", &type, &value), reg::kSuccess);
  EXPECT_EQ(type, reg::kDword);
  EXPECT_EQ(value, 0x01020304u);
}

TEST(RegistryKey, AnAdministratorsOnlyKeyTakesBytesOfAnyTypeAndClosesOnce) {
  test::FakeRegistry registry;
  {
    RegistryKey key =
        RegistryKey::CreateAdmin(registry, reg::kLocalMachine, u"SOFTWARE\\Tempowave", reg::kReadWrite64);
    ASSERT_TRUE(key);
    EXPECT_TRUE(registry.AdminOnly(reg::kLocalMachine, u"SOFTWARE\\Tempowave"));
    ASSERT_EQ(key.SetBytes(u"list", reg::kMultiSz, {'a', 0, 0, 0, 0, 0}), reg::kSuccess);
    ASSERT_EQ(key.SetBytes(u"empty", reg::kBinary, {}), reg::kSuccess);
  }
  const auto list = registry.Get(reg::kLocalMachine, u"SOFTWARE\\Tempowave", u"list");
  ASSERT_TRUE(list.has_value());
  EXPECT_EQ(list->type, reg::kMultiSz);
  EXPECT_EQ(list->data, (std::vector<std::uint8_t>{'a', 0, 0, 0, 0, 0}));
  const auto empty = registry.Get(reg::kLocalMachine, u"SOFTWARE\\Tempowave", u"empty");
  ASSERT_TRUE(empty.has_value());
  EXPECT_EQ(empty->type, reg::kBinary);
  EXPECT_TRUE(empty->data.empty());
  EXPECT_EQ(registry.CallsOf("CreateAdminKey").size(), 1u);
  EXPECT_EQ(registry.CallsOf("CloseKey").size(), 1u);
  EXPECT_EQ(registry.OpenHandles(), 0u);

  registry.fail_create = reg::kAccessDenied;
  RegistryKey refused =
      RegistryKey::CreateAdmin(registry, reg::kLocalMachine, u"SOFTWARE\\Other", reg::kReadWrite64);
  EXPECT_FALSE(refused);
  EXPECT_EQ(refused.status(), reg::kAccessDenied);
}

}  // namespace
}  // namespace tw
