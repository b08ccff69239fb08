// Adapter facts from IP Helper and WMI.
#pragma once

#include "platform/adapters.h"

namespace tw::win {

class Win32AdapterFacts : public IAdapterFacts {
 public:
  std::uint32_t ListAdapterAddresses(std::vector<LocalAdapter>* adapters) override;
  std::uint32_t ListAdapterInfo(std::vector<LocalAdapter>* adapters) override;
  bool ComInitialize() override;
  void ComUninitialize() override;
  std::unique_ptr<IWmiSession> ConnectWmi(const std::u16string& server, const std::u16string& ns,
                                          std::uint32_t budget_ms) override;
};

}  // namespace tw::win
