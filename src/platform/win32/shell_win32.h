// The shell's "open" verb.
#pragma once

#include "platform/shell.h"

namespace tw::win {

class Shell final : public IShell {
 public:
  void Open(const std::u16string& target) override;
};

}  // namespace tw::win
