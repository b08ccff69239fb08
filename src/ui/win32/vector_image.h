// An image control that draws an SVG document scaled into its bounds and reports clicks. It shows the hand
// cursor, and answers BM_CLICK like a button so that keyboard and assistive tools can activate it.
#pragma once

#include <functional>
#include <string_view>

#include "ui/svg.h"
#include "ui/win32/widget.h"

namespace tw::win {

class VectorImage : public Widget {
 public:
  bool Create(HWND parent, int id);
  void SetSvg(std::string_view utf8);
  const SvgDocument& Document() const { return doc_; }

  std::function<void()> on_click;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void Paint(HDC dc, const RECT& rc) override;

  SvgDocument doc_;
  HFONT font_ = nullptr;  // the window's, not owned: the face for lettering the system lacks
  bool pressed_ = false;
};

// The bytes of an RCDATA resource of the program, empty when it is missing.
std::string_view ResourceBytes(const wchar_t* name);

}  // namespace tw::win
