// The program's worker threads: each work on a thread of its own, nothing of the thread kept once it ends.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <vector>

#include "gui_objects.h"
#include "platform/win32/threads_win32.h"

namespace tw {
namespace {

// Waits up to five seconds for `done`.
template <typename Done>
bool WaitFor(Done done) {
  for (int i = 0; i < 500 && !done(); ++i) Sleep(10);
  return done();
}

TEST(Win32Threads, EachWorkRunsOnAThreadOfItsOwnAndLeavesNothingBehind) {
  win::Win32Threads threads;
  std::atomic<int> finished{0};
  ASSERT_TRUE(threads.StartDetached([&] { ++finished; }));  // what the first thread loads stays
  ASSERT_TRUE(WaitFor([&] { return finished == 1; }));
  Sleep(100);
  const DWORD handles = test::CountProcessHandles(GetCurrentProcessId());

  constexpr int kWorks = 20;
  std::vector<DWORD> ran_on(kWorks, 0);
  const auto held = std::make_shared<int>(0);  // each work holds a copy until it is destroyed
  for (int i = 0; i < kWorks; ++i) {
    ASSERT_TRUE(threads.StartDetached([&, i, held] {
      ran_on[i] = GetCurrentThreadId();
      ++finished;
    }));
  }
  ASSERT_TRUE(WaitFor([&] { return finished == kWorks + 1; }));
  EXPECT_TRUE(WaitFor([&] { return held.use_count() == 1; })) << held.use_count() - 1 << " works not freed";
  for (DWORD id : ran_on) EXPECT_NE(id, GetCurrentThreadId());
  // Threads still on their way out may hold a moment longer; a kept thread handle would stay for good.
  EXPECT_TRUE(WaitFor([&] { return test::CountProcessHandles(GetCurrentProcessId()) == handles; }))
      << "handles " << handles << " -> " << test::CountProcessHandles(GetCurrentProcessId());
}

TEST(Win32Threads, AnErrorLeavingTheWorkEndsOnlyItsThread) {
  win::Win32Threads threads;
  std::atomic<bool> after{false};
  ASSERT_TRUE(threads.StartDetached([] { throw std::runtime_error("escaped"); }));
  ASSERT_TRUE(threads.StartDetached([&] { after = true; }));
  EXPECT_TRUE(WaitFor([&] { return after.load(); }));
}

}  // namespace
}  // namespace tw
