#include "app/form_view.h"

#include <array>

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

}  // namespace tw
