#include "platform/win32/local_redirection_win32.h"

#include <cstddef>
#include <string_view>

#include "platform/side_by_side.h"
#include "platform/win32/library_search_win32.h"
#include "platform/win32/start_notice_win32.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows builds use 16-bit wchar_t");

namespace tw::win {
namespace {

// Everything here runs before the C++ runtime has started (see app/win32/entry.cpp): system calls and static
// buffers only. The longest path Windows knows:
constexpr std::size_t kPathChars = 32768;

std::u16string_view View(const wchar_t* text, std::size_t chars) {
  return text ? std::u16string_view(reinterpret_cast<const char16_t*>(text), chars) : std::u16string_view();
}

// The Windows folder ("C:\Windows"), the system's own even in a Terminal Services session; empty when
// unknown.
std::u16string_view WindowsFolder() {
  static wchar_t folder[kPathChars];
  const UINT length = GetSystemWindowsDirectoryW(folder, kPathChars);
  return length < kPathChars ? View(folder, length) : std::u16string_view();
}

}  // namespace

bool LocalRedirectionBeside(const wchar_t* exe_path) {
  static wchar_t path[kPathChars + 8];
  constexpr wchar_t kSuffix[] = L".local";
  std::size_t length = 0;
  while (exe_path[length] != L'\0') {
    if (length + sizeof kSuffix / sizeof kSuffix[0] >= sizeof path / sizeof path[0]) return true;
    path[length] = exe_path[length];
    ++length;
  }
  if (length == 0) return true;
  for (std::size_t i = 0; i < sizeof kSuffix / sizeof kSuffix[0]; ++i) path[length + i] = kSuffix[i];
  if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) return true;
  // Only "not there" means no redirection; a path that cannot be examined (access denied) may still hold one.
  const DWORD error = GetLastError();
  return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

bool SideBySideFromWindowsFolder() {
  const std::u16string_view windows = WindowsFolder();
  if (windows.empty()) return false;
  // Room for the largest answer: the fixed part and three paths of the longest length.
  alignas(8) static BYTE
      buffer[sizeof(ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION) + 4 * kPathChars * sizeof(wchar_t)];
  SIZE_T needed = 0;
  // No handle and no flag: the process's default activation context, the one made from the manifest.
  if (!QueryActCtxW(QUERY_ACTCTX_FLAG_NO_ADDREF, nullptr, nullptr, ActivationContextDetailedInformation,
                    buffer, sizeof buffer, &needed)) {
    return false;
  }
  const DWORD count =
      reinterpret_cast<const ACTIVATION_CONTEXT_DETAILED_INFORMATION*>(buffer)->ulAssemblyCount;
  // Assembly 1 is the program's own manifest, in the exe; the others are what it binds.
  for (DWORD index = 2; index <= count; ++index) {
    if (!QueryActCtxW(QUERY_ACTCTX_FLAG_NO_ADDREF, nullptr, &index,
                      AssemblyDetailedInformationInActivationContext, buffer, sizeof buffer, &needed)) {
      return false;
    }
    const auto* assembly = reinterpret_cast<const ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(buffer);
    const std::u16string_view manifest =
        View(assembly->lpAssemblyManifestPath, assembly->ulManifestPathLength / sizeof(wchar_t));
    const std::u16string_view directory =
        View(assembly->lpAssemblyDirectoryName, assembly->ulAssemblyDirectoryNameLength / sizeof(wchar_t));
    if (!AssemblyFromWindowsFolder(manifest, directory, windows)) return false;
  }
  return true;
}

bool ModuleFromWindowsFolder(HMODULE module) {
  static wchar_t path[kPathChars];
  const DWORD length = GetModuleFileNameW(module, path, kPathChars);
  if (length == 0 || length >= kPathChars) return false;
  return IsInsideFolder(View(path, length), WindowsFolder());
}

// The rename race: a ".local" folder there when the process was created, renamed away before these checks and
// back after them. Windows makes the process's default activation context when it creates the process; the
// assembly paths it settled on are a record of that moment, which a later rename cannot change, and that
// record is what is read here, not the folder. The name is checked before and after it, and once more after
// the common controls have been mapped from the store, so a folder renamed away must have stayed away all
// along. The loader looks for a ".local" folder again when it maps a side-by-side library, so the common
// controls are mapped now, while the checks hold, their file is checked, and they are never freed: the copy
// the process goes on with is the one checked here. What no program can close: a folder made after the last
// check, for a side-by-side library mapped later (the manifest binds no other); Windows has no per-process
// switch for ".local".
Redirection FindRedirection() {
  static wchar_t exe[kPathChars];
  const DWORD length = GetModuleFileNameW(nullptr, exe, kPathChars);
  if (length == 0 || length >= kPathChars) return Redirection::kLocalEntry;
  if (LocalRedirectionBeside(exe)) return Redirection::kLocalEntry;
  if (!SideBySideFromWindowsFolder()) return Redirection::kOutsideWindows;
  if (LocalRedirectionBeside(exe)) return Redirection::kLocalEntry;
  HMODULE common_controls = LoadSystemLibrary(L"comctl32.dll");
  if (!common_controls || !ModuleFromWindowsFolder(common_controls)) return Redirection::kOutsideWindows;
  if (LocalRedirectionBeside(exe)) return Redirection::kLocalEntry;
  return Redirection::kNone;
}

bool RefuseLocalRedirection() {
  // Not translated: the translation table needs the runtime, which has not started yet.
  switch (FindRedirection()) {
    case Redirection::kNone:
      return false;
    case Redirection::kLocalEntry:
      ShowStartNotice(
          L"Tempowave will not start: there is a \"Tempowave.exe.local\" folder or file beside the program "
          L"(or its folder cannot be examined). Such an entry lets files in that folder take the place of "
          L"Windows' own libraries in a program that runs as administrator.\n\nRemove it, or start "
          L"Tempowave from another folder.");
      return true;
    case Redirection::kOutsideWindows:
      ShowStartNotice(
          L"Tempowave will not start: Windows would give it common controls from outside the Windows folder "
          L"(a private copy beside the program, or one that cannot be checked). Files there could take the "
          L"place of Windows' own libraries in a program that runs as administrator.\n\nRemove them, or "
          L"start "
          L"Tempowave from another folder.");
      return true;
  }
  return true;
}

}  // namespace tw::win
