// The shell's "open" verb: a web address goes to the user's default browser.
#pragma once

#include <string>

namespace tw {

class IShell {
 public:
  virtual ~IShell() = default;
  // ShellExecuteW(no owner, "open", target, no parameters, no directory, SW_SHOWNORMAL); result not examined.
  virtual void Open(const std::u16string& target) = 0;
};

}  // namespace tw
