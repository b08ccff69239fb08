#include "tuning/adapter_choice.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <vector>

#include "platform/adapters.h"
#include "platform/error.h"
#include "platform/text.h"

namespace tw {
namespace {

constexpr char16_t kWmiServer[] = u"localhost";
constexpr char16_t kWmiNamespace[] = u"root\\CIMV2";
constexpr char16_t kAdapterQuery[] =
    u"SELECT * FROM Win32_NetworkAdapter WHERE (NetConnectionStatus = 2 OR NetConnectionStatus = 9) AND "
    u"PhysicalAdapter = True";
constexpr char16_t kConfigurationQuery[] = u"SELECT * FROM Win32_NetworkAdapterConfiguration WHERE Index = ";
// Virtual adapters that share the physical network's prefix.
constexpr std::array<const char16_t*, 3> kExcludedWords = {u"vmware", u"virtualbox", u"sharing"};

std::u16string_view Prefix(std::u16string_view text) {
  const size_t dot = text.rfind(u'.');
  return dot == std::u16string_view::npos ? std::u16string_view{} : text.substr(0, dot);
}

// Upper case as the system maps it, as far as it matters for ASCII words: besides the ASCII letters, only
// the dotless i and the long s have an ASCII capital.
std::u16string UpperForMatch(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    if (c == u'\u0131') {
      c = u'I';
    } else if (c == u'\u017F') {
      c = u'S';
    } else {
      c = AsciiUpper(c);
    }
  }
  return out;
}

bool IsExcludedName(const std::u16string& name) {
  const std::u16string upper = UpperForMatch(name);
  for (const char16_t* word : kExcludedWords) {
    if (upper.find(AsciiUpperCase(word)) != std::u16string::npos) return true;
  }
  return false;
}

// The text form of a scalar property; false for values that have none (arrays, objects).
bool TextOf(const WmiValue& value, std::u16string* text) {
  switch (value.kind) {
    case WmiValue::Kind::Null:
      text->clear();
      return true;
    case WmiValue::Kind::Text:
      *text = value.text;
      return true;
    case WmiValue::Kind::Integer:
      *text = ToText(value.integer);
      return true;
    default:
      return false;
  }
}

bool ReadText(IWmiObjects& objects, std::u16string_view property, std::u16string* text) {
  WmiValue value;
  return objects.Read(property, &value) && TextOf(value, text);
}

[[noreturn]] void Fail(std::u16string_view what) {
  throw DiscoveryError(what);
}

// One step through a query's objects: true with an object, false at the end; WMI that does not answer in
// time fails the discovery.
bool Step(IWmiObjects& objects) {
  switch (objects.Next()) {
    case WmiNext::Object:
      return true;
    case WmiNext::End:
      return false;
    case WmiNext::TimedOut:
      break;
  }
  Fail(kNoAnswerInTime);
}

// Balances a nested COM initialisation on every way out, after the WMI objects are gone.
class ComScope {
 public:
  explicit ComScope(IAdapterFacts& facts) : facts_(facts), initialized_(facts.ComInitialize()) {}
  ~ComScope() {
    if (initialized_) facts_.ComUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  IAdapterFacts& facts_;
  bool initialized_;
};

// What one adapter's configurations say: its addresses in order, whether it carries a default route, and the
// metric of its routes (lower wins).
struct Configuration {
  std::vector<std::u16string> addresses;
  bool default_route = false;
  std::int64_t metric = std::numeric_limits<std::int64_t>::max();  // unknown: after every known metric
};

bool HasGateway(const WmiValue& gateways) {
  if (gateways.kind != WmiValue::Kind::TextArray) return false;
  return std::any_of(gateways.items.begin(), gateways.items.end(), [](const auto& g) { return !g.empty(); });
}

Configuration ReadConfiguration(IWmiSession& session, const std::u16string& index) {
  auto configurations = session.Query(kConfigurationQuery + index);
  if (!configurations) Fail(u"configuration query");
  Configuration out;
  while (Step(*configurations)) {
    WmiValue addresses;
    if (!configurations->Read(u"IPAddress", &addresses)) Fail(u"IPAddress");
    if (addresses.kind != WmiValue::Kind::TextArray) continue;  // null without an IP configuration
    out.addresses.insert(out.addresses.end(), addresses.items.begin(), addresses.items.end());
    // The routing facts are not read by every provider; what cannot be read counts as no route.
    WmiValue gateways, metric;
    if (configurations->Read(u"DefaultIPGateway", &gateways) && HasGateway(gateways)) {
      out.default_route = true;
      if (configurations->Read(u"IPConnectionMetric", &metric) && metric.kind == WmiValue::Kind::Integer) {
        out.metric = std::min(out.metric, metric.integer);
      }
    }
  }
  return out;
}

// The address by which an adapter is shown: the first in the local address's prefix, else its first IPv4,
// else its first. Empty without addresses.
std::u16string ShownAddress(const std::vector<std::u16string>& addresses, const std::u16string& local) {
  for (const auto& a : addresses) {
    if (SameNetworkPrefix(local, a)) return a;
  }
  for (const auto& a : addresses) {
    if (a.find(u'.') != std::u16string::npos) return a;
  }
  return addresses.empty() ? std::u16string() : addresses.front();
}

}  // namespace

Error DiscoveryError(std::u16string_view what) {
  return Error(u"Network adapter query failed: " + std::u16string(what));
}

bool SameNetworkPrefix(const std::u16string& a, const std::u16string& b) {
  return Prefix(a) == Prefix(b);
}

std::u16string LocalIPv4Address(IAdapterFacts& facts) {
  std::vector<LocalAdapter> adapters;
  std::uint32_t status = facts.ListAdapterAddresses(&adapters);
  if (status == iphlp::kNotSupported) {
    adapters.clear();
    status = facts.ListAdapterInfo(&adapters);
    // The older listing reports unconfigured adapters with 0.0.0.0.
    for (auto& adapter : adapters) {
      std::erase_if(adapter.unicast, [](const LocalUnicastAddress& a) { return a.text == u"0.0.0.0"; });
    }
  }
  if (status == iphlp::kNoData || status == iphlp::kAddressNotAssociated) return {};
  if (status != iphlp::kSuccess) throw Error(u"Local address listing failed: " + ToText(status));
  for (const auto& adapter : adapters) {
    if (adapter.if_type == iphlp::kSoftwareLoopback || (adapter.flags & iphlp::kReceiveOnly)) continue;
    for (const auto& address : adapter.unicast) {
      if (address.dad_state == iphlp::kDadPreferred && address.ipv4) return address.text;
    }
  }
  return {};
}

bool FindActiveAdapter(IAdapterFacts& facts, AdapterInfo& info) {
  const std::u16string local = LocalIPv4Address(facts);
  ComScope com(facts);
  auto session = facts.ConnectWmi(kWmiServer, kWmiNamespace, kWmiBudgetMs);
  if (!session) return false;
  auto adapters = session->Query(kAdapterQuery);
  if (!adapters) return false;

  // Every passing adapter is looked at: a later one may carry the default route.
  std::optional<AdapterInfo> by_route, by_prefix;
  std::int64_t route_metric = 0;
  while (Step(*adapters)) {
    WmiValue index_value;
    if (!adapters->Read(u"Index", &index_value)) Fail(u"Index");
    if (index_value.kind == WmiValue::Kind::Null) break;

    AdapterInfo walked;
    std::u16string index;
    if (!ReadText(*adapters, u"Index", &index) || !ReadText(*adapters, u"Name", &walked.NetworkName) ||
        !ReadText(*adapters, u"GUID", &walked.NetworkGUID)) {
      continue;
    }
    if (walked.NetworkGUID.empty() || IsExcludedName(walked.NetworkName)) continue;

    const Configuration configuration = ReadConfiguration(*session, index);
    walked.NetworkIP = ShownAddress(configuration.addresses, local);
    if (walked.NetworkIP.empty()) continue;
    // Ties go to the first in WMI's order.
    if (configuration.default_route && (!by_route || configuration.metric < route_metric)) {
      by_route = walked;
      route_metric = configuration.metric;
    }
    if (!by_prefix && SameNetworkPrefix(local, walked.NetworkIP)) by_prefix = walked;
  }
  // Without any default route (an isolated network), the adapter of the host's first local address.
  const std::optional<AdapterInfo>& chosen = by_route ? by_route : by_prefix;
  if (!chosen) return false;
  info = *chosen;
  return true;
}

}  // namespace tw
