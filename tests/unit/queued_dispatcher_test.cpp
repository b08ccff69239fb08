// The test stand-in for the UI thread's hand-over: tests of worker threads rely on it to end their waits.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "fakes/queued_dispatcher.h"

namespace tw {
namespace {

using std::chrono::seconds;
using std::chrono::steady_clock;

TEST(QueuedDispatcher, ADeliveryCountedWhileTheConditionIsAskedEndsTheServeAtOnce) {
  test::QueuedDispatcher dispatcher;
  bool task_ran = false;  // written by the task, which runs on this thread
  std::promise<void> counted;
  std::future<void> worker_counted = counted.get_future();
  std::thread worker([&] {
    EXPECT_TRUE(dispatcher.Invoke([&] { task_ran = true; }));
    counted.set_value();
  });
  bool held = false;
  const auto start = steady_clock::now();
  const bool served = dispatcher.Serve(
      [&] {
        if (!task_ran) return false;
        if (!held) {
          // The worker counts its delivery while this answer is still "not yet".
          held = true;
          worker_counted.wait();
          return false;
        }
        return dispatcher.Delivered() >= 1;
      },
      seconds(20));
  worker.join();
  EXPECT_TRUE(served);
  EXPECT_TRUE(held);
  EXPECT_LT(steady_clock::now() - start, seconds(10));
}

}  // namespace
}  // namespace tw
