// The run state shown by the Run button, the spinner and the option boxes, and the options kept in the
// per-user store.
#include <array>

#include "app/main_form.h"
#include "app/options.h"
#include "i18n/translate.h"
#include "settings/config.h"
#include "tuning/network.h"

namespace tw {

namespace {

// Only the states the program itself stores are restored; anything else shows the idle look, since a busy
// look would have nothing to end it.
TStatus StoredStatus(std::int32_t stored) {
  const auto low = static_cast<std::uint8_t>(stored & 0xFF);
  return low == static_cast<std::uint8_t>(TStatus::stRunning) ? TStatus::stRunning : TStatus::stIdle;
}

}  // namespace

void TFrmTempowave::ApplyStatus(TStatus status, const std::u16string& message) {
  // The box comes first: while it is open the window keeps its previous look.
  if (!message.empty()) view_.ShowErrorBox(message, view_.Caption());

  switch (status) {
    case TStatus::stIdle:
      FStatus = TStatus::stIdle;
      view_.SetVisible(Ctl::Indicator, false);
      view_.SetAnimating(false);
      view_.SetControlCaption(Ctl::BtnStart, Translate(u"\uC2E4\uD589\uD558\uAE30"));  // "Run"
      view_.SetEnabled(Ctl::BtnStart, true);
      view_.SetDown(Ctl::BtnStart, false);
      SaveOptionValue(kStatusKey, 0);
      break;
    case TStatus::stRunning:
      FStatus = TStatus::stRunning;
      view_.SetVisible(Ctl::Indicator, false);
      view_.SetAnimating(false);
      view_.SetControlCaption(Ctl::BtnStart, Translate(u"\uC2E4\uD589\uC911"));  // "Running"
      view_.SetEnabled(Ctl::BtnStart, true);
      view_.SetDown(Ctl::BtnStart, true);
      SaveOptionValue(kStatusKey, 1);
      break;
    case TStatus::stBusy:
      FStatus = TStatus::stBusy;
      view_.SetVisible(Ctl::Indicator, true);
      view_.SetAnimating(true);
      view_.SetControlCaption(Ctl::BtnStart, u"");
      view_.SetEnabled(Ctl::BtnStart, false);
      view_.SetDown(Ctl::BtnStart, false);
      break;
  }
  // In the order the tweaks are applied.
  for (const Tweak& tweak : kTweaks) view_.SetEnabled(OptionOf(tweak.id).box, FStatus == TStatus::stIdle);
}

void TFrmTempowave::LoadAdapterAndOptions() {
  // Discovery writes as it walks; the fields take its result only when it found an adapter, so that a failure
  // part-way never leaves an unconfirmed adapter to be tuned.
  AdapterInfo info{NetworkName, NetworkGUID, NetworkIP};
  if (services_.adapters && FindActiveAdapter(*services_.adapters, info)) {
    NetworkName = info.NetworkName;
    NetworkGUID = info.NetworkGUID;
    NetworkIP = info.NetworkIP;
  } else {
    NetworkName = Translate(u"\uC54C\uC218\uC5C6\uC74C");  // "Unknown"
    NetworkGUID.clear();
    NetworkIP.clear();
  }
  view_.SetControlCaption(Ctl::LblAdapter, NetworkName);
  view_.SetControlCaption(Ctl::LblIPAddress, u"IP: " + NetworkIP);

  std::int32_t stored;
  {
    TConfig config(*services_.registry, kOptionStore);
    stored = config.ReadInteger(kStatusKey, 0);
    for (const Option& option : kOptions)
      AssignChecked(option.box, config.ReadBoolean(option.store_key, true));
  }
  ApplyStatus(StoredStatus(stored));
}

void TFrmTempowave::SaveOptionFlag(const std::u16string& key, bool value) {
  TConfig(*services_.registry, kOptionStore).WriteBoolean(key, value);
}

void TFrmTempowave::SaveOptionValue(const std::u16string& key, int value) {
  TConfig(*services_.registry, kOptionStore).WriteInteger(key, value);
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
