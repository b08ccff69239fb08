// What the main window's logic needs of its window: controls addressed by name, their captions, states and
// pages. The Win32 window implements it with real child windows; tests use a recording double.
#pragma once

#include <array>
#include <string>

namespace tw {

// The controls in stored order.
enum class Ctl {
  PnlMain,
  Card1,
  Indicator,
  Card2,
  GroupBox1,
  LblTitle,
  LblContent,
  GroupBox2,
  ChkTcpNoDelay,
  ChkTCPAckFrequency,
  LblAdapter,
  LblIPAddress,
  ChkTcpDelAckTick,
  GroupBox3,
  ChkNetworkThrottlingIndex,
  ChkSystemResponsiveness,
  PnlHead,
  BtnHead,
  BtnHome,
  BtnConfig,
  BtnDonate,
  PnlLogo,
  ImgLogo,
  BtnStart,
  LblVersion,
  Count
};

// The component name of a control ("BtnHome", ...).
const char16_t* CtlName(Ctl control);

// The header's controls, whose clicks all go to one handler (BtnHomeClick) that tells them apart by their
// component names.
inline constexpr std::array kHeaderSenders{Ctl::BtnHome, Ctl::BtnConfig, Ctl::BtnDonate, Ctl::ImgLogo};

class IFormView {
 public:
  virtual ~IFormView() = default;

  virtual std::u16string Caption() const = 0;  // the window's title bar text
  virtual void SetCaption(const std::u16string& text) = 0;

  virtual std::u16string ControlCaption(Ctl control) const = 0;
  // For the rich-text label this is its markup; for the spinner, panels and the image it is ignored.
  virtual void SetControlCaption(Ctl control, const std::u16string& text) = 0;
  virtual bool Enabled(Ctl control) const = 0;
  virtual void SetEnabled(Ctl control, bool enabled) = 0;
  virtual bool Visible(Ctl control) const = 0;
  virtual void SetVisible(Ctl control, bool visible) = 0;
  // Check boxes. Setting raises no event: the window's logic raises the click itself.
  virtual bool Checked(Ctl control) const = 0;
  virtual void SetChecked(Ctl control, bool checked) = 0;
  // The pressed look of the Run button and the toolbar buttons. Pressing a toolbar button releases the other
  // pressed button of its group.
  virtual bool Down(Ctl control) const = 0;
  virtual void SetDown(Ctl control, bool down) = 0;
  // The card panel's active page (0 home, 1 settings).
  virtual int ActivePage() const = 0;
  virtual void SetActivePage(int page) = 0;
  // The activity indicator's animation.
  virtual void SetAnimating(bool animating) = 0;
  // A modal error box owned by the application's hidden window (the main window stays enabled).
  virtual void ShowErrorBox(const std::u16string& text, const std::u16string& caption) = 0;
  virtual void Close() = 0;
  // While a Run or Run again is under way: logoff and shutdown are held off with this reason, and the end of
  // the session waits (bounded) for a connection switched off to be switched on again.
  virtual void HoldOffShutdown(const std::u16string& reason) = 0;
  virtual void AllowShutdown() = 0;

  // Creation-time decoration of the window.
  virtual void AttachThemeHelper() = 0;      // dark title bar and the activation strip
  virtual void FitLabelFont(Ctl label) = 0;  // shrinks the label's font until its caption fits
  virtual void UseIconTitleFont() = 0;       // the desktop icon-title font, following its changes
  virtual void SetApplicationTitle(const std::u16string& title) = 0;
};

}  // namespace tw
