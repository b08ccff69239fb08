// The facts of adapter discovery: IP Helper's address listings and WMI through its COM API.
#include "platform/win32/adapters_win32.h"

// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>
#include <oleauto.h>
#include <wbemidl.h>
// clang-format on

#include <algorithm>
#include <cstdio>

#include "platform/win32/handles.h"
#include "platform/win32/list_buffer.h"
#include "platform/win32/wstr.h"

namespace tw::win {
namespace {

constexpr ULONG kListFlags =
    GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;  // 0x0E

std::u16string AddressText(const SOCKADDR* address) {
  wchar_t text[INET6_ADDRSTRLEN] = {};
  if (address->sa_family == AF_INET) {
    const auto* in = reinterpret_cast<const sockaddr_in*>(address);
    const auto* b = reinterpret_cast<const unsigned char*>(&in->sin_addr);
    swprintf(text, INET6_ADDRSTRLEN, L"%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
  } else if (address->sa_family == AF_INET6) {
    auto* in6 = const_cast<sockaddr_in6*>(reinterpret_cast<const sockaddr_in6*>(address));
    InetNtopW(AF_INET6, &in6->sin6_addr, text, INET6_ADDRSTRLEN);
  }
  return U(text);
}

class Variant {
 public:
  Variant() { VariantInit(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(&v_); }
  VARIANT* get() { return &v_; }
  const VARIANT& operator*() const { return v_; }

 private:
  VARIANT v_;
};

class Bstr {
 public:
  explicit Bstr(const std::u16string& text) : b_(SysAllocString(W(text))) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(b_); }
  BSTR get() const { return b_; }

 private:
  BSTR b_;
};

bool ToWmiValue(const VARIANT& v, WmiValue* value) {
  *value = WmiValue{};
  switch (V_VT(&v)) {
    case VT_NULL:
    case VT_EMPTY:
      value->kind = WmiValue::Kind::Null;
      return true;
    case VT_BSTR:
      value->kind = WmiValue::Kind::Text;
      value->text = V_BSTR(&v) ? U(V_BSTR(&v), SysStringLen(V_BSTR(&v))) : u"";
      return true;
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_INT:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UINT:
    case VT_I8:
    case VT_UI8: {
      VARIANT wide;
      VariantInit(&wide);
      if (FAILED(VariantChangeType(&wide, const_cast<VARIANT*>(&v), 0, VT_I8))) return false;
      value->kind = WmiValue::Kind::Integer;
      value->integer = V_I8(&wide);
      return true;
    }
    case VT_ARRAY | VT_BSTR: {
      SAFEARRAY* array = V_ARRAY(&v);
      LONG low = 0, high = -1;
      if (!array || FAILED(SafeArrayGetLBound(array, 1, &low)) ||
          FAILED(SafeArrayGetUBound(array, 1, &high))) {
        return false;
      }
      value->kind = WmiValue::Kind::TextArray;
      for (LONG i = low; i <= high; ++i) {
        BSTR item = nullptr;
        if (FAILED(SafeArrayGetElement(array, &i, &item))) return false;
        value->items.push_back(item ? U(item, SysStringLen(item)) : u"");
        SysFreeString(item);
      }
      return true;
    }
    default:
      value->kind = WmiValue::Kind::Other;
      return true;
  }
}

// What is left until a deadline on the tick count, as a WMI time-out in milliseconds.
LONG MsUntil(ULONGLONG deadline) {
  const ULONGLONG now = GetTickCount64();
  return now >= deadline ? 0 : static_cast<LONG>(std::min<ULONGLONG>(deadline - now, 0x7FFFFFFF));
}

class WmiObjects : public IWmiObjects {
 public:
  WmiObjects(com_ptr<IEnumWbemClassObject> enumerator, ULONGLONG deadline)
      : enumerator_(std::move(enumerator)), deadline_(deadline) {}

  WmiNext Next() override {
    current_.reset();
    ULONG returned = 0;
    const HRESULT hr = enumerator_->Next(MsUntil(deadline_), 1, current_.put(), &returned);
    if (hr == WBEM_S_TIMEDOUT) return WmiNext::TimedOut;
    return hr == S_OK && returned == 1 && current_ ? WmiNext::Object : WmiNext::End;
  }
  bool Read(std::u16string_view property, WmiValue* value) override {
    if (!current_) return false;
    const std::u16string name(property);
    Variant v;
    if (FAILED(current_->Get(W(name), 0, v.get(), nullptr, nullptr))) return false;
    return ToWmiValue(*v, value);
  }

 private:
  com_ptr<IEnumWbemClassObject> enumerator_;
  ULONGLONG deadline_;
  com_ptr<IWbemClassObject> current_;
};

class WmiSession : public IWmiSession {
 public:
  WmiSession(com_ptr<IWbemServices> services, ULONGLONG deadline)
      : services_(std::move(services)), deadline_(deadline) {}

  std::unique_ptr<IWmiObjects> Query(const std::u16string& wql) override {
    const Bstr language(u"WQL"), query(wql);
    com_ptr<IEnumWbemClassObject> enumerator;
    // Semi-synchronous: the call returns at once and each Next waits with a time-out of its own.
    if (FAILED(services_->ExecQuery(language.get(), query.get(),
                                    WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY, nullptr,
                                    enumerator.put())) ||
        !enumerator) {
      return nullptr;
    }
    return std::make_unique<WmiObjects>(std::move(enumerator), deadline_);
  }

 private:
  com_ptr<IWbemServices> services_;
  ULONGLONG deadline_;
};

}  // namespace

std::uint32_t Win32AdapterFacts::ListAdapterAddresses(std::vector<LocalAdapter>* adapters) {
  adapters->clear();
  std::vector<unsigned char> buffer;
  const ULONG status = ListInto(buffer, [](unsigned char* data, ULONG* size) {
    return GetAdaptersAddresses(AF_UNSPEC, kListFlags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(data),
                                size);
  });
  if (status != ERROR_SUCCESS) return status;
  for (auto* a = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); a; a = a->Next) {
    LocalAdapter adapter;
    adapter.if_type = a->IfType;
    adapter.flags = a->Flags;
    for (auto* u = a->FirstUnicastAddress; u; u = u->Next) {
      if (!u->Address.lpSockaddr) continue;
      adapter.unicast.push_back({u->Address.lpSockaddr->sa_family == AF_INET,
                                 AddressText(u->Address.lpSockaddr),
                                 static_cast<std::uint32_t>(u->DadState)});
    }
    adapters->push_back(std::move(adapter));
  }
  return ERROR_SUCCESS;
}

std::uint32_t Win32AdapterFacts::ListAdapterInfo(std::vector<LocalAdapter>* adapters) {
  adapters->clear();
  std::vector<unsigned char> buffer;
  const ULONG status = ListInto(buffer, [](unsigned char* data, ULONG* size) {
    return GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(data), size);
  });
  if (status != ERROR_SUCCESS) return status;
  for (auto* a = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()); a; a = a->Next) {
    LocalAdapter adapter;
    adapter.if_type = a->Type;
    for (const IP_ADDR_STRING* s = &a->IpAddressList; s; s = s->Next) {
      std::u16string text;
      for (const char* c = s->IpAddress.String; *c; ++c) text.push_back(static_cast<unsigned char>(*c));
      if (!text.empty()) adapter.unicast.push_back({true, text, 4});
    }
    adapters->push_back(std::move(adapter));
  }
  return ERROR_SUCCESS;
}

