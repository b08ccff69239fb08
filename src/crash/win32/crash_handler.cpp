#include "crash/win32/crash_handler.h"

#include <windows.h>
#include <dbghelp.h>

#include <cstdint>
#include <cwchar>
#include <exception>
#include <string>

#include "crash/crash_report.h"
#include "crash/win32/dump_folder.h"
#include "platform/win32/library_search_win32.h"
#include "platform/win32/wstr.h"
#include "platform/win32/application.h"

namespace tw::win {
namespace {

std::u16string Caption() {
  const std::u16string& title = Application::Title();
  return title.empty() ? u"Tempowave" : title;
}

using MiniDumpWriteDumpFn = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE,
                                          PMINIDUMP_EXCEPTION_INFORMATION, PMINIDUMP_USER_STREAM_INFORMATION,
                                          PMINIDUMP_CALLBACK_INFORMATION);

}  // namespace

bool WriteCrashDump(EXCEPTION_POINTERS* info, wchar_t* path, size_t capacity) {
  wchar_t parent[MAX_PATH];
  if (!CrashDumpParent(parent, MAX_PATH)) return false;
  // The dump helper comes from the system folder only, like every library of this process.
  HMODULE dbghelp = LoadSystemLibrary(L"dbghelp.dll");
  auto write = dbghelp ? reinterpret_cast<MiniDumpWriteDumpFn>(
                             reinterpret_cast<void*>(GetProcAddress(dbghelp, "MiniDumpWriteDump")))
                       : nullptr;
  if (!write) return false;
  wchar_t stamp[32];
  wsprintfW(stamp, L"%lu-%lu", GetCurrentProcessId(), GetTickCount());
  HANDLE file = CreateDumpFile(parent, stamp, path, capacity);
  if (file == INVALID_HANDLE_VALUE) return false;
  MINIDUMP_EXCEPTION_INFORMATION mei{GetCurrentThreadId(), info, FALSE};
  const bool written = write(GetCurrentProcess(), GetCurrentProcessId(), file, MiniDumpNormal, &mei, nullptr,
                             nullptr) != FALSE;
  CloseHandle(file);
  // The file and its folder were made new, for administrators only: removing them by name is safe.
  if (!written) {
    DeleteFileW(path);
    *std::wcsrchr(path, L'\\') = L'\0';
    RemoveDirectoryW(path);
  }
  return written;
}

// Runs on the crashing thread with the process in an unknown state: no allocation-heavy work, system calls
// only.
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
  wchar_t path[MAX_PATH] = L"";
  const bool written = WriteCrashDump(info, path, MAX_PATH);
  // wsprintfW writes at most 1024 characters.
  wchar_t text[1024];
  if (written) {
    wsprintfW(text, L"Tempowave stopped unexpectedly (error 0x%08lX).\n\nA crash report was saved to:\n%s",
              info->ExceptionRecord->ExceptionCode, path);
  } else {
    wsprintfW(text, L"Tempowave stopped unexpectedly (error 0x%08lX).", info->ExceptionRecord->ExceptionCode);
  }
  MessageBoxW(nullptr, text, L"Tempowave", MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
  return EXCEPTION_EXECUTE_HANDLER;
}

void HandleUiException(const std::exception_ptr& error) {
  try {
    const std::u16string text = DescribeException(error);
    HWND owner = Application::MainWindow();
    MessageBoxW(owner ? owner : Application::HiddenOwner(), W(text), W(Caption()), MB_OK | MB_ICONERROR);
  } catch (...) {
    // Nothing more can be done for an error while reporting an error.
  }
}

namespace {

// The program's own image, where no instruction is ever meant to fault.
struct Image {
  uintptr_t begin = 0, end = 0;
};
Image g_image;
volatile LONG g_reporting = 0;

bool IsFault(DWORD code) {
  switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:  // also how qemu-i386 reports any memory fault
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_STACK_OVERFLOW:
      return true;
    default:
      return false;
  }
}

// Windows swallows an exception raised in a window procedure that the kernel called back (a WM_PAINT sent by
// UpdateWindow, the messages of CreateWindowEx, ...) in some configurations, and Wine always does: the
// program would go on after a null read, with its state undefined. So a fault of an instruction of the
// program's own image is reported here, first, and ends the process, whoever would handle it later. Faults
// elsewhere (inside system libraries, which may handle their own) go the usual way, to the filter.
LONG WINAPI ReportOwnFault(EXCEPTION_POINTERS* info) {
  const auto at = reinterpret_cast<uintptr_t>(info->ExceptionRecord->ExceptionAddress);
  if (!IsFault(info->ExceptionRecord->ExceptionCode) || at < g_image.begin || at >= g_image.end) {
    return EXCEPTION_CONTINUE_SEARCH;
  }
  // A fault while reporting one ends the process at once, with the first fault's story told or not.
  if (InterlockedExchange(&g_reporting, 1) == 0) ReportCrash(info);
  TerminateProcess(GetCurrentProcess(), info->ExceptionRecord->ExceptionCode);
  return EXCEPTION_CONTINUE_SEARCH;
}

// What std::terminate leads to: an exception that no handler caught (i686 code unwinds with DWARF-2, which
// cannot pass through Windows' own frames), or one thrown while another was in flight. Without this the
// runtime's abort ends a windowed program without a word.
[[noreturn]] void ReportTermination() {
  constexpr DWORD kFatalAppExit = 0x40000015;  // STATUS_FATAL_APP_EXIT, what abort() ends a program with
  CONTEXT context{};
  RtlCaptureContext(&context);
  EXCEPTION_RECORD record{};
  record.ExceptionCode = kFatalAppExit;
  record.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
  record.ExceptionAddress = __builtin_return_address(0);
  EXCEPTION_POINTERS info{&record, &context};
  if (InterlockedExchange(&g_reporting, 1) == 0) ReportCrash(&info);
  TerminateProcess(GetCurrentProcess(), kFatalAppExit);
  for (;;) Sleep(INFINITE);
}

}  // namespace

void InstallCrashHandler() {
  auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  g_image = {reinterpret_cast<uintptr_t>(base),
             reinterpret_cast<uintptr_t>(base) + nt->OptionalHeader.SizeOfImage};
  AddVectoredExceptionHandler(1, ReportOwnFault);
  SetUnhandledExceptionFilter(ReportCrash);
  std::set_terminate(ReportTermination);
}

}  // namespace tw::win
