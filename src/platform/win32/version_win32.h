// The running executable's version resource.
#pragma once

#include <cstdint>
#include <string>

#include "platform/version.h"

namespace tw::win {

class VersionInfo final : public IVersionInfo {
 public:
  std::optional<FileVersion> ExecutableFileVersion() override;
  // The file version in the version resource of the file at `path`.
  static std::optional<FileVersion> FileVersionOf(const std::wstring& path);
};

// The running Windows' build number, as the kernel reports it (GetVersionEx answers what the manifest lets
// it); 0 when it cannot be read.
std::uint32_t WindowsBuildNumber();

}  // namespace tw::win
