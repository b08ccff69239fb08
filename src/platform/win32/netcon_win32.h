// Network connections through the network-connections shell component.
#pragma once

#include <atomic>
#include <string>

#include "platform/netcon.h"

namespace tw::win {

class Win32NetConnections : public INetConnections {
 public:
  // `library` is the component that frees connection properties; only tests name another one.
  explicit Win32NetConnections(std::u16string library = u"netshell.dll") : library_(std::move(library)) {}
  bool SetConnectionEnabled(const std::u16string& guid, bool enable) override;

 private:
  std::u16string library_;
  std::atomic<bool> kept_{false};  // the component was found and is kept loaded
};

}  // namespace tw::win
