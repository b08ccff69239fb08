// The running executable's version resource.
#pragma once

#include <string>

#include "platform/version.h"

namespace tw::win {

class VersionInfo final : public IVersionInfo {
 public:
  std::optional<FileVersion> ExecutableFileVersion() override;
  // The file version in the version resource of the file at `path`.
  static std::optional<FileVersion> FileVersionOf(const std::wstring& path);
};

}  // namespace tw::win
