// Adapter discovery against Wine's real IP Helper and WMI, inside the test run's network namespace. The
// expected adapter comes from TW_EXPECT_ADAPTER ("name|GUID|address" or "none"); by default it is the run's
// one virtual adapter eth0 (index 10, 192.168.77.10/24).
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/text.h"
#include "platform/win32/adapters_win32.h"
#include "tuning/network.h"

namespace tw {
namespace {

std::string Env(const char* name, const char* fallback) {
  char value[512];
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n && n < sizeof value ? std::string(value, n) : std::string(fallback);
}

TEST(RealAdapterDiscovery, FindsTheExpectedAdapter) {
  const std::string expected =
      Env("TW_EXPECT_ADAPTER", "eth0|{0000000A-0000-0000-0000-4E6574446576}|192.168.77.10");
  win::Win32AdapterFacts facts;
  AdapterInfo info;
  const bool found = FindActiveAdapter(facts, info);
  if (expected == "none") {
    EXPECT_FALSE(found) << EncodeUtf8(info.NetworkName);
    return;
  }
  ASSERT_TRUE(found);
  EXPECT_EQ(EncodeUtf8(info.NetworkName + u"|" + info.NetworkGUID + u"|" + info.NetworkIP), expected);
}

TEST(RealAdapterDiscovery, LocalAddressIsTheFirstNonLoopbackIPv4) {
  win::Win32AdapterFacts facts;
  EXPECT_EQ(EncodeUtf8(LocalIPv4Address(facts)), Env("TW_EXPECT_LOCAL_ADDRESS", "192.168.77.10"));
}

TEST(RealAdapterDiscovery, NestedComLevelIsBalancedOnAnApartmentThread) {
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  win::Win32AdapterFacts facts;
  AdapterInfo info;
  FindActiveAdapter(facts, info);
  // Still initialised: a further CoInitialize only adds a level.
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
  CoUninitialize();
  CoUninitialize();
}

}  // namespace
}  // namespace tw
