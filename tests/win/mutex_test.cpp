#include <windows.h>

#include <gtest/gtest.h>

namespace {

// The single-instance lock relies on a named mutex being visible to a second open in the same session.
TEST(InstanceMutex, SecondOpenSeesFirstCreate) {
  const wchar_t* name = L"TempowaveMutexTest";
  EXPECT_EQ(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, name), nullptr);
  HANDLE first = CreateMutexW(nullptr, TRUE, name);
  ASSERT_NE(first, nullptr);
  HANDLE second = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, name);
  EXPECT_NE(second, nullptr);
  if (second) CloseHandle(second);
  CloseHandle(first);
}

}  // namespace
