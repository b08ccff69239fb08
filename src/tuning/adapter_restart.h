// Adapter restart and connectivity wait: the adapter's connection is switched off and on again on the calling
// (UI) thread, then a worker waits until the internet answers and hands `done` back to the UI thread.
#pragma once

#include <functional>
#include <string>

#include "platform/services.h"

namespace tw {

// Without a thread for the wait, `done` runs at once on the calling thread rather than never. The worker is
// neither recorded nor joined; its hand-over is dropped once the UI is gone.
void RestartAndAwaitInternet(const Services& services, const std::u16string& adapter_guid,
                             std::function<void()> done);

}  // namespace tw
