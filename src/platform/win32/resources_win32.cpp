#include "platform/win32/resources_win32.h"

namespace tw::win {

std::optional<std::string_view> RcData(HMODULE module, const wchar_t* name) {
  if (!module) module = GetModuleHandleW(nullptr);
  HRSRC info = FindResourceW(module, name, MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (!info) return std::nullopt;
  // Resources are mapped with the module: nothing to free.
  HGLOBAL loaded = LoadResource(module, info);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return std::nullopt;
  return std::string_view(static_cast<const char*>(bytes), SizeofResource(module, info));
}

}  // namespace tw::win
