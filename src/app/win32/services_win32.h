// The program's operating-system services: the Win32 implementations of the platform interfaces.
#pragma once

#include "platform/services.h"
#include "tuning/adapter_discovery.h"

namespace tw::win {

// The implementations live for the whole process (workers may still use them while it ends). Call on the
// UI thread.
Services MakeServices();

// Adapter discovery on a worker, through the same adapter facts and threads as MakeServices gives.
AdapterDiscovery StartAdapterDiscovery();

}  // namespace tw::win
