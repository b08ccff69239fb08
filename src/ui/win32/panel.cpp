#include "ui/win32/panel.h"

namespace tw::win {
namespace {
constexpr wchar_t kPanelClass[] = L"TwPanel";
}

bool Panel::Create(HWND parent, int id, const std::u16string& text) {
  RegisterWidgetClass(kPanelClass);
  return CreateOwn(kPanelClass, WS_EX_CONTROLPARENT,
                   WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, parent, id, text);
}

LRESULT Panel::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = 0;
  if (ReflectToChild(msg, wp, lp, result)) return result;
  switch (msg) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return WhiteCtlColor(wp);
    default:
      return Default(msg, wp, lp);
  }
}

void CardPanel::AddPage(Widget* page) {
  pages_.push_back(page);
  if (active_ < 0) {
    active_ = 0;
  }
  page->SetVisible(pages_.size() - 1 == static_cast<size_t>(active_));
}

void CardPanel::SetActivePage(int index) {
  if (index < 0 || index >= PageCount()) return;
  active_ = index;
  // Show the new page before hiding the old one, so the panel never shows its bare background.
  pages_[static_cast<size_t>(index)]->SetVisible(true);
  for (int i = 0; i < PageCount(); ++i) {
    if (i != index) pages_[static_cast<size_t>(i)]->SetVisible(false);
  }
}

}  // namespace tw::win
