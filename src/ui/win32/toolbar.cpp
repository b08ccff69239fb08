#include "ui/win32/toolbar.h"

#include "ui/toolbar_layout.h"

namespace tw::win {
namespace {
constexpr wchar_t kToolbarClass[] = L"TwToolbar";
}

bool Toolbar::Create(HWND parent, int id) {
  RegisterWidgetClass(kToolbarClass);
  return CreateOwn(kToolbarClass, WS_EX_CONTROLPARENT,
                   WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, parent, id, {});
}

void Toolbar::AddButton(StyledButton* button) {
  button->SetCornerRadius(kToolbarCornerRadius);
  buttons_.push_back(button);
  Relayout();
}

void Toolbar::Relayout() {
  int slot = 0;
  for (StyledButton* b : buttons_) {
    b->SetDpi(dpi_);
    if (!b->Visible()) continue;
    b->SetBounds(Scale(ToolbarButtonRect(slot++), dpi_));
  }
}

void Toolbar::SetDpi(int dpi) {
  Widget::SetDpi(dpi);
  Relayout();
}

void Toolbar::OnChildVisibilityChanged(Widget*) {
  Relayout();
}

LRESULT Toolbar::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = 0;
  if (ReflectToChild(msg, wp, lp, result)) return result;
  if (msg == WM_CTLCOLORBTN || msg == WM_CTLCOLORSTATIC) return WhiteCtlColor(wp);
  return Default(msg, wp, lp);
}

}  // namespace tw::win
