#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/instance_lock_win32.h"
#include "platform/win32/machine_lock_win32.h"
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

// The machine-wide lock: one holder at a time, across threads (and so across copies); given back, it can be
// taken again; a holder that ended without giving it back leaves it to the next.
TEST(MachineLock, OneHolderAtATime) {
  const std::wstring name = L"Global\\" + UniqueName(L"machine");
  tw::win::MachineLock first(name.c_str());
  ASSERT_EQ(first.TryAcquire(), tw::LockTaken::Held);
  bool other = true;
  std::thread([&] {
    tw::win::MachineLock second(name.c_str());
    other = second.TryAcquire() == tw::LockTaken::Held;
  }).join();
  EXPECT_FALSE(other);
  first.Release();
  std::thread([&] {
    tw::win::MachineLock second(name.c_str());
    other = second.TryAcquire() == tw::LockTaken::Held;
    // The thread ends holding it: abandoned.
  }).join();
  EXPECT_TRUE(other);
  EXPECT_EQ(first.TryAcquire(), tw::LockTaken::Held);  // abandoned counts as free for the next holder
  first.Release();
}

// The lock is made for Administrators and SYSTEM only, and owned by Administrators.
TEST(MachineLock, OnlyAdministratorsAndSystemMayOpenIt) {
  const std::wstring name = L"Global\\" + UniqueName(L"acl");
  tw::win::MachineLock lock(name.c_str());
  ASSERT_EQ(lock.TryAcquire(), tw::LockTaken::Held);
  HANDLE mutex = OpenMutexW(READ_CONTROL, FALSE, name.c_str());
  ASSERT_NE(mutex, nullptr);
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  PSID owner = nullptr;
  PACL dacl = nullptr;
  ASSERT_EQ(GetSecurityInfo(mutex, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                            &owner, nullptr, &dacl, nullptr, &descriptor),
            static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_TRUE(IsWellKnownSid(owner, WinBuiltinAdministratorsSid));
  ASSERT_NE(dacl, nullptr);
  ASSERT_EQ(dacl->AceCount, 2);
  for (WORD i = 0; i < dacl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
    const PSID sid = &ace->SidStart;
    EXPECT_TRUE(IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || IsWellKnownSid(sid, WinLocalSystemSid));
  }
  LocalFree(descriptor);
  CloseHandle(mutex);
  lock.Release();
}

// A name squatted by another kind of object, or by a mutex that a user (not Administrators) owns, is never
// taken for the lock: the copy counts it as held elsewhere.
TEST(MachineLock, ASquattedNameCountsAsHeld) {
  const std::wstring event_name = L"Global\\" + UniqueName(L"event");
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, event_name.c_str());
  ASSERT_NE(event, nullptr);
  tw::win::MachineLock over_event(event_name.c_str());
  EXPECT_EQ(over_event.TryAcquire(), tw::LockTaken::Busy);
  CloseHandle(event);

  const std::wstring mutex_name = L"Global\\" + UniqueName(L"squat");
  PSECURITY_DESCRIPTOR sd = nullptr;
  // Owned by the interactive user group and open to everyone: what a user without elevation could make.
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:IUD:(A;;GA;;;WD)", SDDL_REVISION_1,
                                                                   &sd, nullptr));
  SECURITY_ATTRIBUTES sa{sizeof sa, sd, FALSE};
  HANDLE squat = CreateMutexW(&sa, FALSE, mutex_name.c_str());
  LocalFree(sd);
  if (!squat) GTEST_SKIP() << "the system refused the owner for the squatting mutex: " << GetLastError();
  tw::win::MachineLock over_mutex(mutex_name.c_str());
  EXPECT_EQ(over_mutex.TryAcquire(), tw::LockTaken::Busy);
  CloseHandle(squat);
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
