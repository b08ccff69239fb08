// TFrmTempowave: creation, navigation, the run state and its options, Run and Run again.
#include "app/main_form.h"

#include <array>

#include "app/form_components.h"
#include "app/options.h"
#include "build_config.h"
#include "i18n/texts.h"
#include "i18n/translate.h"
#include "platform/fault_point.h"
#include "platform/machine_lock.h"
#include "platform/random.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "settings/config.h"
#include "tuning/adapter_choice.h"
#include "tuning/adapter_discovery.h"
#include "tuning/adapter_restart.h"
#include "tuning/record_store.h"
#include "tuning/tweaks.h"
#include "update/update.h"

namespace tw {
namespace {

constexpr std::array<const char16_t*, 3> kSlogans = {kTextSloganResponsiveness, kTextSloganLatency,
                                                     kTextSloganStability};
constexpr int kDialogOffset = 10;

// Only the states the program itself stores are restored; anything else shows the idle look, since a busy
// look would have nothing to end it.
TStatus StoredStatus(std::int32_t stored) {
  const auto low = static_cast<std::uint8_t>(stored & 0xFF);
  return low == static_cast<std::uint8_t>(TStatus::stRunning) ? TStatus::stRunning : TStatus::stIdle;
}

// What each run state shows.
struct StatusLook {
  TStatus status;
  bool spinner;
  const char16_t* caption;  // of the Run button; empty: none
  bool enabled;
  bool down;
  std::int32_t stored;  // -1: not stored (busy has nothing to end it after a restart)
};
constexpr StatusLook kLooks[] = {
    {TStatus::stIdle, false, kTextRun, true, false, 0},
    {TStatus::stRunning, false, kTextRunning, true, true, 1},
    {TStatus::stBusy, true, u"", false, false, -1},
};

}  // namespace

TFrmTempowave::TFrmTempowave(IFormView& view, const Services& services, AdapterDiscovery* discovery)
    : view_(view), services_(services), discovery_(discovery) {}

TFrmTempowave::~TFrmTempowave() {
  restarts_->WaitUntilNone(kRestartWaitLimit);
}

std::u16string HomePageUrl() {
  return std::u16string(config::kLinkHost) + u"/tempowave";
}
std::u16string DonationPageUrl() {
  return std::u16string(config::kLinkHost) + u"/donate?tempowave";
}

void ShellOpen(const Services& services, const std::u16string& target) {
  if (services.shell) services.shell->Open(target);
}

std::u16string SloganMarkup(int index) {
  return u"<C><FC:clGray>" + Translate(kSlogans.at(static_cast<size_t>(index))) + u"</FC></C>";
}

void TFrmTempowave::FormCreate() {
  // An accepted update has already opened its target: the program closes.
  IFormView& view = view_;
  UpdateProc on_update = [&view](bool accepted, const std::u16string&) {
    if (accepted) view.Close();
  };
  view_.AttachThemeHelper();
  TranslateForm(view_);
  // After translation: the title is fitted in the user's language.
  view_.FitLabelFont(Ctl::LblTitle);
  view_.UseIconTitleFont();
  view_.SetVisible(Ctl::Indicator, false);
  view_.SetVisible(Ctl::BtnDonate, false);
  view_.SetActivePage(0);
  view_.SetApplicationTitle(view_.Caption());
  const int slogan = services_.random ? static_cast<int>(services_.random->Next(3)) : 0;
  view_.SetControlCaption(Ctl::LblContent, SloganMarkup(slogan));
  view_.SetControlCaption(Ctl::LblVersion,
                          Translate(kTextVersion) + u": " + VersionText(services_.version, u"%d.%d.%d.%d"));
  LoadAdapterAndOptions();
  CheckUpdate(services_, config::kUpdateUrl, on_update, kDialogOffset);
}

void TFrmTempowave::BtnHomeClick(const std::u16string& sender_name) {
  // Component names are ASCII identifiers, so folding the ASCII letters is the whole of the
  // case-insensitive comparison here.
  Ctl sender = Ctl::Count;
  for (Ctl header : kHeaderSenders) {
    if (AsciiEqualsIgnoreCase(sender_name, CtlName(header))) {
      sender = header;
      break;
    }
  }
  switch (sender) {
    case Ctl::BtnHome:
      view_.SetDown(Ctl::BtnHome, true);
      view_.SetActivePage(0);
      break;
    case Ctl::BtnConfig:
      view_.SetDown(Ctl::BtnConfig, true);
      view_.SetActivePage(1);
      break;
    case Ctl::BtnDonate:
      ShellOpen(services_, DonationPageUrl());
      break;
    case Ctl::ImgLogo:
      ShellOpen(services_, HomePageUrl());
      break;
    default:
      break;
  }
}

void TFrmTempowave::BtnStartClick() {
  switch (FStatus) {
    case TStatus::stIdle:
      if (!NetworkGUID.empty()) {
        Start();
      } else {
        ApplyStatus(TStatus::stIdle, Translate(kTextNoActiveNetwork));
      }
      break;
    case TStatus::stRunning:
      Stop();
      break;
    case TStatus::stBusy:
      break;
  }
}

std::vector<TweakTarget> TFrmTempowave::CheckedTargets() const {
  std::vector<TweakTarget> targets;
  for (const Tweak& tweak : kTweaks) {
    if (view_.Checked(OptionOf(tweak.id).box)) {
      targets.push_back({tweak.id, PerInterface(tweak) ? NetworkGUID : u""});
    }
  }
  return targets;
}

LockTaken TFrmTempowave::TakeMachine() {
  const LockTaken taken = services_.machine_lock ? services_.machine_lock->TryAcquire() : LockTaken::Held;
  holds_machine_ = taken == LockTaken::Held;
  return taken;
}

void TFrmTempowave::LeaveMachine() {
  if (holds_machine_ && services_.machine_lock) services_.machine_lock->Release();
  holds_machine_ = false;
}

void TFrmTempowave::NotBegun(TStatus status, const std::u16string& message) {
  view_.AllowShutdown();
  LeaveMachine();
  changes_ = {};
  ApplyStatus(status, message);
}

void TFrmTempowave::Start() {
  // Another copy (another logon session's, or /restore) is changing the same machine, or this copy may not
  // change it at all: nothing is touched.
  if (const LockTaken taken = TakeMachine(); taken != LockTaken::Held) {
    return NotBegun(TStatus::stIdle, NotStartedMessage(NotStartedFor(taken)));
  }
  ApplyStatus(TStatus::stBusy);
  view_.HoldOffShutdown(ShutdownBlockMessage());
  // The machine's own values are recorded before the first write; a value that could not be recorded is
  // not changed, so that Run again can always give back what was there. Without a record nothing is
  // written, and nothing is restarted.
  const Capture capture = CaptureBeforeRun(services_.registry, CheckedTargets());
  switch (capture.refused) {
    case CaptureRefusal::RecordDamaged:
      return NotBegun(TStatus::stIdle, NotStartedMessage(NotStarted::RecordDamaged));
    case CaptureRefusal::RecordNotStored:
      return NotBegun(TStatus::stIdle, NotStartedMessage(NotStarted::RecordNotStored));
    case CaptureRefusal::None:
      break;
  }
  from_record_ = true;
  FaultPoint(kEndAfterRecord);
  std::vector<TweakTarget> unchanged = capture.left_alone;
  bool written = false;
  for (const TweakTarget& target : capture.writable) {
    if (written) FaultPoint(kEndBetweenWrites);
    if (ApplyTweak(services_.registry, TweakOf(target.tweak), target.adapter)) {
      written = true;
    } else {
      unchanged.push_back(target);
    }
  }
  // Every chosen value failed: there is nothing for a restart to bring into effect.
  if (!written && !unchanged.empty()) {
    return NotBegun(TStatus::stIdle, NotStartedMessage(NotStarted::NothingChanged, TargetNames(unchanged)));
  }
  changes_ = {{NetworkGUID}, false, false, false, TargetNames(unchanged)};
  Refresh(TStatus::stRunning);
}

void TFrmTempowave::Stop() {
  if (const LockTaken taken = TakeMachine(); taken != LockTaken::Held) {
    return NotBegun(TStatus::stRunning, NotStartedMessage(NotStartedFor(taken)));
  }
  ApplyStatus(TStatus::stBusy);
  view_.HoldOffShutdown(ShutdownBlockMessage());
  // Read again under the lock: the record this window started from may have been given back meanwhile by
  // another copy (another logon session's window, or /restore). The values are the machine's own again
  // then, even those that happen to equal Run's data: nothing is changed, and the window shows it.
  const Reverted r = RevertTuning(services_.registry, NetworkGUID,
                                  from_record_ ? WithoutRecord::ChangeNothing : WithoutRecord::ResetRunsOwn);
  if (from_record_ && r.record == SnapshotState::None) {
    from_record_ = false;
    return NotBegun(TStatus::stIdle, NotStartedMessage(NotStarted::GivenBackElsewhere));
  }
  FaultPoint(kEndAfterGiveBack);
  // Without a record only Run's own data was reset; a value whose data could not be read stays as it is.
  changes_ = {r.adapters, r.record != SnapshotState::None && !r.complete,
              r.record == SnapshotState::Held && r.complete, r.record == SnapshotState::Damaged, u""};
  Refresh(TStatus::stIdle);
}

void TFrmTempowave::Refresh(TStatus status) {
  if (changes_.adapters.empty()) changes_.adapters = {NetworkGUID};
  // The wait reaches the window only through the hand-over, which is dropped once the window is gone.
  TFrmTempowave* form = this;
  RestartAndAwaitInternet(
      services_, changes_.adapters,
      [form, status](bool reconnected, bool answered) { form->Conclude(status, reconnected, answered); },
      restarts_);
}

void TFrmTempowave::Conclude(TStatus target, bool reconnected, bool answered) {
  RunOutcome outcome{target == TStatus::stRunning, !reconnected,     reconnected && !answered,
                     changes_.kept_back,           changes_.damaged, changes_.unchanged};
  // After Run again the record goes once every value is back, also when a connection was left off (the user
  // is told to switch it on); otherwise the window returns to running and the next Run again gives the
  // values back once more.
  bool drop_record = changes_.drop_record;
  if (outcome.after_run && (outcome.stayed_off || outcome.unanswered)) {
    // The way back: Run's changes are given back and the window goes idle; after a silent network the
    // adapter is restarted once more so that they take effect.
    const Reverted r = RevertTuning(services_.registry, NetworkGUID, WithoutRecord::ChangeNothing);
    outcome.kept_back = !r.complete;
    drop_record = r.record == SnapshotState::Held && r.complete;
    if (outcome.unanswered) {
      // Restarted in the background like every restart; the window stays busy until it is over.
      TFrmTempowave* form = this;
      RestartInBackground(
          services_, r.adapters,
          [form, outcome, drop_record](bool back) mutable {
            outcome.stayed_off = !back;
            form->Finish(outcome, drop_record);
          },
          restarts_);
      return;
    }
  }
  Finish(outcome, drop_record);
}

void TFrmTempowave::Finish(const RunOutcome& outcome, bool drop_record) {
  // A record that could not be dropped is still there: the values are back, but the next start must not
  // take the machine for untuned on the strength of a record that says otherwise. It is stale then, and the
  // next start drops it.
  if (drop_record) DropSnapshot(services_.registry);
  Snapshot left;
  from_record_ = ReadSnapshot(services_.registry, &left) != SnapshotState::None;
  LeaveMachine();
  view_.AllowShutdown();
  changes_ = {};
  ApplyStatus(EndStatus(outcome), EndMessage(outcome));
}

void TFrmTempowave::ApplyStatus(TStatus status, const std::u16string& message) {
  // The box comes first: while it is open the window keeps its previous look.
  if (!message.empty()) view_.ShowErrorBox(message, view_.Caption());

  for (const StatusLook& look : kLooks) {
    if (look.status != status) continue;
    FStatus = status;
    view_.SetVisible(Ctl::Indicator, look.spinner);
    view_.SetAnimating(look.spinner);
    view_.SetControlCaption(Ctl::BtnStart, *look.caption ? Translate(look.caption) : std::u16string());
    view_.SetEnabled(Ctl::BtnStart, look.enabled);
    view_.SetDown(Ctl::BtnStart, look.down);
    if (look.stored >= 0) SaveOptionValue(kStatusKey, look.stored);
  }
  // In the order the tweaks are applied.
  for (const Tweak& tweak : kTweaks) view_.SetEnabled(OptionOf(tweak.id).box, FStatus == TStatus::stIdle);
}

void TFrmTempowave::LoadAdapterAndOptions() {
  // Discovery writes as it walks; the fields take its result only when it found an adapter, so that a failure
  // part-way never leaves an unconfirmed adapter to be tuned.
  AdapterInfo info{NetworkName, NetworkGUID, NetworkIP};
  // Discovery started at process start is collected here: its result, or its error, at this very step.
  const bool found = discovery_ ? discovery_->Collect(info)
                                : services_.adapters && FindActiveAdapter(*services_.adapters, info);
  if (found) {
    NetworkName = info.NetworkName;
    NetworkGUID = info.NetworkGUID;
    NetworkIP = info.NetworkIP;
  } else {
    NetworkName = Translate(kTextUnknown);
    NetworkGUID.clear();
    NetworkIP.clear();
  }
  view_.SetControlCaption(Ctl::LblAdapter, NetworkName);
  view_.SetControlCaption(Ctl::LblIPAddress, u"IP: " + NetworkIP);

  std::int32_t stored;
  {
    TConfig config(services_.registry, kOptionStore);
    stored = config.ReadInteger(kStatusKey, 0);
    for (const Option& option : kOptions)
      AssignChecked(option.box, config.ReadBoolean(option.store_key, true));
  }
  // The machine-wide record decides, for every user: running while a value it names still holds Run's data.
  // A record of which none does is stale (a Windows update, another tool or a system restore reset the
  // values, or a Run was cut off before its first write); it goes, so that the next Run records afresh, but
  // only while no other copy is changing the machine. Without a record the stored state decides, and a
  // stored running state counts only while one of the chosen values still holds Run's data.
  const bool stored_running = StoredStatus(stored) == TStatus::stRunning;
  StartState start = TunedAtStart(services_.registry, stored_running, CheckedTargets());
  if (start.stale) {
    // Judged again under the lock: a copy that held it may have just recorded a Run of its own.
    const MachineLockScope machine(services_.machine_lock);
    if (machine.held()) {
      start = TunedAtStart(services_.registry, stored_running, CheckedTargets());
      if (start.stale && DropSnapshot(services_.registry)) start.recorded = false;
    }
  }
  from_record_ = start.recorded;
  ApplyStatus(start.running ? TStatus::stRunning : TStatus::stIdle);
}

void TFrmTempowave::SaveOptionFlag(const std::u16string& key, bool value) {
  TConfig(services_.registry, kOptionStore).WriteBoolean(key, value);
}

void TFrmTempowave::SaveOptionValue(const std::u16string& key, int value) {
  TConfig(services_.registry, kOptionStore).WriteInteger(key, value);
}

void TFrmTempowave::AssignChecked(Ctl box, bool checked) {
  if (view_.Checked(box) == checked) return;
  view_.SetChecked(box, checked);
  ChkOptionClick(box);
}

void TFrmTempowave::ChkOptionClick(Ctl box) {
  if (const Option* option = OptionOfBox(box)) SaveOptionFlag(option->store_key, view_.Checked(box));
}

}  // namespace tw
