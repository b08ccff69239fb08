// A version resource of the tests' choosing, or none.
#pragma once

#include "platform/version.h"

namespace tw::test {

class FakeVersionInfo : public IVersionInfo {
 public:
  std::optional<FileVersion> ExecutableFileVersion() override { return version; }
  std::optional<FileVersion> version = FileVersion{1, 6, 2, 0};
};

}  // namespace tw::test
