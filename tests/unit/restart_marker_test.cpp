#include "tuning/restart_marker.h"

#include <gtest/gtest.h>

#include "fakes/fake_registry.h"
#include "platform/text.h"
#include "tuning/record_store.h"

namespace tw {
namespace {

constexpr char16_t kA[] = u"{0000000A-0000-0000-0000-4E6574446576}";
constexpr char16_t kB[] = u"{0000000B-0000-0000-0000-4E6574446576}";

// Each GUID once, letter case ignored, the value gone with the last one; only GUID texts
// are taken from it.
TEST(RestartMarker, NamesEachConnectionOnce) {
  test::FakeRegistry registry;
  EXPECT_TRUE(RestartMarks(registry).empty());
  EXPECT_TRUE(MarkRestarting(registry, kA));
  EXPECT_TRUE(MarkRestarting(registry, AsciiLowerCase(kA)));
  EXPECT_TRUE(MarkRestarting(registry, kB));
  EXPECT_EQ(RestartMarks(registry), (std::vector<std::u16string>{kA, kB}));
  EXPECT_TRUE(registry.AdminOnly(reg::kLocalMachine, kSnapshotKey));
  EXPECT_TRUE(UnmarkRestarting(registry, AsciiLowerCase(kA)));
  EXPECT_EQ(RestartMarks(registry), std::vector<std::u16string>{kB});
  EXPECT_TRUE(UnmarkRestarting(registry, kB));
  EXPECT_FALSE(registry.Get(reg::kLocalMachine, kSnapshotKey, kRestartingValue));
  registry.PutString(reg::kLocalMachine, kSnapshotKey, kRestartingValue, reg::kMultiSz,
                     std::u16string(u"not a guid") + u'\0' + kA);
  EXPECT_EQ(RestartMarks(registry), std::vector<std::u16string>{kA});
}

}  // namespace
}  // namespace tw
