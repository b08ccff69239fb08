#include <windows.h>

#include <sddl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/instance_lock_win32.h"
#include "platform/win32/registry_win32.h"

namespace {

// A name no other test or run uses.
std::wstring UniqueName(const wchar_t* what) {
  static int counter = 0;
  return std::wstring(L"TempowaveTest-") + what + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(++counter);
}

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

TEST(ClaimInstance, FirstClaimWinsLaterOnesDoNot) {
  const std::wstring name = UniqueName(L"claim");
  EXPECT_TRUE(tw::win::ClaimInstance(name.c_str()));
  EXPECT_FALSE(tw::win::ClaimInstance(name.c_str()));
  EXPECT_FALSE(tw::win::ClaimInstance(name.c_str()));
  // The winner keeps the mutex open: another program still finds it.
  HANDLE open = OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
  EXPECT_NE(open, nullptr);
  if (open) CloseHandle(open);
}

// Copies that start together: released at the same moment, exactly one of them may win, in every round.
TEST(ClaimInstance, ExactlyOneOfManyStartingTogether) {
  constexpr int kRounds = 50;
  constexpr int kCopies = 8;
  for (int round = 0; round < kRounds; ++round) {
    const std::wstring name = UniqueName(L"race");
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> ready{0}, winners{0};
    std::vector<std::thread> copies;
    copies.reserve(kCopies);
    for (int i = 0; i < kCopies; ++i) {
      copies.emplace_back([&] {
        ++ready;
        WaitForSingleObject(go, INFINITE);
        if (tw::win::ClaimInstance(name.c_str())) ++winners;
      });
    }
    while (ready < kCopies) Sleep(0);
    SetEvent(go);
    for (auto& t : copies) t.join();
    CloseHandle(go);
    ASSERT_EQ(winners, 1) << "round " << round;
  }
}

// A mutex of that name that this process may not even open (made under other rights) is taken all the same.
TEST(ClaimInstance, ExistingMutexThatCannotBeOpenedCounts) {
  const std::wstring name = UniqueName(L"locked");
  PSECURITY_DESCRIPTOR sd = nullptr;
  // Protected and empty: nobody is granted anything.
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P", SDDL_REVISION_1, &sd, nullptr));
  SECURITY_ATTRIBUTES sa{sizeof sa, sd, FALSE};
  HANDLE locked = CreateMutexW(&sa, FALSE, name.c_str());
  LocalFree(sd);
  ASSERT_NE(locked, nullptr);
  HANDLE probe = CreateMutexW(nullptr, TRUE, name.c_str());
  const DWORD error = GetLastError();
  if (probe) CloseHandle(probe);
  ASSERT_EQ(probe, nullptr) << "the system let this process open a mutex that grants nothing";
  ASSERT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(tw::win::ClaimInstance(name.c_str()));
  CloseHandle(locked);
}

// The key of the machine-wide record: a protected access list for Administrators and SYSTEM only, also on a
// key that existed before with inherited rights.
TEST(AdminKey, ForAdministratorsAndSystemOnly) {
  const std::wstring path = L"Software\\" + UniqueName(L"adminkey");
  const std::u16string subkey(path.begin(), path.end());
  tw::win::WinRegistry registry;
  for (bool existed : {false, true}) {
    SCOPED_TRACE(existed);
    if (existed) {
      HKEY plain = nullptr;
      ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                &plain, nullptr),
                ERROR_SUCCESS);
      RegCloseKey(plain);
    }
    tw::RegKey key = 0;
    ASSERT_EQ(registry.CreateAdminKey(tw::reg::kCurrentUser, subkey, tw::reg::kReadWrite, &key), 0);
    DWORD size = 0;
    RegGetKeySecurity(reinterpret_cast<HKEY>(key), DACL_SECURITY_INFORMATION, nullptr, &size);
    std::vector<BYTE> buffer(size);
    ASSERT_EQ(RegGetKeySecurity(reinterpret_cast<HKEY>(key), DACL_SECURITY_INFORMATION, buffer.data(), &size),
              ERROR_SUCCESS);
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(buffer.data(), &present, &dacl, &defaulted));
    ASSERT_TRUE(present && dacl);
    ASSERT_EQ(dacl->AceCount, 2);
    for (WORD i = 0; i < dacl->AceCount; ++i) {
      ACCESS_ALLOWED_ACE* ace = nullptr;
      ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
      EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
      EXPECT_TRUE(IsWellKnownSid(&ace->SidStart, WinBuiltinAdministratorsSid) ||
                  IsWellKnownSid(&ace->SidStart, WinLocalSystemSid));
    }
    registry.CloseKey(key);
    RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
  }
}

}  // namespace
