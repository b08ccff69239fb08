#include "platform/threads.h"

#include <system_error>
#include <thread>

namespace tw {
namespace {

class StdThreads final : public IThreads {
 public:
  bool StartDetached(std::function<void()> work) override {
    try {
      std::thread(std::move(work)).detach();
      return true;
    } catch (const std::system_error&) {
      return false;
    }
  }
};

}  // namespace

IThreads& SystemThreads() {
  static IThreads* const threads = new StdThreads;
  return *threads;
}

}  // namespace tw
