// TFrmTempowave: the logic of the program's only window, written against IFormView so that it runs in
// native tests. The Win32 window (app/win32/main_window.*) builds the controls and routes their events here.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/form_view.h"
#include "app/run_outcome.h"
#include "app/status.h"
#include "platform/services.h"
#include "tuning/adapter_restart.h"
#include "tuning/tweaks.h"

namespace tw {

class AdapterDiscovery;

class TFrmTempowave {
 public:
  // `discovery`, when given, was started at process start and is collected at the load step instead of
  // discovering there.
  TFrmTempowave(IFormView& view, const Services& services, AdapterDiscovery* discovery = nullptr);
  // Waits, at most kRestartWaitLimit, for an adapter restart under way: cut off between its disconnect and
  // its connect, it would leave the machine offline.
  ~TFrmTempowave();
  TFrmTempowave(const TFrmTempowave&) = delete;
  TFrmTempowave& operator=(const TFrmTempowave&) = delete;

  // Event handlers, named after the control and the event.
  void FormCreate();
  void BtnHomeClick(const std::u16string& sender_name);
  void BtnStartClick();
  // Any of the five option boxes: stores its checked state under its key.
  void ChkOptionClick(Ctl box);

  // Run operations.
  void Start();
  void Stop();
  void Refresh(TStatus status);
  // The end of the session (WM_ENDSESSION): waits at most `limit` for a restart under way; true when none is.
  bool WaitForRestarts(std::chrono::milliseconds limit) { return restarts_->WaitUntilNone(limit); }

  TStatus Status() const { return FStatus; }
  const std::u16string& AdapterName() const { return NetworkName; }
  const std::u16string& AdapterGuid() const { return NetworkGUID; }
  const std::u16string& AdapterIp() const { return NetworkIP; }

 private:
  friend class TFrmTempowaveTestAccess;  // tests drive the private state operations directly

  void ApplyStatus(TStatus status, const std::u16string& message = {});
  void LoadAdapterAndOptions();
  void SaveOptionFlag(const std::u16string& key, bool value);
  void SaveOptionValue(const std::u16string& key, int value);
  // Assigning a check box's state counts as a click whenever it changes the state.
  void AssignChecked(Ctl box, bool checked);
  // The values the checked boxes select, for the adapter found at start.
  std::vector<TweakTarget> CheckedTargets() const;
  // The end of Run (target stRunning) or Run again (stIdle), on the UI thread: `reconnected` when every
  // restarted connection came back, `answered` when a probe answered after that.
  void Conclude(TStatus target, bool reconnected, bool answered);

  // The end of Conclude, once a restart that giving Run's changes back needed is over.
  void Finish(const RunOutcome& outcome, bool drop_record);
  // The machine-wide lock, held from the first read of Run or Run again to the end of Finish.
  LockTaken TakeMachine();
  void LeaveMachine();
  // Back to `status` with a message, for a Run or Run again that did not begin.
  void NotBegun(TStatus status, const std::u16string& message);

  IFormView& view_;
  Services services_;
  AdapterDiscovery* discovery_;
  std::shared_ptr<RestartsUnderWay> restarts_ = std::make_shared<RestartsUnderWay>();  // shared with workers
  TStatus FStatus = TStatus::stIdle;
  std::u16string NetworkName;
  std::u16string NetworkGUID;
  std::u16string NetworkIP;
  RunChanges changes_;  // what the Run or Run again in progress changed
  bool holds_machine_ = false;
  // The window's state came from a record of the machine's own values (at start, or from this window's Run).
  // Run again then gives back that record and nothing else: once another copy has given it back, there is
  // nothing of Run's left to reset.
  bool from_record_ = false;
};

// Opens a web address, document or program through the shell's "open" verb.
void ShellOpen(const Services& services, const std::u16string& target);

// The slogan `index` (0 to 2) in the current language, as the rich-text label's markup.
std::u16string SloganMarkup(int index);

// The two link destinations on the maker's link host.
std::u16string HomePageUrl();
std::u16string DonationPageUrl();

}  // namespace tw
