// Adapter discovery against Wine's real IP Helper and WMI, inside the test run's network namespace. The
// expected adapter comes from TW_EXPECT_ADAPTER ("name|GUID|address" or "none"); by default it is the run's
// one virtual adapter eth0 (index 10, 192.168.77.10/24).
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text.h"
#include "platform/win32/adapters_win32.h"
#include "platform/win32/list_buffer.h"
#include "platform/win32/threads_win32.h"
#include "tuning/adapter_choice.h"
#include "tuning/adapter_discovery.h"

namespace tw {
namespace {

std::string Env(const char* name, const char* fallback) {
  char value[512];
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n && n < sizeof value ? std::string(value, n) : std::string(fallback);
}

// The growing-buffer call behind both listings, against a scripted listing: each answer is the status and the
// size it asks for. The buffer handed to each call has the size the call before asked for.
TEST(AdapterListing, GrowsTheBufferToWhatIsAskedABoundedNumberOfTimes) {
  struct Answer {
    ULONG status;
    ULONG needed;
  };
  struct Case {
    const char* name;
    std::vector<Answer> answers;
    ULONG status;
    std::vector<ULONG> sizes_given;
  };
  const ULONG first = win::kFirstListBufferSize;
  const Case cases[] = {
      {"fits at once", {{ERROR_SUCCESS, 0}}, ERROR_SUCCESS, {first}},
      {"grows once", {{ERROR_BUFFER_OVERFLOW, 40000}, {ERROR_SUCCESS, 0}}, ERROR_SUCCESS, {first, 40000}},
      {"keeps growing while adapters appear",
       {{ERROR_BUFFER_OVERFLOW, 20000},
        {ERROR_BUFFER_OVERFLOW, 30000},
        {ERROR_BUFFER_OVERFLOW, 50000},
        {ERROR_SUCCESS, 0}},
       ERROR_SUCCESS,
       {first, 20000, 30000, 50000}},
      {"never satisfied: gives up with the overflow",
       {{ERROR_BUFFER_OVERFLOW, 20000},
        {ERROR_BUFFER_OVERFLOW, 30000},
        {ERROR_BUFFER_OVERFLOW, 40000},
        {ERROR_BUFFER_OVERFLOW, 50000},
        {ERROR_SUCCESS, 0}},
       ERROR_BUFFER_OVERFLOW,
       {first, 20000, 30000, 40000}},
      {"another error ends it at once", {{ERROR_NO_DATA, 0}, {ERROR_SUCCESS, 0}}, ERROR_NO_DATA, {first}},
      {"an error after growing",
       {{ERROR_BUFFER_OVERFLOW, 40000}, {ERROR_NOT_ENOUGH_MEMORY, 0}},
       ERROR_NOT_ENOUGH_MEMORY,
       {first, 40000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<ULONG> sizes_given;
    std::size_t next = 0;
    std::vector<unsigned char> buffer;
    const ULONG status = win::ListInto(buffer, [&](unsigned char* data, ULONG* size) {
      sizes_given.push_back(*size);
      EXPECT_EQ(data, buffer.data());
      EXPECT_EQ(buffer.size(), *size);
      const Answer answer = c.answers.at(next++);
      if (answer.status == ERROR_BUFFER_OVERFLOW) *size = answer.needed;
      return answer.status;
    });
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(sizes_given, c.sizes_given);
  }
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

// As the program starts it: on a worker of its own, which enters and leaves its own apartment.
TEST(RealAdapterDiscovery, OnAWorkerFindsTheExpectedAdapter) {
  const std::string expected =
      Env("TW_EXPECT_ADAPTER", "eth0|{0000000A-0000-0000-0000-4E6574446576}|192.168.77.10");
  win::Win32AdapterFacts facts;
  win::Win32Threads threads;
  AdapterDiscovery discovery(facts, threads);
  AdapterInfo info;
  const bool found = discovery.Collect(info);
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
