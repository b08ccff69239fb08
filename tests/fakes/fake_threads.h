// Threads that can be refused: a starter that runs nothing and says no thread could be started, or real
// threads with a count of what was started. On Windows they come, like the program's, straight from the C
// runtime's _beginthreadex: many short threads through the pthreads layer now and then hung a test under
// Wine, which the program, starting none that way, never meets.
#pragma once

#include <atomic>
#include <functional>

#include "platform/threads.h"

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#endif

namespace tw::test {

class FakeThreads final : public IThreads {
 public:
  bool StartDetached(std::function<void()> work) override {
    ++asked;
    if (refuse) return false;
#ifdef _WIN32
    auto* parameter = new std::function<void()>(std::move(work));
    const auto thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &Run, parameter, 0, nullptr));
    if (!thread) {
      delete parameter;
      return false;
    }
    CloseHandle(thread);
    return true;
#else
    return SystemThreads().StartDetached(std::move(work));
#endif
  }

  std::atomic<bool> refuse{false};
  std::atomic<int> asked{0};

#ifdef _WIN32
 private:
  static unsigned __stdcall Run(void* parameter) {
    auto* work = static_cast<std::function<void()>*>(parameter);
    try {
      (*work)();
    } catch (...) {
      // As the program's threads: nothing leaves the thread.
    }
    delete work;
    return 0;
  }
#endif
};

}  // namespace tw::test
