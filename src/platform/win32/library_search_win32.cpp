#include "platform/win32/library_search_win32.h"

#include <cstddef>
#include <cstdint>

#if defined(__MINGW32__)
#include <delayimp.h>
#endif

namespace tw::win {

// Runs before the C++ runtime has started (see app/win32/entry.cpp): system calls only.
bool RestrictLibrarySearchToSystem() {
  // The current folder also leaves the legacy search order, for loads that name their own search path.
  SetDllDirectoryW(L"");
  return SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

bool LocalRedirectionBeside(const wchar_t* exe_path) {
  // The longest path Windows knows, plus ".local"; filled by hand: the C runtime has not started.
  static wchar_t path[32768 + 8];
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

bool RefuseLocalRedirection() {
  static wchar_t exe[32768];
  const DWORD length = GetModuleFileNameW(nullptr, exe, sizeof exe / sizeof exe[0]);
  const bool truncated = length == 0 || length >= sizeof exe / sizeof exe[0];
  if (!truncated && !LocalRedirectionBeside(exe)) return false;
  // Not translated: the translation table needs the runtime, which has not started yet.
  using MessageBoxFn = int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, UINT);
  HMODULE user32 = LoadSystemLibrary(L"user32.dll");
  auto* message_box =
      user32 ? reinterpret_cast<MessageBoxFn>(reinterpret_cast<void*>(GetProcAddress(user32, "MessageBoxW")))
             : nullptr;
  if (message_box) {
    message_box(
        nullptr,
        L"Tempowave will not start: there is a \"Tempowave.exe.local\" folder or file beside the program "
        L"(or its folder cannot be examined). Such an entry lets files in that folder take the place of "
        L"Windows' own libraries in a program that runs as administrator.\n\nRemove it, or start "
        L"Tempowave from another folder.",
        L"Tempowave", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
  }
  return true;
}

}  // namespace tw::win

#if defined(__MINGW32__)
// The resolver behind the delay-load stubs (those dlltool makes, or lld), in place of the runtime's own: it
// loads every library from the system folder by flag, whatever the process's search order, and on x86-64 it
// keeps the floating-point argument registers of the call being resolved, which binutils' stubs do not save
// (the GDI+ calls pass coordinates in them). The linker is told to take this one (CMakeLists.txt).
extern "C" IMAGE_DOS_HEADER __ImageBase;  // NOLINT(bugprone-reserved-identifier): named by the linker

namespace {

template <typename T>
T* At(PCImgDelayDescr descriptor, RVA rva) {
  auto* base = (descriptor->grAttrs & dlattrRva) ? reinterpret_cast<BYTE*>(&__ImageBase) : nullptr;
  return reinterpret_cast<T*>(base + rva);
}

[[noreturn]] void Fail(DWORD error) {
  RaiseException(VcppException(ERROR_SEVERITY_ERROR, error), EXCEPTION_NONCONTINUABLE, 0, nullptr);
  ExitProcess(error);
}

}  // namespace

extern "C" FARPROC WINAPI TwResolveDelayImport(PCImgDelayDescr descriptor, FARPROC* slot) {
  auto* module = At<HMODULE>(descriptor, descriptor->rvaHmod);
  HMODULE loaded = *module;
  if (!loaded) {
    loaded = LoadLibraryExA(At<const char>(descriptor, descriptor->rvaDLLName), nullptr,
                            LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!loaded) Fail(ERROR_MOD_NOT_FOUND);
    // Another thread may have loaded it meanwhile: keep one reference.
    void* before =
        InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(module), loaded, nullptr);
    if (before) {
      FreeLibrary(loaded);
      loaded = static_cast<HMODULE>(before);
    }
  }
  const IMAGE_THUNK_DATA& wanted = At<IMAGE_THUNK_DATA>(
      descriptor, descriptor->rvaINT)[slot - At<FARPROC>(descriptor, descriptor->rvaIAT)];
  const char* name =
      IMAGE_SNAP_BY_ORDINAL(wanted.u1.Ordinal)
          ? reinterpret_cast<const char*>(static_cast<uintptr_t>(IMAGE_ORDINAL(wanted.u1.Ordinal)))
          : reinterpret_cast<const char*>(
                At<IMAGE_IMPORT_BY_NAME>(descriptor, static_cast<RVA>(wanted.u1.AddressOfData))->Name);
  FARPROC proc = GetProcAddress(loaded, name);
  if (!proc) Fail(ERROR_PROC_NOT_FOUND);
  InterlockedExchangePointer(reinterpret_cast<void* volatile*>(slot), reinterpret_cast<void*>(proc));
  return proc;
}

// dlltool puts each library's delay-import descriptor in .text$2; the linker sorts .text$ sections by name,
// so these labels enclose them as one table, closed by the all-zero descriptor that the format asks for.
// After linking, the PE's delay-import directory is pointed at that table (cmake/delay_directory.py), so that
// Windows' own tools and scanners see the delayed imports for what they are. lld writes its own table and
// directory (TW_NATIVE_DELAYLOAD).
#if !defined(TW_NATIVE_DELAYLOAD)
asm(R"(
    .section .text$1,"dr"
    .p2align 2
    .globl tw_delay_descriptors_begin
tw_delay_descriptors_begin:
    .section .text$3,"dr"
    .p2align 2
    .globl tw_delay_descriptors_end
tw_delay_descriptors_end:
    .space 32
    .text
)");
#endif

#if defined(__x86_64__)
// Called by the stubs with the integer arguments saved and the floating-point ones still in XMM0 to XMM3.
asm(R"(
    .text
    .globl __delayLoadHelper2
    .def __delayLoadHelper2; .scl 2; .type 32; .endef
    .seh_proc __delayLoadHelper2
__delayLoadHelper2:
    subq $0x68, %rsp
    .seh_stackalloc 0x68
    .seh_endprologue
    movaps %xmm0, 0x20(%rsp)
    movaps %xmm1, 0x30(%rsp)
    movaps %xmm2, 0x40(%rsp)
    movaps %xmm3, 0x50(%rsp)
    call TwResolveDelayImport
    movaps 0x20(%rsp), %xmm0
    movaps 0x30(%rsp), %xmm1
    movaps 0x40(%rsp), %xmm2
    movaps 0x50(%rsp), %xmm3
    addq $0x68, %rsp
    ret
    .seh_endproc
)");
#else
// NOLINTNEXTLINE(bugprone-reserved-identifier): the name the delay-load stubs call, fixed by the import ABI
extern "C" FARPROC WINAPI __delayLoadHelper2(PCImgDelayDescr descriptor, FARPROC* slot) {
  return TwResolveDelayImport(descriptor, slot);
}
#endif
#endif  // __MINGW32__
