#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

#include "platform/error.h"
#include "platform/win32/dispatcher_win32.h"

namespace tw::win {
namespace {

// Pumps messages on the UI thread until `done` is set by the worker.
void PumpUntil(const std::atomic<bool>& done) {
  MSG m;
  while (!done.load()) {
    if (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&m);
    } else {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
  }
}

TEST(UiDispatcher, RunsTasksOnTheUiThreadAndCarriesErrorsBack) {
  UiDispatcher& d = UiDispatcher::Instance();
  const DWORD ui = GetCurrentThreadId();
  DWORD ran_on = 0;
  bool delivered = false;
  std::u16string error;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    delivered = d.Invoke([&] { ran_on = GetCurrentThreadId(); });
    try {
      d.Invoke([] { throw Error(u"bad escape"); });
    } catch (const Error& e) {
      error = e.message();
    }
    done = true;
  });
  PumpUntil(done);
  worker.join();
  EXPECT_TRUE(delivered);
  EXPECT_EQ(ran_on, ui);
  EXPECT_EQ(error, u"bad escape");
  EXPECT_FALSE(d.Terminating());
}

}  // namespace
}  // namespace tw::win
