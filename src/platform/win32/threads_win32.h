// Detached worker threads straight from the C runtime's _beginthreadex: no thread bookkeeping of the
// pthreads layer, whose shared objects would otherwise stay with the process once two threads met in it.
#pragma once

#include "platform/threads.h"

namespace tw::win {

class Win32Threads final : public IThreads {
 public:
  bool StartDetached(std::function<void()> work) override;
};

}  // namespace tw::win
