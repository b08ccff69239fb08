#include "app/win32/restore_win32.h"

#include "app/restore_command.h"
#include "platform/win32/adapters_win32.h"
#include "platform/win32/clock_win32.h"
#include "platform/win32/netcon_win32.h"
#include "platform/win32/registry_win32.h"

namespace tw::win {

int RunRestore() {
  // Only what giving the values back needs: no dispatcher, no window, no update check.
  WinRegistry registry;
  SystemClock clock;
  Win32AdapterFacts adapters;
  Win32NetConnections connections;
  return RunRestoreCommand(registry, clock, &adapters, &connections);
}

}  // namespace tw::win
