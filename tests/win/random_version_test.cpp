#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "platform/win32/random_win32.h"
#include "platform/win32/version_win32.h"

namespace tw::win {
namespace {

TEST(ProcessRandom, StaysBelowTheRangeAndRepeatsFromASeed) {
  ProcessRandom& r = ProcessRandom::Instance();
  r.Seed(12345);
  std::vector<std::uint32_t> first;
  for (std::uint32_t range : {1u, 2u, 0xFFFFu, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    for (int i = 0; i < 200; ++i) {
      const std::uint32_t v = r.Next(range);
      ASSERT_LT(v, range);
      first.push_back(v);
    }
  }
  r.Seed(12345);
  std::vector<std::uint32_t> again;
  for (std::uint32_t range : {1u, 2u, 0xFFFFu, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    for (int i = 0; i < 200; ++i) again.push_back(r.Next(range));
  }
  EXPECT_EQ(first, again);
  EXPECT_GT(std::set<std::uint32_t>(first.begin() + 600, first.end()).size(), 390u);
}

TEST(ProcessRandom, ThreadsNeverDrawTheSameStep) {
  ProcessRandom& r = ProcessRandom::Instance();
  r.Randomize();
  std::vector<std::uint32_t> a(20000), b(20000);
  std::thread t([&] {
    for (auto& v : a) v = r.Next(0xFFFFFFFFu);
  });
  for (auto& v : b) v = r.Next(0xFFFFFFFFu);
  t.join();
  std::set<std::uint32_t> all(a.begin(), a.end());
  all.insert(b.begin(), b.end());
  EXPECT_GT(all.size(), 39990u);  // a shared, lost update would repeat whole runs of numbers
}

TEST(VersionInfo, ProgramWithoutVersionResource) {
  // The test program carries no VERSIONINFO; the product's own resource is checked end to end.
  EXPECT_FALSE(VersionInfo().ExecutableFileVersion().has_value());
}

}  // namespace
}  // namespace tw::win
