#include "app/win32/restore_win32.h"

#include "app/restore_command.h"
#include "platform/win32/adapters_win32.h"
#include "platform/win32/clock_win32.h"
#include "platform/win32/machine_lock_win32.h"
#include "platform/win32/netcon_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/standard_output_win32.h"
#include "tuning/adapter_restart.h"
#include "tuning/restart_marker.h"

namespace tw::win {

int RunRestore() {
  // Only what giving the values back needs: no dispatcher, no window, no update check.
  WinRegistry registry;
  SystemClock clock;
  Win32AdapterFacts adapters;
  Win32NetConnections connections;
  MachineLock machine_lock;
  std::u16string report;
  const int code = RunRestoreCommand(registry, clock, &adapters, &connections, &machine_lock, &report);
  WriteStandardOutput(report);
  return code;
}

void SwitchMarkedBackOnAtStart() {
  WinRegistry registry;
  // The common case, after every start that followed a whole restart: nothing is marked.
  if (RestartMarks(registry).empty()) return;
  MachineLock machine_lock;
  // Held elsewhere: that copy's restart is under way, and it switches its own connection back on.
  if (machine_lock.TryAcquire() != LockTaken::Held) return;
  SystemClock clock;
  Win32NetConnections connections;
  SwitchMarkedBackOn(registry, &connections, &clock);
  machine_lock.Release();
}

}  // namespace tw::win
