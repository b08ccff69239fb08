#include "app/main_form.h"

#include <array>

#include "build_config.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace tw {

namespace {
constexpr std::array<const char16_t*, static_cast<size_t>(Ctl::Count)> kNames = {u"PnlMain",
                                                                                 u"Card1",
                                                                                 u"Indicator",
                                                                                 u"Card2",
                                                                                 u"GroupBox1",
                                                                                 u"LblTitle",
                                                                                 u"LblContent",
                                                                                 u"GroupBox2",
                                                                                 u"ChkTcpNoDelay",
                                                                                 u"ChkTCPAckFrequency",
                                                                                 u"LblAdapter",
                                                                                 u"LblIPAddress",
                                                                                 u"ChkTcpDelAckTick",
                                                                                 u"GroupBox3",
                                                                                 u"ChkNetworkThrottlingIndex",
                                                                                 u"ChkSystemResponsiveness",
                                                                                 u"PnlHead",
                                                                                 u"BtnHead",
                                                                                 u"BtnHome",
                                                                                 u"BtnConfig",
                                                                                 u"BtnDonate",
                                                                                 u"PnlLogo",
                                                                                 u"ImgLogo",
                                                                                 u"BtnStart",
                                                                                 u"LblVersion"};
}  // namespace

const char16_t* CtlName(Ctl control) {
  return kNames.at(static_cast<size_t>(control));
}

TFrmTempowave::TFrmTempowave(IFormView& view, const Services& services) : view_(view), services_(services) {}

std::u16string HomePageUrl() {
  return std::u16string(config::kLinkHost) + u"/tempowave";
}
std::u16string DonationPageUrl() {
  return std::u16string(config::kLinkHost) + u"/donate?tempowave";
}

void ShellOpen(const Services& services, const std::u16string& target) {
  if (services.shell) services.shell->Open(target);
}

void TFrmTempowave::BtnHomeClick(const std::u16string& sender_name) {
  // Component names are ASCII identifiers, so folding the ASCII letters is the whole of the
  // case-insensitive comparison here.
  static constexpr const char16_t* kSenders[] = {u"BtnHome", u"BtnConfig", u"BtnDonate", u"ImgLogo"};
  int position = -1;
  for (int i = 0; i < 4; ++i) {
    if (AsciiEqualsIgnoreCase(sender_name, kSenders[i])) {
      position = i;
      break;
    }
  }
  switch (position) {
    case 0:
      view_.SetDown(Ctl::BtnHome, true);
      view_.SetActivePage(0);
      break;
    case 1:
      view_.SetDown(Ctl::BtnConfig, true);
      view_.SetActivePage(1);
      break;
    case 2:
      ShellOpen(services_, DonationPageUrl());
      break;
    case 3:
      ShellOpen(services_, HomePageUrl());
      break;
    default:
      break;
  }
}

}  // namespace tw
