#include "fakes/fake_adapter_facts.h"

#include <utility>

namespace tw::test {
namespace {

class FakeObjects : public IWmiObjects {
 public:
  FakeObjects(FakeAdapterFacts& facts, const std::vector<FakeWmiObject>& rows) : facts_(facts), rows_(rows) {
    ++facts_.live_wmi_objects;
  }
  ~FakeObjects() override { --facts_.live_wmi_objects; }

  WmiNext Next() override {
    current_ = nullptr;
    if (facts_.steps_before_timeout == 0) return WmiNext::TimedOut;
    if (facts_.steps_before_timeout > 0) --facts_.steps_before_timeout;
    if (next_ >= rows_.size()) return WmiNext::End;
    current_ = &rows_[next_++];
    return WmiNext::Object;
  }
  bool Read(std::u16string_view property, WmiValue* value) override {
    if (!current_) return false;
    auto it = current_->properties.find(std::u16string(property));
    if (it == current_->properties.end()) return false;
    *value = it->second;
    return true;
  }

 private:
  FakeAdapterFacts& facts_;
  std::vector<FakeWmiObject> rows_;
  size_t next_ = 0;
  const FakeWmiObject* current_ = nullptr;
};

class FakeSession : public IWmiSession {
 public:
  explicit FakeSession(FakeAdapterFacts& facts) : facts_(facts) { ++facts_.live_wmi_objects; }
  ~FakeSession() override { --facts_.live_wmi_objects; }

  std::unique_ptr<IWmiObjects> Query(const std::u16string& wql) override {
    facts_.queries.push_back(wql);
    static const std::u16string kConfig = u"SELECT * FROM Win32_NetworkAdapterConfiguration WHERE Index = ";
    if (wql.starts_with(kConfig)) {
      const std::u16string index = wql.substr(kConfig.size());
      if (facts_.failing_configuration_queries.count(index)) return nullptr;
      auto it = facts_.configurations.find(index);
      return std::make_unique<FakeObjects>(
          facts_, it == facts_.configurations.end() ? std::vector<FakeWmiObject>{} : it->second);
    }
    if (wql.starts_with(u"SELECT * FROM Win32_NetworkAdapter ")) {
      if (facts_.adapter_query_fails) return nullptr;
      return std::make_unique<FakeObjects>(facts_, facts_.adapters);
    }
    return nullptr;
  }

 private:
  FakeAdapterFacts& facts_;
};

}  // namespace

WmiValue WmiText(std::u16string text) {
  WmiValue v;
  v.kind = WmiValue::Kind::Text;
  v.text = std::move(text);
  return v;
}

WmiValue WmiInteger(std::int64_t value) {
  WmiValue v;
  v.kind = WmiValue::Kind::Integer;
  v.integer = value;
  return v;
}

WmiValue WmiNull() {
  return WmiValue{};
}

WmiValue WmiTexts(std::vector<std::u16string> items) {
  WmiValue v;
  v.kind = WmiValue::Kind::TextArray;
  v.items = std::move(items);
  return v;
}

FakeWmiObject WmiAdapter(std::int64_t index, std::u16string name, std::u16string guid) {
  return {{{u"Index", WmiInteger(index)},
           {u"Name", WmiText(std::move(name))},
           {u"GUID", WmiText(std::move(guid))}}};
}

FakeWmiObject WmiConfiguration(std::optional<std::vector<std::u16string>> addresses) {
  return {{{u"IPAddress", addresses ? WmiTexts(std::move(*addresses)) : WmiNull()}}};
}

FakeWmiObject WmiConfiguration(std::optional<std::vector<std::u16string>> addresses,
                               std::vector<std::u16string> gateways, std::int64_t metric) {
  FakeWmiObject row = WmiConfiguration(std::move(addresses));
  row.properties[u"DefaultIPGateway"] = gateways.empty() ? WmiNull() : WmiTexts(std::move(gateways));
  row.properties[u"IPConnectionMetric"] = WmiInteger(metric);
  return row;
}

LocalAdapter Loopback() {
  return {iphlp::kSoftwareLoopback, 0, {V6(u"::1"), V4(u"127.0.0.1")}};
}

LocalAdapter Ethernet(std::vector<LocalUnicastAddress> unicast, std::uint32_t flags) {
  return {6, flags, std::move(unicast)};
}

LocalUnicastAddress V4(std::u16string text, std::uint32_t dad) {
  return {true, std::move(text), dad};
}

LocalUnicastAddress V6(std::u16string text, std::uint32_t dad) {
  return {false, std::move(text), dad};
}

std::uint32_t FakeAdapterFacts::ListAdapterAddresses(std::vector<LocalAdapter>* out) {
  listed_on = std::this_thread::get_id();
  if (on_list) on_list();
  *out = addresses;
  return addresses_status;
}

std::uint32_t FakeAdapterFacts::ListAdapterInfo(std::vector<LocalAdapter>* out) {
  ++info_calls;
  *out = info;
  return info_status;
}

bool FakeAdapterFacts::ComInitialize() {
  ++com_initialize_calls;
  if (!com_initializes) return false;
  ++com_depth;
  return true;
}

void FakeAdapterFacts::ComUninitialize() {
  if (live_wmi_objects) uninitialized_with_live_objects = true;
  --com_depth;
}

std::unique_ptr<IWmiSession> FakeAdapterFacts::ConnectWmi(const std::u16string& server,
                                                          const std::u16string& ns, std::uint32_t budget_ms) {
  connections.push_back(server + u"|" + ns);
  budgets.push_back(budget_ms);
  if (!wmi_up) return nullptr;
  return std::make_unique<FakeSession>(*this);
}

}  // namespace tw::test
