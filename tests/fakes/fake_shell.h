// Records every target handed to the shell.
#pragma once

#include <string>
#include <vector>

#include "platform/shell.h"

namespace tw::test {

class FakeShell : public IShell {
 public:
  void Open(const std::u16string& target) override { opened.push_back(target); }
  std::vector<std::u16string> opened;
};

}  // namespace tw::test