bool Win32AdapterFacts::ComInitialize() {
  // S_FALSE on a thread that already has COM: still a level that must be balanced.
  return SUCCEEDED(CoInitialize(nullptr));
}

void Win32AdapterFacts::ComUninitialize() {
  CoUninitialize();
}

std::unique_ptr<IWmiSession> Win32AdapterFacts::ConnectWmi(const std::u16string& server,
                                                           const std::u16string& ns,
                                                           std::uint32_t budget_ms) {
  com_ptr<IWbemLocator> locator;
  if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                              IID_IWbemLocator, locator.put_void()))) {
    return nullptr;
  }
  const Bstr path(u"\\\\" + server + u"\\" + ns);
  com_ptr<IWbemServices> services;
  // Without the flag a connection to a service that is still starting may wait without end; with it, two
  // minutes at most.
  if (FAILED(locator->ConnectServer(path.get(), nullptr, nullptr, nullptr, WBEM_FLAG_CONNECT_USE_MAX_WAIT,
                                    nullptr, nullptr, services.put())) ||
      !services) {
    return nullptr;
  }
  // The scripting locator's default: impersonate, so that providers act with the caller's rights.
  CoSetProxyBlanket(services.get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                    RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
  return std::make_unique<WmiSession>(std::move(services), GetTickCount64() + budget_ms);
}

}  // namespace tw::win
