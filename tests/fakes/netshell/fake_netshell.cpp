// Test-only stand-in for netshell.dll: the connection manager class with its enumerator and connections,
// NcFreeNetconProperties, and a count of what is still outstanding.
//
// Configuration, read from the process environment on every call:
//   TW_FAKE_NETSHELL_LOG          Windows path of a log file; one line per call "<pid> <event> ...".
//   TW_FAKE_NETSHELL_CONNECTIONS  "{GUID}|name;{GUID}|name;..." (default: the GUIDs that Wine gives the
//                                 interfaces with index 10, 11 and 12: eth0, vmware1, wlan0).
//   TW_FAKE_NETSHELL_FAIL         "Method=0xHRESULT,..." for CreateInstance, EnumConnections, Next,
//                                 GetProperties, Connect, Disconnect: that call returns the HRESULT.
//   TW_FAKE_NETSHELL_DELAY_MS     milliseconds each Connect and Disconnect takes before it returns (and is
//                                 logged), as a real adapter takes seconds to go down and come back.
#include <windows.h>
#include <objbase.h>
#include <netcon.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr CLSID kClsidConnectionManager = {
    0xBA126AD1, 0x2166, 0x11D1, {0xB1, 0xD0, 0x00, 0x80, 0x5F, 0xC1, 0x27, 0x0E}};
constexpr IID kIidConnectionManager = {
    0xC08956A2, 0x1CD3, 0x11D1, {0xB1, 0xC5, 0x00, 0x80, 0x5F, 0xC1, 0x27, 0x0E}};
constexpr IID kIidEnumConnection = {
    0xC08956A0, 0x1CD3, 0x11D1, {0xB1, 0xC5, 0x00, 0x80, 0x5F, 0xC1, 0x27, 0x0E}};
constexpr IID kIidConnection = {0xC08956A1, 0x1CD3, 0x11D1, {0xB1, 0xC5, 0x00, 0x80, 0x5F, 0xC1, 0x27, 0x0E}};

constexpr wchar_t kDefaultConnections[] =
    L"{0000000A-0000-0000-0000-4E6574446576}|eth0;"
    L"{0000000B-0000-0000-0000-4E6574446576}|vmware1;"
    L"{0000000C-0000-0000-0000-4E6574446576}|wlan0";

LONG g_live = 0;   // COM objects alive, the class factory included
LONG g_locks = 0;  // IClassFactory::LockServer
std::mutex g_mutex;
std::set<void*> g_properties;  // handed out, not yet freed

std::wstring Env(const wchar_t* name) {
  wchar_t value[4096];
  const DWORD n = GetEnvironmentVariableW(name, value, 4096);
  return n && n < 4096 ? std::wstring(value, n) : std::wstring();
}

std::string Utf8(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

std::string GuidText(const GUID& g) {
  wchar_t text[40] = {};
  StringFromGUID2(g, text, 40);
  return Utf8(text);
}

// An HRESULT as the log writes it: 0x and eight upper-case hex digits.
std::string Hex(HRESULT hr) {
  char text[16];
  snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
  return text;
}

void Log(const std::string& message) {
  const std::wstring path = Env(L"TW_FAKE_NETSHELL_LOG");
  if (path.empty()) return;
  char line[1100];
  const int n = snprintf(line, sizeof line, "%lu %.1023s\r\n", GetCurrentProcessId(), message.c_str());
  std::lock_guard<std::mutex> lock(g_mutex);
  // Opened and closed per line so that other processes can read the log at any time.
  HANDLE file =
      CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written;
  WriteFile(file, line, static_cast<DWORD>(n), &written, nullptr);
  CloseHandle(file);
}

HRESULT Injected(const wchar_t* method) {
  const std::wstring faults = Env(L"TW_FAKE_NETSHELL_FAIL");
  const std::wstring key = std::wstring(method) + L"=";
  for (size_t pos = faults.find(key); pos != std::wstring::npos; pos = faults.find(key, pos + 1)) {
    if (pos == 0 || faults[pos - 1] == L',') {
      return static_cast<HRESULT>(wcstoul(faults.c_str() + pos + key.size(), nullptr, 0));
    }
  }
  return S_OK;
}

struct Config {
  GUID guid;
  std::wstring name;
};

std::vector<Config> LoadConnections() {
  std::wstring list = Env(L"TW_FAKE_NETSHELL_CONNECTIONS");
  if (list.empty()) list = kDefaultConnections;
  std::vector<Config> out;
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find(L';', start);
    if (end == std::wstring::npos) end = list.size();
    const std::wstring item = list.substr(start, end - start);
    start = end + 1;
    const size_t bar = item.find(L'|');
    Config c{};
    const std::wstring guid = item.substr(0, bar);
    if (FAILED(CLSIDFromString(guid.c_str(), &c.guid))) continue;
    c.name = bar == std::wstring::npos ? L"" : item.substr(bar + 1);
    out.push_back(c);
  }
  return out;
}

