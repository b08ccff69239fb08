// The running program's own file version, from its version resource.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace tw {

using FileVersion = std::array<std::uint16_t, 4>;  // major, minor, release, build

class IVersionInfo {
 public:
  virtual ~IVersionInfo() = default;
  // The file version (not the product version), or nullopt when the executable carries none.
  virtual std::optional<FileVersion> ExecutableFileVersion() = 0;
};

}  // namespace tw
