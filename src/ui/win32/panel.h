// Containers: a plain panel and a card panel whose pages (real child windows) are selected by index, only
// the active one visible. Both paint the window's white and hand their children's notifications back to them.
#pragma once

#include <vector>

#include "ui/win32/widget.h"

namespace tw::win {

class Panel : public Widget {
 public:
  bool Create(HWND parent, int id, const std::u16string& text = {});

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
};

class CardPanel : public Panel {
 public:
  // Pages in index order; `page` must be a child of this panel.
  void AddPage(Widget* page);
  int PageCount() const { return static_cast<int>(pages_.size()); }
  int ActivePage() const { return active_; }
  // Shows the page at `index` and hides every other one; an index out of range changes nothing.
  void SetActivePage(int index);

 private:
  std::vector<Widget*> pages_;
  int active_ = -1;
};

}  // namespace tw::win
