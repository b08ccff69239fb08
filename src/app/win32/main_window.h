// The Win32 main window: every control of the stored layout as a real child window, the view the window's
// logic (TFrmTempowave) works through, and the routing of control events to its handlers.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "app/form_view.h"
#include "app/main_form.h"
#include "platform/services.h"
#include "platform/win32/handles.h"
#include "ui/win32/status_strip.h"
#include "ui/win32/widget.h"

namespace tw::win {

class MainWindow final : public Widget, public IFormView, public INoticeHost {
 public:
  // `on_destroyed` runs when the window is destroyed; the program ends its message loop there.
  // `discovery`, when given, is collected at the load step instead of discovering there.
  MainWindow(const Services& services, std::function<void()> on_destroyed,
             AdapterDiscovery* discovery = nullptr);
  ~MainWindow() override;

  // Creates the window invisible with all its controls at the window's DPI, then raises OnCreate. False
  // when the window could not be made.
  bool Create();
  // The window's OnCreate event, FormCreate as stored; raised once inside Create, before the window is
  // shown. An error escaping it goes to the crash handler and the window is still created.
  std::function<void()> on_create;
  TFrmTempowave& Form() { return form_; }
  Widget* Control(Ctl control) const { return controls_[static_cast<size_t>(control)]; }
  HWND ControlHwnd(Ctl control) const;

  // IFormView.
  std::u16string Caption() const override;
  void SetCaption(const std::u16string& text) override;
  std::u16string ControlCaption(Ctl control) const override;
  void SetControlCaption(Ctl control, const std::u16string& text) override;
  bool Enabled(Ctl control) const override;
  void SetEnabled(Ctl control, bool enabled) override;
  bool Visible(Ctl control) const override;
  void SetVisible(Ctl control, bool visible) override;
  // The window's own visibility stays reachable beside the controls' (a widget like any other).
  using Widget::SetVisible;
  using Widget::Visible;
  bool Checked(Ctl control) const override;
  void SetChecked(Ctl control, bool checked) override;
  bool Down(Ctl control) const override;
  void SetDown(Ctl control, bool down) override;
  int ActivePage() const override;
  void SetActivePage(int page) override;
  void SetAnimating(bool animating) override;
  void ShowErrorBox(const std::u16string& text, const std::u16string& caption) override;
  void Close() override;
  void HoldOffShutdown(const std::u16string& reason) override;
  void AllowShutdown() override;
  void AttachThemeHelper() override;
  void FitLabelFont(Ctl label) override;
  void UseIconTitleFont() override;
  void SetApplicationTitle(const std::u16string& title) override;

  // INoticeHost: the strip takes a slot of its own below the layout; the window grows by it.
  StatusStrip* NoticeStrip() override;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  // The control's widget as the type its layout kind is made as. Any other type (or a control not made yet)
  // is a fault of this window's own code: it is raised with the control's name and reaches the crash
  // handler, never a null dereference.
  template <typename T>
  T& ControlAs(Ctl control) const;
  bool BuildControls();
  void RouteEvents();
  // Places every control from the 96-DPI layout, and the notice strip below it, at the current DPI.
  void Layout();
  void SizeAndCentre();
  // Corrects the window size so that the client area is the layout's plus the notice strip's slot. A
  // minimised window has no client area to measure: the fit waits for the restore.
  void FitClientArea();
  void BuildFonts();
  // The program's icon for the title bar and the taskbar, made at the current DPI.
  void SetIcons();
  void OnDpiChanged(int dpi, const RECT& suggested);

  TFrmTempowave form_;
  std::function<void()> on_destroyed_;
  std::vector<std::unique_ptr<Widget>> owned_;
  std::array<Widget*, static_cast<size_t>(Ctl::Count)> controls_{};
  unique_hfont font_;
  unique_hfont title_font_;
  unique_hicon big_icon_, small_icon_;
  StatusStrip* notice_ = nullptr;  // in owned_ once made
  int top_inset_ = 0;              // pixels the theme strip takes from the top of the client area
  bool fit_on_restore_ = false;
  bool shutdown_held_ = false;  // logoff and shutdown are held off
  bool reason_set_ = false;     // with the reason given to ShutdownBlockReasonCreate
  bool icon_title_font_ = false;
  bool title_fitted_ = false;
};

// The program's window and message loop: creates the main window, shows it and runs until it is closed.
void RunMainWindow(HINSTANCE instance, int show, AdapterDiscovery* discovery = nullptr);

}  // namespace tw::win
