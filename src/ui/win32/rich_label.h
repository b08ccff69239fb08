// A label that renders the small markup of ui/rich_text.h (bold, centred lines, named colours) and centres
// its content vertically. Its window text is the plain text, which is what a screen reader speaks.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/handles.h"
#include "ui/rich_text.h"
#include "ui/win32/widget.h"

namespace tw::win {

class RichLabel : public Widget {
 public:
  bool Create(HWND parent, int id);
  const std::u16string& Markup() const { return markup_; }
  void SetMarkup(const std::u16string& markup);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void Paint(HDC dc, const RECT& rc) override;

  std::u16string markup_;
  std::vector<RichLine> lines_;
  HFONT font_ = nullptr;  // set by the parent, not owned
  unique_hfont bold_;
};

}  // namespace tw::win
