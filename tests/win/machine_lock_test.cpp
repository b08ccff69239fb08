// The machine-wide lock: its private namespace through a stand-in for the kernel calls Wine lacks, and the
// fallback in the global namespace against Wine's real mutexes.
#include "platform/win32/machine_lock_win32.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

using tw::LockTaken;
using tw::win::LockCalls;
using tw::win::MachineLock;
using tw::win::MachineLockKind;

// A name no other test or run uses.
std::wstring UniqueName(const wchar_t* what) {
  static int counter = 0;
  return std::wstring(L"TempowaveTest-") + what + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(++counter);
}

bool UnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// Owned by Administrators, a protected access list that grants Administrators and SYSTEM alone.
void ExpectAdminsOnly(PSECURITY_DESCRIPTOR descriptor) {
  ASSERT_NE(descriptor, nullptr);
  PSID owner = nullptr;
  BOOL defaulted = FALSE, present = FALSE;
  ASSERT_TRUE(GetSecurityDescriptorOwner(descriptor, &owner, &defaulted));
  ASSERT_NE(owner, nullptr);
  EXPECT_TRUE(IsWellKnownSid(owner, WinBuiltinAdministratorsSid));
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  ASSERT_TRUE(GetSecurityDescriptorControl(descriptor, &control, &revision));
  EXPECT_TRUE(control & SE_DACL_PROTECTED);
  PACL dacl = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted));
  ASSERT_TRUE(present && dacl);
  ASSERT_EQ(dacl->AceCount, 2);
  for (WORD i = 0; i < dacl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
    EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
    EXPECT_TRUE(IsWellKnownSid(&ace->SidStart, WinBuiltinAdministratorsSid) ||
                IsWellKnownSid(&ace->SidStart, WinLocalSystemSid));
  }
}

// What a standard user can put at the global name first: an event, or a mutex owned by the user (not by
// Administrators), open to everyone and held; and what a user cannot make: a mutex that grants nothing.
enum class Squat { kEvent, kUsersMutex, kForbiddingMutex };

std::wstring UserSid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  std::vector<BYTE> buffer(256);
  DWORD size = 0;
  const BOOL read =
      GetTokenInformation(token, TokenUser, buffer.data(), static_cast<DWORD>(buffer.size()), &size);
  CloseHandle(token);
  wchar_t* text = nullptr;
  if (!read || !ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text))
    return {};
  std::wstring sid = text;
  LocalFree(text);
  return sid;
}

HANDLE MakeSquat(Squat kind, const std::wstring& name) {
  if (kind == Squat::kEvent) return CreateEventW(nullptr, TRUE, FALSE, name.c_str());
  const std::wstring sddl = kind == Squat::kUsersMutex ? L"O:" + UserSid() + L"D:(A;;GA;;;WD)" : L"O:BAD:P";
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &sd, nullptr)) {
    return nullptr;
  }
  SECURITY_ATTRIBUTES sa{sizeof sa, sd, FALSE};
  HANDLE mutex = CreateMutexW(&sa, kind == Squat::kUsersMutex, name.c_str());
  LocalFree(sd);
  return mutex;
}

// A system with boundary descriptors, as Windows has them: what the lock asked of it, and the failures it is
// told to give. A namespace exists while a handle to it is open (a real event stands for each handle); the
// mutex in it is a real mutex under a name of this test.
struct FakeSystem {
  // Answers.
  bool administrator = true;
  bool membership_fails = false;
  bool boundary_made = true;
  DWORD add_sid_error = ERROR_SUCCESS;
  DWORD label_error = ERROR_SUCCESS;
  std::vector<DWORD> create_errors;  // one per call in turn, before the namespace's own answer
  std::vector<DWORD> open_errors;
  DWORD namespace_mutex_error = ERROR_SUCCESS;
  DWORD global_mutex_error = ERROR_SUCCESS;
  std::wstring namespace_mutex = UniqueName(L"in-namespace");

  // Seen.
  std::vector<std::string> calls;
  std::wstring boundary_name;
  bool boundary_holds_administrators = false;
  bool boundary_holds_high_label = false;
  int boundaries_open = 0;
  int namespaces_open = 0;
  std::vector<ULONG> close_flags;
  std::vector<std::wstring> mutex_names;

