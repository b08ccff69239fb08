#include "crash/win32/crash_handler.h"

#include <windows.h>
#include <dbghelp.h>

#include <string>

#include "crash/crash_report.h"
#include "platform/win32/handles.h"
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

// Runs on the crashing thread with the process in an unknown state: no allocation-heavy work, system calls
// only.
LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* info) {
  wchar_t path[MAX_PATH + 64] = L"";
  const DWORD n = GetTempPathW(MAX_PATH, path);
  wsprintfW(path + n, L"Tempowave-crash-%lu.dmp", GetCurrentProcessId());
  bool written = false;
  if (HMODULE dbghelp = LoadLibraryW(L"dbghelp.dll")) {
    auto write = reinterpret_cast<MiniDumpWriteDumpFn>(
        reinterpret_cast<void*>(GetProcAddress(dbghelp, "MiniDumpWriteDump")));
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (write && file != INVALID_HANDLE_VALUE) {
      MINIDUMP_EXCEPTION_INFORMATION mei{GetCurrentThreadId(), info, FALSE};
      written =
          write(GetCurrentProcess(), GetCurrentProcessId(), file, MiniDumpNormal, &mei, nullptr, nullptr);
    }
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
  wchar_t text[MAX_PATH + 256];
  if (written) {
    wsprintfW(text, L"Tempowave stopped unexpectedly (error 0x%08lX).\n\nA crash report was saved to:\n%s",
              info->ExceptionRecord->ExceptionCode, path);
  } else {
    wsprintfW(text, L"Tempowave stopped unexpectedly (error 0x%08lX).", info->ExceptionRecord->ExceptionCode);
  }
  MessageBoxW(nullptr, text, L"Tempowave", MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

void HandleUiException(std::exception_ptr error) {
  try {
    const std::u16string text = DescribeException(error);
    HWND owner = Application::MainWindow();
    MessageBoxW(owner ? owner : Application::HiddenOwner(), W(text), W(Caption()), MB_OK | MB_ICONERROR);
  } catch (...) {
    // Nothing more can be done for an error while reporting an error.
  }
}

void InstallCrashHandler() {
  SetUnhandledExceptionFilter(OnUnhandledException);
}

}  // namespace tw::win