template <typename Interface>
class Object : public Interface {
 public:
  explicit Object(const IID& iid) : iid_(iid) { InterlockedIncrement(&g_live); }
  virtual ~Object() { InterlockedDecrement(&g_live); }
  HRESULT WINAPI QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, iid_)) {
      *out = static_cast<Interface*>(this);
      this->AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG WINAPI AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG WINAPI Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (!left) delete this;
    return left;
  }

 private:
  IID iid_;
  LONG refs_ = 1;
};

wchar_t* CopyText(const std::wstring& text) {
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  auto* copy = static_cast<wchar_t*>(CoTaskMemAlloc(bytes));
  memcpy(copy, text.c_str(), bytes);
  return copy;
}

class Connection : public Object<INetConnection> {
 public:
  explicit Connection(const Config& config) : Object(kIidConnection), config_(config) {}

  HRESULT WINAPI Connect() override { return Act("Connect"); }
  HRESULT WINAPI Disconnect() override { return Act("Disconnect"); }
  HRESULT WINAPI Delete() override { return E_NOTIMPL; }
  HRESULT WINAPI Duplicate(LPCWSTR, INetConnection**) override { return E_NOTIMPL; }
  HRESULT WINAPI GetProperties(NETCON_PROPERTIES** out) override {
    const HRESULT hr = Injected(L"GetProperties");
    Log("GetProperties " + GuidText(config_.guid) + " hr=" + Hex(hr));
    if (!out) return E_POINTER;
    *out = nullptr;
    if (FAILED(hr)) return hr;
    auto* p = static_cast<NETCON_PROPERTIES*>(CoTaskMemAlloc(sizeof(NETCON_PROPERTIES)));
    ZeroMemory(p, sizeof *p);
    p->guidId = config_.guid;
    p->pszwName = CopyText(config_.name);
    p->pszwDeviceName = CopyText(L"Fake Adapter " + config_.name);
    p->Status = NCS_CONNECTED;
    p->MediaType = NCM_LAN;
    {
      std::lock_guard<std::mutex> lock(g_mutex);
      g_properties.insert(p);
    }
    *out = p;
    return S_OK;
  }
  HRESULT WINAPI GetUiObjectClassId(CLSID*) override { return E_NOTIMPL; }
  HRESULT WINAPI Rename(LPCWSTR) override { return E_NOTIMPL; }

 private:
  HRESULT Act(const char* what) {
    const DWORD delay = static_cast<DWORD>(wcstoul(Env(L"TW_FAKE_NETSHELL_DELAY_MS").c_str(), nullptr, 10));
    if (delay) Sleep(delay);
    const HRESULT hr = Injected(what[0] == 'C' ? L"Connect" : L"Disconnect");
    Log(std::string(what) + " " + GuidText(config_.guid) + " hr=" + Hex(hr));
    return hr;
  }
  Config config_;
};

class Enumerator : public Object<IEnumNetConnection> {
 public:
  explicit Enumerator(std::vector<Config> connections, size_t position = 0)
      : Object(kIidEnumConnection), connections_(std::move(connections)), position_(position) {}

