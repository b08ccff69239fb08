#include "app/win32/main_window.h"

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <string>

#include "app/main_layout.h"
#include "app/options.h"
#include "app/win32/services_win32.h"
#include "crash/win32/crash_handler.h"
#include "platform/win32/dispatcher_win32.h"
#include "platform/text.h"
#include "platform/win32/messages.h"
#include "platform/win32/wstr.h"
#include "tuning/adapter_restart.h"
#include "theme/win32/fit_label_font.h"
#include "theme/win32/theme_helper.h"
#include "ui/win32/activity_indicator.h"
#include "platform/win32/application.h"
#include "platform/win32/dpi_win32.h"
#include "ui/win32/panel.h"
#include "ui/win32/rich_label.h"
#include "ui/win32/standard_controls.h"
#include "ui/win32/styled_button.h"
#include "ui/win32/toolbar.h"
#include "ui/win32/vector_image.h"

namespace tw::win {
namespace {

constexpr wchar_t kClassName[] = L"TFrmTempowave";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
// The taskbar button belongs to the main window itself.
constexpr DWORD kExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
constexpr int kPageButtonGroup = 1;
constexpr UINT kErrorBoxFlags = 0x00050010;  // MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST

const char16_t* const kStyleFamily = u"Vantorel";
const char16_t* const kStyleClass = u"Primary";

std::u16string WindowText(HWND hwnd) {
  std::u16string text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, u'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, W(text), static_cast<int>(text.size()))));
  return text;
}

unique_hfont MakeFont(const wchar_t* face, int height, int quality = DEFAULT_QUALITY) {
  LOGFONTW lf{};
  lf.lfHeight = -height;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = static_cast<BYTE>(quality);
  lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
  return unique_hfont(CreateFontIndirectW(&lf));
}

// How each kind of control of the layout is made; nullptr when its window could not be created.
using Maker = std::unique_ptr<Widget> (*)(HWND parent, int id, const ControlSpec& entry);

template <typename T>
std::unique_ptr<Widget> Made(std::unique_ptr<T> widget, bool created) {
  return created ? std::move(widget) : nullptr;
}
template <typename T>
std::unique_ptr<Widget> Plain(HWND parent, int id, const ControlSpec&) {
  auto w = std::make_unique<T>();
  const bool ok = w->Create(parent, id);
  return Made(std::move(w), ok);
}
template <typename T>
std::unique_ptr<Widget> Captioned(HWND parent, int id, const ControlSpec& entry) {
  auto w = std::make_unique<T>();
  const bool ok = w->Create(parent, id, entry.caption);
  return Made(std::move(w), ok);
}
std::unique_ptr<Widget> MakeLabel(HWND parent, int id, const ControlSpec& entry) {
  auto w = std::make_unique<Label>();
  const bool ok = w->Create(parent, id, entry.caption, entry.control == Ctl::LblTitle);
  return Made(std::move(w), ok);
}
std::unique_ptr<Widget> MakeButton(HWND parent, int id, const ControlSpec& entry) {
  auto w = std::make_unique<StyledButton>();
  const bool ok = w->Create(parent, id, entry.caption, WS_TABSTOP);
  w->SetStyle(kStyleFamily, kStyleClass, u"Outline");
  return Made(std::move(w), ok);
}
std::unique_ptr<Widget> MakeIndicator(HWND parent, int id, const ControlSpec&) {
  auto w = std::make_unique<ActivityIndicator>();
  const bool ok = w->Create(parent, id);
  // Laid over the Run button, so above it.
  if (ok) SetWindowPos(w->hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return Made(std::move(w), ok);
}
std::unique_ptr<Widget> MakeToolbarButton(HWND parent, int id, const ControlSpec& entry) {
  auto w = std::make_unique<StyledButton>();
  const bool ok = w->Create(parent, id, entry.caption);
  w->SetStyle(kStyleFamily, kStyleClass, u"Header");
  w->SetGroup(kPageButtonGroup);
  return Made(std::move(w), ok);
}
std::unique_ptr<Widget> MakeLogo(HWND parent, int id, const ControlSpec&) {
  auto w = std::make_unique<VectorImage>();
  const bool ok = w->Create(parent, id);
  w->SetSvg(ResourceBytes(L"LOGO"));
  return Made(std::move(w), ok);
}

constexpr struct {
  ControlKind kind;
  Maker make;
} kMakers[] = {
    {ControlKind::CardPanel, Plain<CardPanel>},
    {ControlKind::Card, Plain<Panel>},
    {ControlKind::Panel, Plain<Panel>},
    {ControlKind::Label, MakeLabel},
    {ControlKind::RichLabel, Plain<RichLabel>},
    {ControlKind::StyledButton, MakeButton},
    {ControlKind::Indicator, MakeIndicator},
    {ControlKind::GroupBox, Captioned<GroupBox>},
    {ControlKind::CheckBox, Captioned<CheckBox>},
    {ControlKind::Toolbar, Plain<Toolbar>},
    {ControlKind::ToolbarButton, MakeToolbarButton},
    {ControlKind::VectorImage, MakeLogo},
};

Maker MakerOf(ControlKind kind) {
  for (const auto& m : kMakers) {
    if (m.kind == kind) return m.make;
  }
  return [](HWND, int, const ControlSpec&) -> std::unique_ptr<Widget> { return nullptr; };
}

}  // namespace

MainWindow::MainWindow(const Services& services, std::function<void()> on_destroyed,
                       AdapterDiscovery* discovery)
    : on_create([this] { form_.FormCreate(); }),
      form_(*this, services, discovery),
      on_destroyed_(std::move(on_destroyed)) {}

MainWindow::~MainWindow() {
  // Destroy the window while this object and its widgets are whole: WM_DESTROY still reaches us.
  if (hwnd_) DestroyWindow(hwnd_);
}

bool MainWindow::Create() {
  RegisterWidgetClass(kClassName);
  // Created invisible: FormCreate runs inside WM_CREATE, and the caller shows the window afterwards.
  return CreateOwn(kClassName, kExStyle, kStyle, nullptr, 0, kStoredWindowCaption) && hwnd_ != nullptr;
}

template <typename T>
T& MainWindow::ControlAs(Ctl control) const {
  if (auto* widget = dynamic_cast<T*>(Control(control))) return *widget;
  throw std::logic_error("the control " + EncodeUtf8(CtlName(control)) + " is not of the kind asked for");
}

HWND MainWindow::ControlHwnd(Ctl control) const {
  Widget* w = Control(control);
  return w ? w->hwnd() : nullptr;
}

bool MainWindow::BuildControls() {
  for (const ControlSpec& entry : MainLayout()) {
    HWND parent = entry.parent ? ControlHwnd(*entry.parent) : hwnd_;
    std::unique_ptr<Widget> widget = MakerOf(entry.kind)(parent, ControlId(entry.control), entry);
    if (!widget) return false;
    controls_[static_cast<size_t>(entry.control)] = widget.get();
    owned_.push_back(std::move(widget));
    // Containers learn about their parts once both exist.
    if (entry.kind == ControlKind::Card)
      ControlAs<CardPanel>(*entry.parent).AddPage(&ControlAs<Widget>(entry.control));
    if (entry.kind == ControlKind::ToolbarButton)
      ControlAs<Toolbar>(*entry.parent).AddButton(&ControlAs<StyledButton>(entry.control));
  }
  // The stored layout: home page active, its button pressed.
  ControlAs<CardPanel>(Ctl::PnlMain).SetActivePage(0);
  ControlAs<StyledButton>(Ctl::BtnHome).SetDown(true);
  return true;
}

void MainWindow::RouteEvents() {
  for (Ctl sender : kHeaderSenders) {
    std::function<void()> click = [this, sender] { form_.BtnHomeClick(CtlName(sender)); };
    if (SpecOf(sender).kind == ControlKind::VectorImage)
      ControlAs<VectorImage>(sender).on_click = std::move(click);
    else
      ControlAs<StyledButton>(sender).on_click = std::move(click);
  }
  ControlAs<StyledButton>(Ctl::BtnStart).on_click = [this] { form_.BtnStartClick(); };
  for (const Option& option : kOptions) {
    ControlAs<CheckBox>(option.box).on_click = [this, box = option.box] { form_.ChkOptionClick(box); };
  }
}

void MainWindow::BuildFonts() {
  unique_hfont font;
  if (icon_title_font_) {
    const LOGFONTW lf = IconTitleFont(dpi_);
    font.reset(CreateFontIndirectW(&lf));
  } else {
    font = MakeFont(W(std::u16string(kWindowFontFace)), Scale(kWindowFontHeight, dpi_));
  }
  unique_hfont title =
      MakeFont(W(std::u16string(kTitleFontFace)), Scale(kTitleFontHeight, dpi_), ANTIALIASED_QUALITY);
  for (const ControlSpec& entry : MainLayout()) {
    // The title label keeps its own font; every other control takes the window's.
    HFONT f = entry.control == Ctl::LblTitle ? title.get() : font.get();
    SendMessageW(ControlHwnd(entry.control), WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
  }
  if (notice_) notice_->SetFontFrom(font.get());
  // The old fonts go only now that no control draws with them.
  font_ = std::move(font);
  title_font_ = std::move(title);
  // A title that had to shrink to fit is fitted again in the new font.
  if (title_fitted_) tw::win::FitLabelFont(ControlHwnd(Ctl::LblTitle));
}

void MainWindow::Layout() {
  for (const ControlSpec& entry : MainLayout()) {
    Widget& w = ControlAs<Widget>(entry.control);
    w.SetDpi(dpi_);
    // Toolbar buttons are placed by their toolbar, in the slots of the visible ones.
    if (entry.kind != ControlKind::ToolbarButton) w.SetBounds(ScaledRect(entry.control, dpi_, top_inset_));
  }
  ControlAs<Toolbar>(Ctl::BtnHead).Relayout();
  if (notice_) {
    notice_->SetDpi(dpi_);
    notice_->SetBounds(
        {0, Scale(kClientHeight, dpi_), Scale(kClientWidth, dpi_), Scale(StatusStrip::kHeight, dpi_)});
  }
}

StatusStrip* MainWindow::NoticeStrip() {
  if (notice_) return notice_;
  auto strip = std::make_unique<StatusStrip>();
  if (!strip->Create(hwnd_, kStatusBarId)) return nullptr;
  notice_ = strip.get();
  owned_.push_back(std::move(strip));
  notice_->SetFontFrom(font_.get());
  Layout();
  FitClientArea();
  return notice_;
}

void MainWindow::SizeAndCentre() {
  const RECT frame =
      WindowRectForClient(Scale(kClientWidth, dpi_), Scale(kClientHeight, dpi_), kStyle, kExStyle, dpi_);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  MONITORINFO mi{sizeof(mi), {}, {}, 0};
  GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &mi);
  const RECT& screen = mi.rcMonitor;
  auto centre = [&](int w, int h, UINT flags) {
    SetWindowPos(hwnd_, nullptr, screen.left + (screen.right - screen.left - w) / 2,
                 screen.top + (screen.bottom - screen.top - h) / 2, w, h,
                 flags | SWP_NOZORDER | SWP_NOACTIVATE);
  };
  centre(width, height, 0);
  FitClientArea();
  // Centre again with the final size.
  RECT wr;
  GetWindowRect(hwnd_, &wr);
  centre(wr.right - wr.left, wr.bottom - wr.top, SWP_NOSIZE);
}

void MainWindow::FitClientArea() {
  if (IsIconic(hwnd_)) {
    fit_on_restore_ = true;
    return;
  }
  // The frame does not always measure what the adjustment for the DPI assumed (a system whose caption keeps
  // its size across monitors); the client area is what the layout needs, so correct by the difference.
  RECT client, wr;
  GetClientRect(hwnd_, &client);
  GetWindowRect(hwnd_, &wr);
  const int strip = notice_ ? Scale(StatusStrip::kHeight, dpi_) : 0;
  const int dw = Scale(kClientWidth, dpi_) - client.right;
  const int dh = Scale(kClientHeight, dpi_) + strip - client.bottom;
  if (dw == 0 && dh == 0) return;
  SetWindowPos(hwnd_, nullptr, 0, 0, wr.right - wr.left + dw, wr.bottom - wr.top + dh,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::SetIcons() {
  // Set before the ones they replace are destroyed.
  unique_hicon large_icon =
      LoadIconAtSize(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), LargeIconSize(dpi_));
  unique_hicon small_icon =
      LoadIconAtSize(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), SmallIconSize(dpi_));
  if (large_icon) SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large_icon.get()));
  if (small_icon) SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon.get()));
  if (large_icon) big_icon_ = std::move(large_icon);
  if (small_icon) small_icon_ = std::move(small_icon);
}

