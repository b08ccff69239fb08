// The window side of the update answer: the modal offer and the notice strip at the bottom of the main
// window.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ui/win32/status_strip.h"
#include "update/update.h"

namespace tw::win {

class UpdatePrompts final : public IUpdatePrompts {
 public:
  // `services` supplies the shell for opened links and everything the hold request needs; `language` the
  // language code for the fixed texts (CurrentLanguage when empty); `caption` the dialog's caption (the
  // application title translated into the current language when empty).
  explicit UpdatePrompts(Services services, std::function<std::u16string()> language = {},
                         std::function<std::u16string()> caption = {});

  bool UpdateDialog(const std::u16string& answer) override;
  void ShowUpdateStatus(const std::u16string& target) override;

 private:
  Services services_;
  std::function<std::u16string()> language_;
  std::function<std::u16string()> caption_;
};

// The notice strip on `main_window` (control id kStatusBarId), or nullptr.
HWND FindStatusBar(HWND main_window);

// The widget event handlers of the strip and of the offer's link.
struct TUpdateHelper {
  // Draws the strip's panel: its background, then the text centred in the strip's bold red font.
  static void DrawUpdateStatus(HWND status_bar, const DRAWITEMSTRUCT& item);
  // Opens the strip's target when the sender is the strip (through the click the prompts gave it).
  static void StatusClick(HWND sender);
};
struct TFormHelper {
  // Opens the target held in the sender's hint.
  static void OpenURL(HWND sender);
};

}  // namespace tw::win