  size_t creates = 0, opens = 0;
};
FakeSystem* fake = nullptr;
int boundary_storage = 0;

BOOL WINAPI FakeCheckTokenMembership(HANDLE token, PSID sid, PBOOL member) {
  fake->calls.push_back("CheckTokenMembership");
  if (fake->membership_fails || token || !IsWellKnownSid(sid, WinBuiltinAdministratorsSid)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *member = fake->administrator;
  return TRUE;
}

HANDLE WINAPI FakeCreateBoundaryDescriptor(LPCWSTR name, ULONG flags) {
  fake->calls.push_back("CreateBoundaryDescriptorW");
  fake->boundary_name = name;
  if (!fake->boundary_made || flags != 0) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return nullptr;
  }
  ++fake->boundaries_open;
  return &boundary_storage;
}

BOOL WINAPI FakeAddSid(HANDLE* boundary, PSID sid) {
  fake->calls.push_back("AddSIDToBoundaryDescriptor");
  if (fake->add_sid_error) {
    SetLastError(fake->add_sid_error);
    return FALSE;
  }
  fake->boundary_holds_administrators =
      *boundary == &boundary_storage && IsValidSid(sid) && IsWellKnownSid(sid, WinBuiltinAdministratorsSid);
  return TRUE;
}

BOOL WINAPI FakeAddLabel(HANDLE* boundary, PSID label) {
  fake->calls.push_back("AddIntegrityLabelToBoundaryDescriptor");
  if (fake->label_error) {
    SetLastError(fake->label_error);
    return FALSE;
  }
  fake->boundary_holds_high_label =
      *boundary == &boundary_storage && IsValidSid(label) && IsWellKnownSid(label, WinHighLabelSid);
  return TRUE;
}

VOID WINAPI FakeDeleteBoundary(HANDLE boundary) {
  fake->calls.push_back("DeleteBoundaryDescriptor");
  if (boundary == &boundary_storage) --fake->boundaries_open;
}

// Once, in turn, the error a row asks for; then what the namespace itself would answer.
DWORD Scripted(const std::vector<DWORD>& errors, size_t* taken, DWORD otherwise) {
  return *taken < errors.size() ? errors[(*taken)++] : otherwise;
}

HANDLE OpenNamespaceHandle() {
  ++fake->namespaces_open;
  return CreateEventW(nullptr, FALSE, FALSE, nullptr);
}

