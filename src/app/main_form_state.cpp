// The run state shown by the Run button, the spinner and the option boxes, and the options kept in the
// per-user store.
#include <array>

#include "app/main_form.h"
#include "i18n/translate.h"
#include "settings/config.h"
#include "tuning/adapter_discovery.h"
#include "tuning/network.h"

namespace tw {

namespace {

constexpr char16_t kStore[] = u"Tempowave";

// The option boxes in the order their enabled state is set.
constexpr std::array<Ctl, 5> kOptionBoxes = {Ctl::ChkTCPAckFrequency, Ctl::ChkTcpDelAckTick,
                                             Ctl::ChkTcpNoDelay, Ctl::ChkNetworkThrottlingIndex,
                                             Ctl::ChkSystemResponsiveness};

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
      SaveOptionValue(u"status", 0);
      break;
    case TStatus::stRunning:
      FStatus = TStatus::stRunning;
      view_.SetVisible(Ctl::Indicator, false);
      view_.SetAnimating(false);
      view_.SetControlCaption(Ctl::BtnStart, Translate(u"\uC2E4\uD589\uC911"));  // "Running"
      view_.SetEnabled(Ctl::BtnStart, true);
      view_.SetDown(Ctl::BtnStart, true);
      SaveOptionValue(u"status", 1);
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
  for (Ctl box : kOptionBoxes) view_.SetEnabled(box, FStatus == TStatus::stIdle);
}

void TFrmTempowave::LoadAdapterAndOptions() {
  // Discovery writes as it walks; the fields take its result only when it found an adapter, so that a failure
  // part-way never leaves an unconfirmed adapter to be tuned.
  AdapterInfo info{NetworkName, NetworkGUID, NetworkIP};
  // Discovery started at process start is collected here: its result, or its error, at this very step.
  const bool found = services_.discovery ? services_.discovery->Collect(info)
                                         : services_.adapters && FindActiveAdapter(*services_.adapters, info);
  if (found) {
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
    TConfig config(*services_.registry, kStore);
    stored = config.ReadInteger(u"status", 0);
    AssignChecked(Ctl::ChkTcpNoDelay, config.ReadBoolean(u"tcpnodelay", true));
    AssignChecked(Ctl::ChkTCPAckFrequency, config.ReadBoolean(u"tcpackfrequency", true));
    AssignChecked(Ctl::ChkTcpDelAckTick, config.ReadBoolean(u"tcpdelacktick", true));
    AssignChecked(Ctl::ChkNetworkThrottlingIndex, config.ReadBoolean(u"networkthrottleindex", true));
    AssignChecked(Ctl::ChkSystemResponsiveness, config.ReadBoolean(u"systemresponsiveness", true));
  }
  ApplyStatus(StoredStatus(stored));
}

void TFrmTempowave::SaveOptionFlag(const std::u16string& key, bool value) {
  TConfig(*services_.registry, kStore).WriteBoolean(key, value);
}

void TFrmTempowave::SaveOptionValue(const std::u16string& key, int value) {
  TConfig(*services_.registry, kStore).WriteInteger(key, value);
}

void TFrmTempowave::AssignChecked(Ctl box, bool checked) {
  if (view_.Checked(box) == checked) return;
  view_.SetChecked(box, checked);
  switch (box) {
    case Ctl::ChkTcpNoDelay:
      ChkTcpNoDelayClick();
      break;
    case Ctl::ChkTCPAckFrequency:
      ChkTCPAckFrequencyClick();
      break;
    case Ctl::ChkTcpDelAckTick:
      ChkTcpDelAckTickClick();
      break;
    case Ctl::ChkNetworkThrottlingIndex:
      ChkNetworkThrottlingIndexClick();
      break;
    case Ctl::ChkSystemResponsiveness:
      ChkSystemResponsivenessClick();
      break;
    default:
      break;
  }
}

void TFrmTempowave::ChkTcpNoDelayClick() {
  SaveOptionFlag(u"tcpnodelay", view_.Checked(Ctl::ChkTcpNoDelay));
}

void TFrmTempowave::ChkTCPAckFrequencyClick() {
  SaveOptionFlag(u"tcpackfrequency", view_.Checked(Ctl::ChkTCPAckFrequency));
}

void TFrmTempowave::ChkTcpDelAckTickClick() {
  SaveOptionFlag(u"tcpdelacktick", view_.Checked(Ctl::ChkTcpDelAckTick));
}

void TFrmTempowave::ChkNetworkThrottlingIndexClick() {
  SaveOptionFlag(u"networkthrottleindex", view_.Checked(Ctl::ChkNetworkThrottlingIndex));
}

void TFrmTempowave::ChkSystemResponsivenessClick() {
  SaveOptionFlag(u"systemresponsiveness", view_.Checked(Ctl::ChkSystemResponsiveness));
}

}  // namespace tw
