#include "app/restore_command.h"

#include "app/options.h"
#include "platform/machine_lock.h"
#include "platform/text.h"
#include "settings/config.h"
#include "tuning/adapter_choice.h"
#include "tuning/adapter_restart.h"
#include "tuning/record_store.h"

namespace tw {

bool IsRestoreCommand(std::u16string_view command_line) {
  const auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  while (!command_line.empty() && blank(command_line.front())) command_line.remove_prefix(1);
  while (!command_line.empty() && blank(command_line.back())) command_line.remove_suffix(1);
  return AsciiEqualsIgnoreCase(command_line, u"/restore");
}

int RunRestoreCommand(IRegistry& registry, IClock& clock, IAdapterFacts* adapters,
                      INetConnections* connections, IMachineLock* machine_lock, std::u16string* report) {
  const MachineLockScope machine(machine_lock);
  if (machine.taken() == LockTaken::Denied) return kRestoreNotAdministrator;
  if (!machine.held()) return kRestoreOtherCopy;
  // First a connection that an interrupted restart left off, so that discovery can find it again.
  const bool marked_back = SwitchMarkedBackOn(registry, connections, &clock);
  // The active adapter matters only without a record, and for the restart; without one (or when discovery
  // fails) the values are still given back.
  AdapterInfo adapter;
  try {
    if (!adapters || !FindActiveAdapter(*adapters, adapter)) adapter = {};
  } catch (...) {
    adapter = {};
  }
  const Reverted r = RevertTuning(registry, adapter.NetworkGUID, WithoutRecord::ResetRunsOwn);
  // Without a record and without an adapter the per-adapter values could not be looked at: they may still
  // hold Run's data, so this is not "everything is back".
  if (!r.unchecked.empty() && report) {
    *report += u"Not checked, no active network adapter was found: " + TargetNames(r.unchecked) + u"\r\n";
  }
  const bool all_checked = r.unchecked.empty();
  // Nothing of Run's on the machine: nothing to give back, nothing to restart, nothing to store.
  if (r.record == SnapshotState::None && r.reset == 0 && r.complete) {
    if (!marked_back) return kRestoreStayedOff;
    return all_checked ? kRestoreDone : kRestoreKeptBack;
  }
  if (!RestartConnections(connections, r.adapters, &clock, &registry) || !marked_back) {
    return kRestoreStayedOff;
  }
  if (!r.complete) return kRestoreKeptBack;
  if (r.record == SnapshotState::Held && !DropSnapshot(registry)) return kRestoreKeptBack;
  if (!all_checked) return kRestoreKeptBack;
  TConfig(registry, kOptionStore).WriteInteger(kStatusKey, 0);
  return kRestoreDone;
}

}  // namespace tw
