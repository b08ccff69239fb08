#include "platform/win32/netcon_win32.h"

#include <windows.h>
#include <objbase.h>
#include <netcon.h>

#include "platform/text.h"
#include "platform/win32/handles.h"
#include "platform/win32/library_search_win32.h"
#include "platform/win32/wstr.h"

namespace tw::win {
namespace {

// The import library knows none of these.
constexpr CLSID kClsidConnectionManager = {
    0xBA126AD1, 0x2166, 0x11D1, {0xB1, 0xD0, 0x00, 0x80, 0x5F, 0xC1, 0x27, 0x0E}};
constexpr IID kIidConnectionManager = {
    0xC08956A2, 0x1CD3, 0x11D1, {0xB1, 0xC5, 0x00, 0x80, 0x5F, 0xC1, 0x27, 0x0E}};
// In-process server and handler, local and remote server.
constexpr DWORD kClassContext = 0x17;

using FreePropertiesFn = VOID(WINAPI*)(NETCON_PROPERTIES*);

// Frees one properties block through the component that allocated it.
class Properties {
 public:
  explicit Properties(FreePropertiesFn free) : free_(free) {}
  Properties(const Properties&) = delete;
  Properties& operator=(const Properties&) = delete;
  ~Properties() {
    if (p_) free_(p_);
  }
  NETCON_PROPERTIES** put() { return &p_; }
  NETCON_PROPERTIES* get() const { return p_; }

 private:
  FreePropertiesFn free_;
  NETCON_PROPERTIES* p_ = nullptr;
};

std::u16string GuidText(const GUID& guid) {
  wchar_t text[40] = {};
  if (!StringFromGUID2(guid, text, 40)) return {};
  return U(text);
}

bool Walk(FreePropertiesFn free_properties, const std::u16string& wanted, bool enable) {
  com_ptr<INetConnectionManager> manager;
  if (CoCreateInstance(kClsidConnectionManager, nullptr, kClassContext, kIidConnectionManager,
                       manager.put_void()) != S_OK ||
      !manager) {
    return false;
  }
  com_ptr<IEnumNetConnection> connections;
  if (manager->EnumConnections(NCME_DEFAULT, connections.put()) != S_OK || !connections) return false;

  com_ptr<INetConnection> connection;
  ULONG fetched = 0;
  while (connections->Next(1, connection.put(), &fetched) == S_OK && connection) {
    Properties properties(free_properties);
    if (connection->GetProperties(properties.put()) != S_OK || !properties.get()) continue;
    if (AsciiLowerCase(GuidText(properties.get()->guidId)) == wanted) {
      return (enable ? connection->Connect() : connection->Disconnect()) == S_OK;
    }
  }
  return false;
}

}  // namespace

bool Win32NetConnections::SetConnectionEnabled(const std::u16string& guid, bool enable) {
  // From the system folder only: the program runs elevated, and a copy beside the exe must not be taken.
  unique_hmodule library(LoadSystemLibrary(W(library_)));
  if (!library) return false;
  auto free_properties = reinterpret_cast<FreePropertiesFn>(
      reinterpret_cast<void*>(GetProcAddress(library.get(), "NcFreeNetconProperties")));
  if (!free_properties) return false;
  // Kept loaded once found, as it stays when an apartment that lives on has used it: each restart runs on a
  // new worker whose apartment is the only other holder, and loading it afresh every time costs as much as
  // the rest of Run. The reference is never given back; the process's end releases it.
  if (!kept_.exchange(true)) LoadSystemLibrary(W(library_));
  // A nested level on the caller's apartment, so that the call also works on a thread that has none yet;
  // the connection objects are released inside Walk, before COM and the library are.
  const bool com = SUCCEEDED(CoInitialize(nullptr));
  const bool result = Walk(free_properties, AsciiLowerCase(guid), enable);
  if (com) CoUninitialize();
  return result;
}

}  // namespace tw::win
