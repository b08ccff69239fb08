// The application object: the main window, the hidden top-level owner window and the application title.
#pragma once

#include <windows.h>

#include <string>

namespace tw::win {

class Application {
 public:
  // The main window, or nullptr when none exists (yet or any more).
  static HWND MainWindow();
  static void SetMainWindow(HWND hwnd);
  // A hidden top-level window that owns message boxes so the main window stays enabled while they are open.
  static HWND HiddenOwner();
  static const std::u16string& Title();
  static void SetTitle(const std::u16string& title);
};

}  // namespace tw::win
