// Adapter facts from tables: local address listings with their result codes, and a WMI session whose
// adapters and configurations are plain records. Reads and queries can be made to fail; COM balance and the
// lifetime of the WMI objects are recorded.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/adapters.h"

namespace tw::test {

// One WMI object: a property that is absent from the map fails to read.
struct FakeWmiObject {
  std::map<std::u16string, WmiValue> properties;
};

WmiValue WmiText(std::u16string text);
WmiValue WmiInteger(std::int64_t value);
WmiValue WmiNull();
WmiValue WmiTexts(std::vector<std::u16string> items);

// A Win32_NetworkAdapter row with Index, Name and GUID.
FakeWmiObject WmiAdapter(std::int64_t index, std::u16string name, std::u16string guid);
// A Win32_NetworkAdapterConfiguration row; without addresses its IPAddress is null.
FakeWmiObject WmiConfiguration(std::optional<std::vector<std::u16string>> addresses);
// The same with the routing facts: DefaultIPGateway (null when empty, as WMI reports it) and
// IPConnectionMetric.
FakeWmiObject WmiConfiguration(std::optional<std::vector<std::u16string>> addresses,
                               std::vector<std::u16string> gateways, std::int64_t metric);

LocalAdapter Loopback();
LocalAdapter Ethernet(std::vector<LocalUnicastAddress> unicast, std::uint32_t flags = 0);
LocalUnicastAddress V4(std::u16string text, std::uint32_t dad = iphlp::kDadPreferred);
LocalUnicastAddress V6(std::u16string text, std::uint32_t dad = iphlp::kDadPreferred);

class FakeAdapterFacts : public IAdapterFacts {
 public:
  std::uint32_t ListAdapterAddresses(std::vector<LocalAdapter>* adapters) override;
  std::uint32_t ListAdapterInfo(std::vector<LocalAdapter>* adapters) override;
  bool ComInitialize() override;
  void ComUninitialize() override;
  std::unique_ptr<IWmiSession> ConnectWmi(const std::u16string& server, const std::u16string& ns,
                                          std::uint32_t budget_ms) override;

  // Facts.
  std::uint32_t addresses_status = iphlp::kSuccess;
  std::vector<LocalAdapter> addresses;
  std::uint32_t info_status = iphlp::kSuccess;
  std::vector<LocalAdapter> info;
  bool com_initializes = true;  // false: the thread's COM could not be initialised
  bool wmi_up = true;
  std::vector<FakeWmiObject> adapters;  // rows of the adapter query, in enumeration order
  bool adapter_query_fails = false;
  std::map<std::u16string, std::vector<FakeWmiObject>> configurations;  // by Index text
  std::set<std::u16string> failing_configuration_queries;               // by Index text
  int steps_before_timeout = -1;  // steps through query objects, counted over all queries, before WMI's time
                                  // is up; -1: never
  std::function<void()> on_list;  // runs at the start of each address listing, on the listing thread

  // What the code under test did.
  int info_calls = 0;
  std::thread::id listed_on;  // the thread of the latest address listing
  int com_depth = 0;
  int com_initialize_calls = 0;
  int live_wmi_objects = 0;  // sessions and enumerators not yet released
  bool uninitialized_with_live_objects = false;
  std::vector<std::u16string> connections;  // "server|namespace"
  std::vector<std::uint32_t> budgets;       // the time given to each session
  std::vector<std::u16string> queries;
};

}  // namespace tw::test
