// The system's network connections, addressed by interface GUID. The Win32 implementation goes through the
// network-connections shell component (netshell.dll and its connection manager).
#pragma once

#include <string>

namespace tw {

class INetConnections {
 public:
  virtual ~INetConnections() = default;
  // Connects (enable) or disconnects the first connection whose GUID text equals `guid`, letter case ignored.
  // True only when such a connection was found and its Connect or Disconnect succeeded; every failure on the
  // way gives false.
  virtual bool SetConnectionEnabled(const std::u16string& guid, bool enable) = 0;
};

}  // namespace tw
