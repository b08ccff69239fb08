#include "platform/win32/clock_win32.h"

#include <windows.h>

namespace tw::win {

void SystemClock::Sleep(std::uint32_t milliseconds) {
  ::Sleep(milliseconds);
}

LocalTime SystemClock::Now() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

std::uint64_t SystemClock::Milliseconds() {
  return GetTickCount64();
}

}  // namespace tw::win
