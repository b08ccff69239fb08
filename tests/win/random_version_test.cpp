#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "platform/win32/random_win32.h"
#include "platform/win32/version_win32.h"
#include "update/update.h"

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

// The system's generator, through bcrypt.dll delay-loaded from the system folder: every byte value turns up
// and two draws of 32 bytes never repeat.
TEST(SystemRandom, DrawsFromTheSystemGenerator) {
  SystemRandom random;
  std::set<std::uint8_t> seen;
  std::set<std::vector<std::uint8_t>> draws;
  for (int i = 0; i < 200; ++i) {
    std::vector<std::uint8_t> bytes(32);
    ASSERT_TRUE(random.Fill(bytes.data(), bytes.size()));
    seen.insert(bytes.begin(), bytes.end());
    draws.insert(bytes);
  }
  EXPECT_EQ(seen.size(), 256u);
  EXPECT_EQ(draws.size(), 200u);
  EXPECT_TRUE(random.Fill(nullptr, 0));
}

TEST(VersionInfo, FileVersionOfTheRunningProgram) {
  // The test program's resource has file version 1.6.2.0 and product version 9.8.7.6.
  VersionInfo info;
  EXPECT_EQ(info.ExecutableFileVersion(), (FileVersion{1, 6, 2, 0}));
  EXPECT_EQ(VersionText(&info, u"%d.%d.%d.%d"), u"1.6.2.0");
}

TEST(VersionInfo, ProgramWithoutVersionResource) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path = self;
  path = path.substr(0, path.find_last_of(L'\\') + 1) + L"unit_tests.exe";  // built without a resource
  ASSERT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(VersionInfo::FileVersionOf(path).has_value());
  EXPECT_FALSE(VersionInfo::FileVersionOf(path + L".missing").has_value());
}

}  // namespace
}  // namespace tw::win