HANDLE WINAPI FakeCreateNamespace(LPSECURITY_ATTRIBUTES attributes, LPVOID boundary, LPCWSTR alias) {
  fake->calls.push_back("CreatePrivateNamespaceW");
  EXPECT_EQ(boundary, &boundary_storage);
  EXPECT_STREQ(alias, tw::win::kMachineNamespaceAlias);
  EXPECT_TRUE(attributes && !attributes->bInheritHandle);
  if (attributes) ExpectAdminsOnly(attributes->lpSecurityDescriptor);
  const DWORD error = Scripted(fake->create_errors, &fake->creates,
                               fake->namespaces_open ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  if (error) {
    SetLastError(error);
    return nullptr;
  }
  return OpenNamespaceHandle();
}

HANDLE WINAPI FakeOpenNamespace(LPVOID boundary, LPCWSTR alias) {
  fake->calls.push_back("OpenPrivateNamespaceW");
  EXPECT_EQ(boundary, &boundary_storage);
  EXPECT_STREQ(alias, tw::win::kMachineNamespaceAlias);
  const DWORD error =
      Scripted(fake->open_errors, &fake->opens, fake->namespaces_open ? ERROR_SUCCESS : ERROR_PATH_NOT_FOUND);
  if (error) {
    SetLastError(error);
    return nullptr;
  }
  return OpenNamespaceHandle();
}

BOOLEAN WINAPI FakeCloseNamespace(HANDLE handle, ULONG flags) {
  fake->calls.push_back("ClosePrivateNamespace");
  fake->close_flags.push_back(flags);
  --fake->namespaces_open;
  return CloseHandle(handle) ? TRUE : FALSE;
}

HANDLE WINAPI FakeCreateMutex(LPSECURITY_ATTRIBUTES attributes, BOOL initial_owner, LPCWSTR name) {
  fake->calls.push_back("CreateMutexW");
  fake->mutex_names.push_back(name ? name : L"");
  const bool in_namespace = name && std::wstring(name) == tw::win::kMachineMutexInNamespace;
  if (in_namespace && attributes) ExpectAdminsOnly(attributes->lpSecurityDescriptor);
  if (const DWORD error = in_namespace ? fake->namespace_mutex_error : fake->global_mutex_error) {
    SetLastError(error);
    return nullptr;
  }
  return CreateMutexW(attributes, initial_owner, in_namespace ? fake->namespace_mutex.c_str() : name);
}

LockCalls WithNamespaces(bool label = true) {
  LockCalls calls{};
  calls.check_token_membership = FakeCheckTokenMembership;
  calls.create_boundary_descriptor = FakeCreateBoundaryDescriptor;
  calls.add_sid_to_boundary_descriptor = FakeAddSid;
  calls.add_integrity_label_to_boundary_descriptor = label ? FakeAddLabel : nullptr;
  calls.delete_boundary_descriptor = FakeDeleteBoundary;
  calls.create_private_namespace = FakeCreateNamespace;
  calls.open_private_namespace = FakeOpenNamespace;
  calls.close_private_namespace = FakeCloseNamespace;
  calls.create_mutex = FakeCreateMutex;
  return calls;
}

class MachineLockNamespace : public ::testing::Test {
 protected:
  MachineLockNamespace() { fake = &system; }
  ~MachineLockNamespace() override { fake = nullptr; }
  bool Called(const char* name) const {
    for (const auto& call : system.calls) {
      if (call == name) return true;
    }
    return false;
  }
  FakeSystem system;
  const std::wstring global_name = L"Global\\" + UniqueName(L"fallback");
};

// Where descriptors can be made, the mutex is made in the namespace of the administrators' boundary, at the
// high level, and the namespace stays open while the mutex is (without being destroyed when it closes); the
// global name is not even asked for. Vista has no label call: the boundary holds the SID alone.
TEST_F(MachineLockNamespace, TakenWhereBoundaryDescriptorsWork) {
  for (const bool label : {true, false}) {
    SCOPED_TRACE(label ? "with the label call" : "without it (Vista)");
    system = FakeSystem{};
    const LockCalls calls = WithNamespaces(label);
    {
      MachineLock lock(global_name.c_str(), calls);
      ASSERT_EQ(lock.TryAcquire(), LockTaken::Held);
      EXPECT_EQ(lock.kind(), MachineLockKind::PrivateNamespace);
      EXPECT_EQ(system.boundary_name, tw::win::kMachineBoundaryName);
      EXPECT_TRUE(system.boundary_holds_administrators);
      EXPECT_EQ(system.boundary_holds_high_label, label);
      EXPECT_EQ(Called("AddIntegrityLabelToBoundaryDescriptor"), label);
      EXPECT_EQ(system.boundaries_open, 0);  // not needed once the namespace is open
      EXPECT_EQ(system.namespaces_open, 1);
      EXPECT_EQ(system.mutex_names, std::vector<std::wstring>{tw::win::kMachineMutexInNamespace});
      HANDLE global = OpenMutexW(SYNCHRONIZE, FALSE, global_name.c_str());
      EXPECT_EQ(global, nullptr);
      if (global) CloseHandle(global);
      lock.Release();
      EXPECT_EQ(system.namespaces_open, 1);  // given back, still open for the next time
      ASSERT_EQ(lock.TryAcquire(), LockTaken::Held);
      lock.Release();
      EXPECT_EQ(system.mutex_names.size(), 1u);
    }
    EXPECT_EQ(system.namespaces_open, 0);
    EXPECT_EQ(system.close_flags, std::vector<ULONG>{0});
  }
}

// A second copy finds the namespace made, opens it and meets the first one's mutex there.
TEST_F(MachineLockNamespace, TwoCopiesMeetInOneNamespace) {
  const LockCalls calls = WithNamespaces();
  MachineLock first(global_name.c_str(), calls);
  ASSERT_EQ(first.TryAcquire(), LockTaken::Held);
  LockTaken other = LockTaken::Held;
  std::thread([&] {
    MachineLock second(global_name.c_str(), calls);
    other = second.TryAcquire();
  }).join();
  EXPECT_EQ(other, LockTaken::Busy);
  EXPECT_TRUE(Called("OpenPrivateNamespaceW"));
  first.Release();
  std::thread([&] {
    MachineLock second(global_name.c_str(), calls);
    other = second.TryAcquire();
    if (other == LockTaken::Held) second.Release();
  }).join();
  EXPECT_EQ(other, LockTaken::Held);
}

// Whatever holds the global name (an event, a mutex a user made and holds) is not the lock where the
// namespace can be made: the copy takes the lock in the namespace. Without namespaces the same squatter
// counts as held (never as free).
TEST_F(MachineLockNamespace, ASquattedGlobalNameIsIgnored) {
  for (const Squat kind : {Squat::kEvent, Squat::kUsersMutex}) {
    SCOPED_TRACE(kind == Squat::kEvent ? "an event" : "a mutex a user made");
    const std::wstring name = L"Global\\" + UniqueName(L"squat");
    HANDLE squat = MakeSquat(kind, name);
    ASSERT_NE(squat, nullptr) << GetLastError();

    system = FakeSystem{};
    const LockCalls calls = WithNamespaces();
    MachineLock in_namespace(name.c_str(), calls);
    EXPECT_EQ(in_namespace.TryAcquire(), LockTaken::Held);
    EXPECT_EQ(in_namespace.kind(), MachineLockKind::PrivateNamespace);
    in_namespace.Release();

    system = FakeSystem{};
    system.boundary_made = false;
    MachineLock without(name.c_str(), calls);
    EXPECT_EQ(without.TryAcquire(), LockTaken::Busy);
    EXPECT_EQ(without.kind(), MachineLockKind::None);
    CloseHandle(squat);
  }
}

// Wine's case: the descriptor cannot be made. Then, and only then, the lock is the global name, and nothing
// else of the namespace API is called (Wine's AddSIDToBoundaryDescriptor would end the process). A table
// without the namespace calls (Wine 8 exports CreateBoundaryDescriptorW alone) does not even ask for a
// descriptor.
TEST_F(MachineLockNamespace, FallsBackOnlyWhenNoDescriptorCanBeMade) {
  system.boundary_made = false;
  LockCalls calls = WithNamespaces();
  {
    MachineLock lock(global_name.c_str(), calls);
    ASSERT_EQ(lock.TryAcquire(), LockTaken::Held);
    EXPECT_EQ(lock.kind(), MachineLockKind::GlobalName);
    EXPECT_EQ(system.calls, (std::vector<std::string>{"CheckTokenMembership", "CreateBoundaryDescriptorW",
                                                      "CreateMutexW"}));
    EXPECT_EQ(system.mutex_names, std::vector<std::wstring>{global_name});
    lock.Release();
  }
  system = FakeSystem{};
  calls.add_sid_to_boundary_descriptor = nullptr;
  calls.create_private_namespace = nullptr;
  calls.open_private_namespace = nullptr;
  calls.close_private_namespace = nullptr;
  calls.delete_boundary_descriptor = nullptr;
  MachineLock lock(global_name.c_str(), calls);
  ASSERT_EQ(lock.TryAcquire(), LockTaken::Held);
  EXPECT_EQ(lock.kind(), MachineLockKind::GlobalName);
  EXPECT_EQ(system.calls, (std::vector<std::string>{"CheckTokenMembership", "CreateMutexW"}));
  lock.Release();
}

// A copy without the rights is told so (Denied), never that another copy is busy; a failure that is not about
// rights is Busy, never free. Once a descriptor is made, no failure falls back to the global name, and
// nothing made on the way stays open.
TEST_F(MachineLockNamespace, RightsAndFailures) {
  struct Case {
    const char* what;
    void (*set)(FakeSystem&);
    LockTaken taken;
  };
  const Case cases[] = {
      {"not an administrator (or not elevated)", [](FakeSystem& s) { s.administrator = false; },
       LockTaken::Denied},
      {"not an administrator, no namespaces",
       [](FakeSystem& s) {
         s.administrator = false;
         s.boundary_made = false;
       },
       LockTaken::Denied},
      {"membership cannot be checked", [](FakeSystem& s) { s.membership_fails = true; }, LockTaken::Busy},
      {"the namespace may not be made", [](FakeSystem& s) { s.create_errors = {ERROR_ACCESS_DENIED}; },
       LockTaken::Denied},
      {"the namespace exists and may not be opened",
       [](FakeSystem& s) {
         s.create_errors = {ERROR_ALREADY_EXISTS};
         s.open_errors = {ERROR_ACCESS_DENIED};
       },
       LockTaken::Denied},
      {"the mutex in it may not be opened",
       [](FakeSystem& s) { s.namespace_mutex_error = ERROR_ACCESS_DENIED; }, LockTaken::Denied},
      {"the mutex in it may not be owned by Administrators",
       [](FakeSystem& s) { s.namespace_mutex_error = ERROR_INVALID_OWNER; }, LockTaken::Denied},
      {"fallback: the mutex may not be owned by Administrators",
       [](FakeSystem& s) {
         s.boundary_made = false;
         s.global_mutex_error = ERROR_INVALID_OWNER;
       },
       LockTaken::Denied},
      {"fallback: the mutex may not be opened",
       [](FakeSystem& s) {
         s.boundary_made = false;
         s.global_mutex_error = ERROR_ACCESS_DENIED;
       },
       LockTaken::Denied},
      {"fallback: the name belongs to another kind of object",
       [](FakeSystem& s) {
         s.boundary_made = false;
         s.global_mutex_error = ERROR_INVALID_HANDLE;
       },
       LockTaken::Busy},
      {"the SID cannot be added", [](FakeSystem& s) { s.add_sid_error = ERROR_NOT_ENOUGH_MEMORY; },
       LockTaken::Busy},
      {"the label cannot be added", [](FakeSystem& s) { s.label_error = ERROR_INVALID_PARAMETER; },
       LockTaken::Busy},
      {"the namespace cannot be made", [](FakeSystem& s) { s.create_errors = {ERROR_NOT_ENOUGH_MEMORY}; },
       LockTaken::Busy},
      {"the namespace vanishes each time it is opened",
       [](FakeSystem& s) {
         s.create_errors.assign(3, ERROR_ALREADY_EXISTS);
         s.open_errors.assign(3, ERROR_PATH_NOT_FOUND);
       },
       LockTaken::Busy},
      {"the namespace vanished once, then made again",
       [](FakeSystem& s) {
         s.create_errors = {ERROR_ALREADY_EXISTS};
         s.open_errors = {ERROR_PATH_NOT_FOUND};
       },
       LockTaken::Held},
      {"the name in it belongs to another kind of object",
       [](FakeSystem& s) { s.namespace_mutex_error = ERROR_INVALID_HANDLE; }, LockTaken::Busy},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    system = FakeSystem{};
    c.set(system);
    const bool descriptor = system.boundary_made && system.administrator && !system.membership_fails;
    const LockCalls calls = WithNamespaces();
    {
      MachineLock lock(global_name.c_str(), calls);
      EXPECT_EQ(lock.TryAcquire(), c.taken);
      if (c.taken == LockTaken::Held) {
        lock.Release();
      } else {
        EXPECT_EQ(lock.kind(), MachineLockKind::None);
        EXPECT_EQ(system.namespaces_open, 0);
      }
      if (descriptor) {
        EXPECT_EQ(system.boundaries_open, 0);
        for (const auto& name : system.mutex_names) EXPECT_NE(name, global_name);
      }
      if (!system.administrator) {
        EXPECT_FALSE(Called("CreateBoundaryDescriptorW") || Called("CreateMutexW"));
      }
    }
    EXPECT_EQ(system.namespaces_open, 0);
  }
}

// The system's own calls where the tests run: Wine has no boundary descriptors, so the lock is the global
// name there. On Windows an elevated run takes the namespace, any other is told it is not administrator.
TEST(MachineLock, TheSystemsOwnLock) {
  const std::wstring name = L"Global\\" + UniqueName(L"system");
  MachineLock lock(name.c_str());
  const LockTaken taken = lock.TryAcquire();
  if (UnderWine()) {
    EXPECT_EQ(tw::win::SystemLockCalls().add_sid_to_boundary_descriptor, nullptr);
    ASSERT_EQ(taken, LockTaken::Held);
    EXPECT_EQ(lock.kind(), MachineLockKind::GlobalName);
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
    EXPECT_NE(mutex, nullptr);
    if (mutex) CloseHandle(mutex);
  } else {
    ASSERT_NE(taken, LockTaken::Busy);
    if (taken == LockTaken::Held) {
      EXPECT_EQ(lock.kind(), MachineLockKind::PrivateNamespace);
    }
  }
  if (taken == LockTaken::Held) lock.Release();
}

// The system's calls without boundary descriptors, as on Wine: the fallback itself, on Windows too.
HANDLE WINAPI NoBoundaryDescriptor(LPCWSTR, ULONG) {
  SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return nullptr;
}

LockCalls Fallback() {
  LockCalls calls = tw::win::SystemLockCalls();
  calls.create_boundary_descriptor = NoBoundaryDescriptor;
  return calls;
}

// The fallback: one holder at a time, across threads (and so across copies); given back, it can be taken
// again; a holder that ended without giving it back leaves it to the next.
TEST(MachineLockFallback, OneHolderAtATime) {
  const LockCalls calls = Fallback();
  const std::wstring name = L"Global\\" + UniqueName(L"machine");
  MachineLock first(name.c_str(), calls);
  ASSERT_EQ(first.TryAcquire(), LockTaken::Held);
  EXPECT_EQ(first.kind(), MachineLockKind::GlobalName);
  LockTaken other = LockTaken::Held;
  std::thread([&] {
    MachineLock second(name.c_str(), calls);
    other = second.TryAcquire();
  }).join();
  EXPECT_EQ(other, LockTaken::Busy);
  first.Release();
  std::thread([&] {
    MachineLock second(name.c_str(), calls);
    other = second.TryAcquire();
    // The thread ends holding it: abandoned.
  }).join();
  EXPECT_EQ(other, LockTaken::Held);
  EXPECT_EQ(first.TryAcquire(), LockTaken::Held);  // abandoned counts as free for the next holder
  first.Release();
}

// The fallback's mutex is made for Administrators and SYSTEM only, and owned by Administrators.
TEST(MachineLockFallback, OnlyAdministratorsAndSystemMayOpenIt) {
  const LockCalls calls = Fallback();
  const std::wstring name = L"Global\\" + UniqueName(L"acl");
  MachineLock lock(name.c_str(), calls);
  ASSERT_EQ(lock.TryAcquire(), LockTaken::Held);
  HANDLE mutex = OpenMutexW(READ_CONTROL, FALSE, name.c_str());
  ASSERT_NE(mutex, nullptr);
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_EQ(GetSecurityInfo(mutex, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                            nullptr, nullptr, nullptr, nullptr, &descriptor),
            static_cast<DWORD>(ERROR_SUCCESS));
  ExpectAdminsOnly(descriptor);
  LocalFree(descriptor);
  CloseHandle(mutex);
  lock.Release();
}

// A global name squatted by another kind of object, or by a mutex that a user (not Administrators) made, is
// never taken for the lock: the copy counts it as held elsewhere. A mutex of that name this copy may not open
// is what a standard user meets at the real lock: Denied.
TEST(MachineLockFallback, SquattedOrForbiddenNames) {
  struct Case {
    const char* what;
    Squat kind;
    LockTaken taken;
  };
  const Case cases[] = {
      {"an event of that name", Squat::kEvent, LockTaken::Busy},
      {"a mutex a user made and holds", Squat::kUsersMutex, LockTaken::Busy},
      {"a mutex that grants this copy nothing", Squat::kForbiddingMutex, LockTaken::Denied},
  };
  const LockCalls calls = Fallback();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::wstring name = L"Global\\" + UniqueName(L"squat");
    HANDLE squat = MakeSquat(c.kind, name);
    ASSERT_NE(squat, nullptr) << GetLastError();
    MachineLock lock(name.c_str(), calls);
    EXPECT_EQ(lock.TryAcquire(), c.taken);
    EXPECT_EQ(lock.kind(), MachineLockKind::None);
    CloseHandle(squat);
  }
}

}  // namespace
