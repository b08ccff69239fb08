// The main window's stored layout: every control in stored order with its parent, kind, geometry at 96 DPI
// and stored caption. The Win32 window builds its child windows from this table and re-lays them out from it
// whenever the DPI changes.
#pragma once

#include <optional>
#include <span>

#include "app/form_view.h"
#include "i18n/texts.h"
#include "platform/dpi.h"
#include "ui/toolbar_layout.h"

namespace tw {

enum class ControlKind {
  CardPanel,  // pages selected by index
  Card,       // one page of a card panel
  Panel,
  Label,
  RichLabel,
  StyledButton,  // push button with a pressed (Down) state
  Indicator,
  GroupBox,
  CheckBox,
  Toolbar,
  ToolbarButton,
  VectorImage,
};

struct ControlSpec {
  Ctl control;
  std::optional<Ctl> parent;  // none: the window itself
  ControlKind kind;
  LayoutRect rect;          // in the parent's client area, at 96 DPI
  const char16_t* caption;  // a key of i18n/texts.h, or a value name that no translation changes
};

inline constexpr int kClientWidth = 498;
inline constexpr int kClientHeight = 426;

// Fonts, as pixel heights at 96 DPI.
inline constexpr const char16_t* kWindowFontFace = u"Segoe UI";
inline constexpr int kWindowFontHeight = 12;
inline constexpr const char16_t* kTitleFontFace = u"Tahoma";
inline constexpr int kTitleFontHeight = 59;

// The window's caption as stored.
inline constexpr const char16_t* kStoredWindowCaption = kTextTempowave;

// The controls in stored order: a parent always comes before its children.
std::span<const ControlSpec> MainLayout();
const ControlSpec& SpecOf(Ctl control);

// The control's rectangle at `dpi`. Every value is scaled on its own, except that the spinner stays centred
// on the Run button it lies over (scaled separately the two centres drift apart by a pixel). `top_inset`
// device pixels at the top of the client area belong to the window's activation strip: the header moves
// down by them and the body under it gives them up.
LayoutRect ScaledRect(Ctl control, int dpi, int top_inset = 0);

// A stable control id per control, for tests and assistive tools that look controls up from outside.
constexpr int ControlId(Ctl control) {
  return 100 + static_cast<int>(control);
}

}  // namespace tw
