#include "app/main_layout.h"

#include <array>
#include <stdexcept>

#include "i18n/texts.h"

namespace tw {
namespace {

using K = ControlKind;

// The option check boxes sit on one grid in every group box: two columns, a row per 32 pixels.
constexpr LayoutRect OptionBoxRect(int column, int row) {
  return {17 + column * 226, 32 + row * 32, 200, 17};
}

constexpr std::array<ControlSpec, static_cast<size_t>(Ctl::Count)> kLayout = {{
    {Ctl::PnlMain, std::nullopt, K::CardPanel, {0, 50, 498, 376}, u""},
    {Ctl::Card1, Ctl::PnlMain, K::Card, {0, 0, 498, 376}, u""},
    {Ctl::LblTitle, Ctl::Card1, K::Label, {8, 40, 484, 81}, kTextTempowave},
    {Ctl::LblContent, Ctl::Card1, K::RichLabel, {0, 188, 500, 33}, u""},
    {Ctl::BtnStart, Ctl::Card1, K::StyledButton, {176, 264, 162, 68}, kTextRun},
    {Ctl::Indicator, Ctl::Card1, K::Indicator, {241, 282, 32, 32}, u""},
    {Ctl::Card2, Ctl::PnlMain, K::Card, {0, 0, 498, 376}, u""},
    {Ctl::LblVersion, Ctl::Card2, K::Label, {15, 344, 100, 15}, u"Loadiing..."},
    {Ctl::GroupBox1, Ctl::Card2, K::GroupBox, {15, 6, 474, 67}, kTextAdapterGroup},
    {Ctl::LblAdapter, Ctl::GroupBox1, K::Label, {17, 32, 304, 15}, u"..."},
    {Ctl::LblIPAddress, Ctl::GroupBox1, K::Label, {344, 32, 109, 15}, u"..."},
    {Ctl::GroupBox2, Ctl::Card2, K::GroupBox, {15, 87, 474, 98}, kTextNagleGroup},
    {Ctl::ChkTcpNoDelay, Ctl::GroupBox2, K::CheckBox, OptionBoxRect(0, 1), u"TcpNoDelay"},
    {Ctl::ChkTCPAckFrequency, Ctl::GroupBox2, K::CheckBox, OptionBoxRect(0, 0), u"TcpAckFrequency"},
    {Ctl::ChkTcpDelAckTick, Ctl::GroupBox2, K::CheckBox, OptionBoxRect(1, 0), u"TcpDelAckTick"},
    {Ctl::GroupBox3, Ctl::Card2, K::GroupBox, {15, 199, 474, 66}, kTextThrottlingGroup},
    {Ctl::ChkNetworkThrottlingIndex, Ctl::GroupBox3, K::CheckBox, OptionBoxRect(0, 0),
     u"NetworkThrottlingIndex"},
    {Ctl::ChkSystemResponsiveness, Ctl::GroupBox3, K::CheckBox, OptionBoxRect(1, 0), u"SystemResponsiveness"},
    {Ctl::PnlHead, std::nullopt, K::Panel, {0, 0, 498, 50}, u""},
    {Ctl::BtnHead, Ctl::PnlHead, K::Toolbar, {10, 10, 358, 30}, u""},
    {Ctl::BtnHome, Ctl::BtnHead, K::ToolbarButton, ToolbarButtonRect(0), kTextHome},
    {Ctl::BtnConfig, Ctl::BtnHead, K::ToolbarButton, ToolbarButtonRect(1), kTextConfig},
    {Ctl::BtnDonate, Ctl::BtnHead, K::ToolbarButton, ToolbarButtonRect(2), kTextDonate},
    {Ctl::PnlLogo, Ctl::PnlHead, K::Panel, {378, 0, 120, 50}, u""},
    {Ctl::ImgLogo, Ctl::PnlLogo, K::VectorImage, {3, 0, 112, 50}, u""},
}};

}  // namespace

std::span<const ControlSpec> MainLayout() {
  return kLayout;
}

const ControlSpec& SpecOf(Ctl control) {
  for (const auto& entry : kLayout) {
    if (entry.control == control) return entry;
  }
  throw std::out_of_range("no layout entry for this control");
}

LayoutRect ScaledRect(Ctl control, int dpi, int top_inset) {
  LayoutRect r = Scale(SpecOf(control).rect, dpi);
  if (control == Ctl::PnlHead || control == Ctl::PnlMain) r.top += top_inset;
  // The body and its pages fill what is left under the header.
  if (control == Ctl::PnlMain || control == Ctl::Card1 || control == Ctl::Card2) r.height -= top_inset;
  if (control != Ctl::Indicator) return r;
  const LayoutRect button = Scale(SpecOf(Ctl::BtnStart).rect, dpi);
  return {button.left + (button.width - r.width) / 2, button.top + (button.height - r.height) / 2, r.width,
          r.height};
}

}  // namespace tw
