// The window side of the update answer: the modal offer and the notice strip. Declared down here so that the
// services bag can carry it; the program's implementation is update/win32's UpdatePrompts.
#pragma once

#include <string>

namespace tw {

class IUpdatePrompts {
 public:
  virtual ~IUpdatePrompts() = default;
  // Shows the offer for this answer; true when the user chose Yes.
  virtual bool UpdateDialog(const std::u16string& answer) = 0;
  // Adds the notice strip to the main window (once) and points it at `target`.
  virtual void ShowUpdateStatus(const std::u16string& target) = 0;
};

}  // namespace tw
