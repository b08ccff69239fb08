// Facts about the machine's network adapters: the system's local address listing and a WMI session. The
// Win32 implementation only gathers them (IP Helper, COM, WMI); the choice of the active adapter is made by
// the portable code in tuning/network.*.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

namespace iphlp {
inline constexpr std::uint32_t kSuccess = 0;
inline constexpr std::uint32_t kNotSupported = 50;            // ERROR_NOT_SUPPORTED
inline constexpr std::uint32_t kNoData = 232;                 // ERROR_NO_DATA
inline constexpr std::uint32_t kAddressNotAssociated = 1228;  // ERROR_ADDRESS_NOT_ASSOCIATED
inline constexpr std::uint32_t kSoftwareLoopback = 24;        // IF_TYPE_SOFTWARE_LOOPBACK
inline constexpr std::uint32_t kReceiveOnly = 8;              // IP_ADAPTER_RECEIVE_ONLY
inline constexpr std::uint32_t kDadPreferred = 4;             // IpDadStatePreferred
}  // namespace iphlp

struct LocalUnicastAddress {
  bool ipv4 = false;
  std::u16string text;  // dotted decimal for IPv4
  std::uint32_t dad_state = iphlp::kDadPreferred;
};

struct LocalAdapter {
  std::uint32_t if_type = 6;  // IF_TYPE_ETHERNET_CSMACD
  std::uint32_t flags = 0;
  std::vector<LocalUnicastAddress> unicast;  // in the order the system lists them
};

// A WMI property value as read from one object.
struct WmiValue {
  enum class Kind { Null, Text, Integer, TextArray, Other };
  Kind kind = Kind::Null;
  std::u16string text;
  std::int64_t integer = 0;
  std::vector<std::u16string> items;  // a one-dimensional array of texts, lower to upper bound
};

// How a step through a query's objects ended: an object fetched, the end of the objects (or any failure of
// the enumerator), or no object within the session's time.
enum class WmiNext { Object, End, TimedOut };

// The objects of one WMI query, walked one at a time.
class IWmiObjects {
 public:
  virtual ~IWmiObjects() = default;
  // Steps to the next object, waiting no longer than what is left of the session's time.
  virtual WmiNext Next() = 0;
  // Reads a property of the current object; false when the read itself failed.
  virtual bool Read(std::u16string_view property, WmiValue* value) = 0;
};

class IWmiSession {
 public:
  virtual ~IWmiSession() = default;
  // Runs a WQL query, returning at once; its objects arrive as they are walked. nullptr when it is rejected.
  virtual std::unique_ptr<IWmiObjects> Query(const std::u16string& wql) = 0;
};

class IAdapterFacts {
 public:
  virtual ~IAdapterFacts() = default;
  // GetAdaptersAddresses(AF_UNSPEC, skip anycast, multicast and DNS servers) in system order; returns the
  // call's result code (the buffer is grown on overflow).
  virtual std::uint32_t ListAdapterAddresses(std::vector<LocalAdapter>* adapters) = 0;
  // The older IPv4-only listing (GetAdaptersInfo), same result codes; every address is reported as preferred.
  virtual std::uint32_t ListAdapterInfo(std::vector<LocalAdapter>* adapters) = 0;
  // A nested COM initialisation on the calling thread; true when it must be balanced by ComUninitialize.
  virtual bool ComInitialize() = 0;
  virtual void ComUninitialize() = 0;
  // Connects to a WMI namespace on a server; nullptr when the locator cannot be created or the connection
  // fails. The session and everything it hands out must be released before ComUninitialize. WMI runs out of
  // process on Windows and can stall for minutes after boot: the session's queries return at once and their
  // steps wait no longer than `budget_ms` from the connection, all steps together.
  virtual std::unique_ptr<IWmiSession> ConnectWmi(const std::u16string& server, const std::u16string& ns,
                                                  std::uint32_t budget_ms) = 0;
};

}  // namespace tw
