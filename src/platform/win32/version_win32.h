// The running executable's version resource.
#pragma once

#include "platform/version.h"

namespace tw::win {

class VersionInfo final : public IVersionInfo {
 public:
  std::optional<FileVersion> ExecutableFileVersion() override;
};

}  // namespace tw::win
