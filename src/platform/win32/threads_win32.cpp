#include "platform/win32/threads_win32.h"

#include <windows.h>
#include <process.h>

#include <memory>
#include <new>

namespace tw::win {
namespace {

unsigned __stdcall RunWork(void* parameter) {
  const std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
  try {
    (*work)();
  } catch (...) {
    // Nothing may leave a thread; the callers' work catches its own errors already.
  }
  return 0;
}

}  // namespace

bool Win32Threads::StartDetached(std::function<void()> work) {
  auto* parameter = new (std::nothrow) std::function<void()>(std::move(work));
  if (!parameter) return false;
  const auto thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, RunWork, parameter, 0, nullptr));
  if (!thread) {
    delete parameter;
    return false;
  }
  CloseHandle(thread);  // detached: the thread ends on its own and nobody waits for it
  return true;
}

}  // namespace tw::win