  HRESULT WINAPI Next(ULONG count, INetConnection** out, ULONG* fetched) override {
    const HRESULT injected = Injected(L"Next");
    if (FAILED(injected)) {
      Log("Next hr=" + Hex(injected));
      return injected;
    }
    if (!out) return E_POINTER;
    ULONG n = 0;
    while (n < count && position_ < connections_.size()) out[n++] = new Connection(connections_[position_++]);
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT WINAPI Skip(ULONG count) override {
    position_ = std::min<size_t>(position_ + count, connections_.size());
    return position_ < connections_.size() ? S_OK : S_FALSE;
  }
  HRESULT WINAPI Reset() override {
    position_ = 0;
    return S_OK;
  }
  HRESULT WINAPI Clone(IEnumNetConnection** out) override {
    if (!out) return E_POINTER;
    *out = new Enumerator(connections_, position_);
    return S_OK;
  }

 private:
  std::vector<Config> connections_;
  size_t position_;
};

class Manager : public Object<INetConnectionManager> {
 public:
  Manager() : Object(kIidConnectionManager) {}
  HRESULT WINAPI EnumConnections(NETCONMGR_ENUM_FLAGS flags, IEnumNetConnection** out) override {
    const HRESULT hr = Injected(L"EnumConnections");
    Log("EnumConnections flags=" + std::to_string(static_cast<int>(flags)) + " hr=" + Hex(hr));
    if (!out) return E_POINTER;
    *out = nullptr;
    if (FAILED(hr)) return hr;
    *out = new Enumerator(LoadConnections());
    return S_OK;
  }
};

class Factory : public Object<IClassFactory> {
 public:
  Factory() : Object(IID_IClassFactory) {}
  HRESULT WINAPI CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    const HRESULT injected = Injected(L"CreateInstance");
    Log("CreateInstance hr=" + Hex(injected));
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (FAILED(injected)) return injected;
    auto* manager = new Manager();
    const HRESULT hr = manager->QueryInterface(riid, out);
    manager->Release();
    return hr;
  }
  HRESULT WINAPI LockServer(BOOL lock) override {
    if (lock) {
      InterlockedIncrement(&g_locks);
    } else {
      InterlockedDecrement(&g_locks);
    }
    return S_OK;
  }
};

}  // namespace

extern "C" {

VOID WINAPI NcFreeNetconProperties(NETCON_PROPERTIES* p) {
  if (!p) return;
  bool known;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    known = g_properties.erase(p) != 0;
  }
  Log("NcFreeNetconProperties " + GuidText(p->guidId) + (known ? "" : " FOREIGN"));
  if (!known) return;  // never free what this module did not hand out
  CoTaskMemFree(p->pszwName);
  CoTaskMemFree(p->pszwDeviceName);
  CoTaskMemFree(p);
}

HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualCLSID(clsid, kClsidConnectionManager)) return CLASS_E_CLASSNOTAVAILABLE;
  auto* factory = new Factory();
  const HRESULT hr = factory->QueryInterface(riid, out);
  factory->Release();
  return hr;
}

HRESULT WINAPI DllCanUnloadNow() {
  return g_live == 0 && g_locks == 0 ? S_OK : S_FALSE;
}

// For tests in the same process: connection objects alive (the class factory included) and properties
// blocks never given back.
VOID WINAPI FakeNetshellOutstanding(LONG* live_objects, LONG* properties) {
  std::lock_guard<std::mutex> lock(g_mutex);
  *live_objects = g_live;
  *properties = static_cast<LONG>(g_properties.size());
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(instance);
    Log("LOAD");
  } else if (reason == DLL_PROCESS_DETACH && !reserved) {
    Log("UNLOAD live_objects=" + std::to_string(g_live) +
        " outstanding_properties=" + std::to_string(g_properties.size()));
  }
  return TRUE;
}

}  // extern "C"
