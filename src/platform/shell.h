// The shell's "open" verb: a web address goes to the user's default browser, started with the user's own
// rights.
#pragma once

#include <string>

namespace tw {

class IShell {
 public:
  virtual ~IShell() = default;
  // Opens `target` with the verb "open" and SW_SHOWNORMAL through the user's desktop shell; reports nothing.
  virtual void Open(const std::u16string& target) = 0;
};

}  // namespace tw
