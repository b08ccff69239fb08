#include "platform/win32/library_search_win32.h"

#include <cstdint>

#if defined(__MINGW32__)
#include <delayimp.h>
#endif

namespace tw::win {

// Runs before the C++ runtime has started (see app/win32/entry.cpp): system calls only.
bool RestrictLibrarySearch(SetDefaultDllDirectoriesFn set_default_directories) {
  // The current folder also leaves the legacy search order, for loads that name their own search path.
  SetDllDirectoryW(L"");
  return set_default_directories && set_default_directories(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
}

bool RestrictLibrarySearchToSystem() {
  // Looked up, not imported: a loader without it (Windows 7 or Vista without the 2011 loader update,
  // KB2533623) would otherwise refuse to start the program with a bare "entry point not found".
  HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  return RestrictLibrarySearch(kernel32
                                   ? reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
                                         GetProcAddress(kernel32, "SetDefaultDllDirectories")))
                                   : nullptr);
}

void ShowLoaderUpdateNeeded() {
  // Shown by Windows itself (a service notification is drawn by the system, not by this process), so that
  // nothing is loaded into a process whose library search could not be restricted.
  MessageBoxW(nullptr,
              L"Tempowave will not start: this Windows cannot restrict where programs load their libraries "
              L"from, which a program that runs as administrator needs.\n\nInstall the Windows updates "
              L"(KB2533623 on Windows 7), then start Tempowave again.",
              L"Tempowave", MB_OK | MB_ICONERROR | MB_SERVICE_NOTIFICATION);
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
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