void MainWindow::OnDpiChanged(int dpi, const RECT& suggested) {
  dpi_ = dpi;
  SetIcons();
  Layout();
  BuildFonts();
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  FitClientArea();
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = 0;
  if (ReflectToChild(msg, wp, lp, result)) return result;
  switch (msg) {
    case WM_CREATE: {
      Application::SetMainWindow(hwnd_);
      dpi_ = WindowDpi(hwnd_);
      SetIcons();
      if (!BuildControls()) return -1;
      RouteEvents();
      BuildFonts();
      Layout();
      SizeAndCentre();
      try {
        if (on_create) on_create();
      } catch (...) {
        // The window is still created and shown; the steps after the failing one are skipped.
        HandleUiException(std::current_exception());
      }
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return WhiteCtlColor(wp);
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_.get());  // the window's font, which its controls take
    case WM_TW_THEME_STRIP:
      top_inset_ = static_cast<int>(wp);
      Layout();
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(LOWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_SIZE:
      if (wp == SIZE_RESTORED && fit_on_restore_) {
        fit_on_restore_ = false;
        FitClientArea();
      }
      break;
    case WM_SETTINGCHANGE:
      if (icon_title_font_ && (wp == SPI_SETICONTITLELOGFONT || wp == SPI_SETNONCLIENTMETRICS)) {
        BuildFonts();
      }
      break;
    case WM_QUERYENDSESSION:
      // A connection may be switched off at this moment: the user sees the reason and decides.
      return shutdown_held_ ? FALSE : TRUE;
    case WM_ENDSESSION:
      // The session ends all the same: the process is ended once this returns, so a connection switched off
      // for the restart is waited for (bounded), and one still off is left to the restart marker.
      if (wp) form_.WaitForRestarts(kRestartWaitLimit);
      return 0;
    case WM_DESTROY:
      if (Application::MainWindow() == hwnd_) Application::SetMainWindow(nullptr);
      if (on_destroyed_) on_destroyed_();
      return 0;
    default:
      break;
  }
  return Default(msg, wp, lp);
}

std::u16string MainWindow::Caption() const {
  return WindowText(hwnd_);
}

void MainWindow::SetCaption(const std::u16string& text) {
  SetWindowTextW(hwnd_, W(text));
}

std::u16string MainWindow::ControlCaption(Ctl control) const {
  if (SpecOf(control).kind == ControlKind::RichLabel) return ControlAs<RichLabel>(control).Markup();
  return WindowText(ControlHwnd(control));
}

void MainWindow::SetControlCaption(Ctl control, const std::u16string& text) {
  switch (SpecOf(control).kind) {
    case ControlKind::RichLabel:
      ControlAs<RichLabel>(control).SetMarkup(text);
      break;
    case ControlKind::CardPanel:
    case ControlKind::Card:
    case ControlKind::Panel:
    case ControlKind::Toolbar:
    case ControlKind::Indicator:
    case ControlKind::VectorImage:
      break;  // nothing shown
    default:
      SetWindowTextW(ControlHwnd(control), W(text));
      break;
  }
}

bool MainWindow::Enabled(Ctl control) const {
  return IsWindowEnabled(ControlHwnd(control)) != FALSE;
}

void MainWindow::SetEnabled(Ctl control, bool enabled) {
  EnableWindow(ControlHwnd(control), enabled);
}

bool MainWindow::Visible(Ctl control) const {
  return ControlAs<Widget>(control).Visible();
}

void MainWindow::SetVisible(Ctl control, bool visible) {
  ControlAs<Widget>(control).SetVisible(visible);
}

bool MainWindow::Checked(Ctl control) const {
  return SendMessageW(ControlHwnd(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void MainWindow::SetChecked(Ctl control, bool checked) {
  ControlAs<CheckBox>(control).SetChecked(checked);
}

bool MainWindow::Down(Ctl control) const {
  return ControlAs<StyledButton>(control).Down();
}

void MainWindow::SetDown(Ctl control, bool down) {
  ControlAs<StyledButton>(control).SetDown(down);
}

int MainWindow::ActivePage() const {
  return ControlAs<CardPanel>(Ctl::PnlMain).ActivePage();
}

void MainWindow::SetActivePage(int page) {
  ControlAs<CardPanel>(Ctl::PnlMain).SetActivePage(page);
}

void MainWindow::SetAnimating(bool animating) {
  ControlAs<ActivityIndicator>(Ctl::Indicator).SetAnimating(animating);
}

void MainWindow::ShowErrorBox(const std::u16string& text, const std::u16string& caption) {
  // Owned by the hidden application window, so the main window stays enabled while the box is open.
  MessageBoxW(Application::HiddenOwner(), W(text), W(caption), kErrorBoxFlags);
}

void MainWindow::HoldOffShutdown(const std::u16string& reason) {
  // Held by the answer to WM_QUERYENDSESSION; the reason is what Windows shows beside the program in the list
  // of what holds up the end of the session (without it, a generic text).
  shutdown_held_ = true;
  reason_set_ = ShutdownBlockReasonCreate(hwnd_, W(reason)) != FALSE;
}

void MainWindow::AllowShutdown() {
  if (reason_set_) ShutdownBlockReasonDestroy(hwnd_);
  shutdown_held_ = reason_set_ = false;
}

void MainWindow::Close() {
  PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void MainWindow::AttachThemeHelper() {
  // The helper belongs to the window and goes with it.
  tw::win::AttachThemeHelper(hwnd_);
}

void MainWindow::FitLabelFont(Ctl label) {
  tw::win::FitLabelFont(ControlHwnd(label));
  // Fitted again whenever the label's font is rebuilt (DPI or system font changes).
  if (label == Ctl::LblTitle) title_fitted_ = true;
}

void MainWindow::UseIconTitleFont() {
  icon_title_font_ = true;
  BuildFonts();
}

void MainWindow::SetApplicationTitle(const std::u16string& title) {
  Application::SetTitle(title);
}

void RunMainWindow(HINSTANCE, int show, AdapterDiscovery* discovery) {
  // The dispatcher belongs to the UI thread: made here, first, and closed with the main window.
  UiDispatcher& dispatcher = UiDispatcher::Instance();
  const Services services = MakeServices();
  MainWindow window(
      services,
      [&dispatcher] {
        dispatcher.Close();
        PostQuitMessage(0);
      },
      discovery);
  if (!window.Create()) return;
  ShowWindow(window.hwnd(), show);
  UpdateWindow(window.hwnd());
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    // Tab, Space and Enter work as in a dialog.
    if (IsWindow(window.hwnd()) && IsDialogMessageW(window.hwnd(), &m)) continue;
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

}  // namespace tw::win
