#include "platform/win32/machine_lock_win32.h"

#include <aclapi.h>
#include <sddl.h>

namespace tw::win {
namespace {

// For the namespace and both mutexes: owned by Administrators, open to Administrators and SYSTEM only. A copy
// that cannot name Administrators as owner (not elevated) is refused the creation with ERROR_INVALID_OWNER.
constexpr wchar_t kAdminsOnly[] = L"O:BAD:P(A;;GA;;;BA)(A;;GA;;;SY)";

// Opening a namespace a copy was not made for, taking a mutex it may not open, or making one it may not own:
// this copy lacks the rights. Every other failure leaves the lock's state unknown, which counts as busy.
LockTaken FailureOf(DWORD error) {
  return error == ERROR_ACCESS_DENIED || error == ERROR_INVALID_OWNER ? LockTaken::Denied : LockTaken::Busy;
}

struct WellKnownSid {
  explicit WellKnownSid(WELL_KNOWN_SID_TYPE type) {
    DWORD size = sizeof bytes;
    made = CreateWellKnownSid(type, nullptr, bytes, &size) != FALSE;
  }
  PSID get() { return bytes; }
  BYTE bytes[SECURITY_MAX_SID_SIZE] = {};
  bool made = false;
};

class AdminsOnlyAttributes {
 public:
  AdminsOnlyAttributes() {
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdminsOnly, SDDL_REVISION_1, &descriptor_,
                                                             nullptr)) {
      attributes_.lpSecurityDescriptor = descriptor_;
    }
  }
  ~AdminsOnlyAttributes() { LocalFree(descriptor_); }
  AdminsOnlyAttributes(const AdminsOnlyAttributes&) = delete;
  AdminsOnlyAttributes& operator=(const AdminsOnlyAttributes&) = delete;
  // Null when the descriptor could not be made: nothing is then created with the system's default rights.
  SECURITY_ATTRIBUTES* get() { return descriptor_ ? &attributes_ : nullptr; }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  SECURITY_ATTRIBUTES attributes_{sizeof attributes_, nullptr, FALSE};
};

// A mutex of the global name owned by Administrators or SYSTEM: one an elevated copy made. Anything else (an
// event squatting the name, a mutex a user made first) is never taken as the lock.
bool OwnedByAdministrators(HANDLE mutex) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(mutex, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                      &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  const bool ours = owner && (IsWellKnownSid(owner, WinBuiltinAdministratorsSid) ||
                              IsWellKnownSid(owner, WinLocalSystemSid));
  LocalFree(descriptor);
  return ours;
}

template <typename Fn>
Fn Kernel32(const char* name) {
  // kernel32 is in every process; a name it does not export (Wine 8, Vista for the label) leaves the entry
  // null.
  static const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  return kernel32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(kernel32, name))) : nullptr;
}

LockCalls FromTheSystem() {
  LockCalls calls{};
  calls.check_token_membership = CheckTokenMembership;
  calls.create_boundary_descriptor =
      Kernel32<decltype(calls.create_boundary_descriptor)>("CreateBoundaryDescriptorW");
  calls.add_sid_to_boundary_descriptor =
      Kernel32<decltype(calls.add_sid_to_boundary_descriptor)>("AddSIDToBoundaryDescriptor");
  calls.add_integrity_label_to_boundary_descriptor =
      Kernel32<decltype(calls.add_integrity_label_to_boundary_descriptor)>(
          "AddIntegrityLabelToBoundaryDescriptor");
  calls.delete_boundary_descriptor =
      Kernel32<decltype(calls.delete_boundary_descriptor)>("DeleteBoundaryDescriptor");
  calls.create_private_namespace =
      Kernel32<decltype(calls.create_private_namespace)>("CreatePrivateNamespaceW");
  calls.open_private_namespace = Kernel32<decltype(calls.open_private_namespace)>("OpenPrivateNamespaceW");
  calls.close_private_namespace = Kernel32<decltype(calls.close_private_namespace)>("ClosePrivateNamespace");
  calls.create_mutex = CreateMutexW;
  return calls;
}

// Everything a namespace needs, the integrity label aside.
bool HasNamespaces(const LockCalls& calls) {
  return calls.create_boundary_descriptor && calls.add_sid_to_boundary_descriptor &&
         calls.delete_boundary_descriptor && calls.create_private_namespace && calls.open_private_namespace &&
         calls.close_private_namespace;
}

}  // namespace

const LockCalls& SystemLockCalls() {
  static const LockCalls calls = FromTheSystem();
  return calls;
}

MachineLock::~MachineLock() {
  Close();
}

LockTaken MachineLock::TryAcquire() {
  if (!mutex_) {
    const LockTaken opened = Open();
    if (opened != LockTaken::Held) return opened;
  }
  const DWORD waited = WaitForSingleObject(mutex_, 0);
  // Abandoned: the copy that held it ended part-way; what it left is for the new holder to put right.
  return waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED ? LockTaken::Held : LockTaken::Busy;
}

void MachineLock::Release() {
  if (mutex_) ReleaseMutex(mutex_);
}

// Held here means the mutex is open, not yet taken.
LockTaken MachineLock::Open() {
  WellKnownSid administrators(WinBuiltinAdministratorsSid);
  BOOL member = FALSE;
  if (!administrators.made || !calls_.check_token_membership(nullptr, administrators.get(), &member)) {
    return LockTaken::Busy;
  }
  // In a token that UAC filtered the Administrators group is for denying only, and does not count here.
  if (!member) return LockTaken::Denied;
  // The descriptor's result comes first: where it cannot be made, nothing else of the namespace API is
  // called.
  HANDLE boundary =
      HasNamespaces(calls_) ? calls_.create_boundary_descriptor(kMachineBoundaryName, 0) : nullptr;
  return boundary ? OpenInNamespace(boundary) : OpenGlobal();
}

LockTaken MachineLock::OpenInNamespace(HANDLE boundary) {
  struct BoundaryGuard {
    const LockCalls& calls;
    HANDLE& boundary;
    ~BoundaryGuard() { calls.delete_boundary_descriptor(boundary); }
  } guard{calls_, boundary};
  WellKnownSid administrators(WinBuiltinAdministratorsSid);
  if (!administrators.made) return LockTaken::Busy;
  if (!calls_.add_sid_to_boundary_descriptor(&boundary, administrators.get()))
    return FailureOf(GetLastError());
  // The process's own (high) level, as Microsoft advises against squatting by processes of a lower level;
  // Vista has no such call, and there the SID must do.
  if (calls_.add_integrity_label_to_boundary_descriptor) {
    WellKnownSid high(WinHighLabelSid);
    if (!high.made) return LockTaken::Busy;
    if (!calls_.add_integrity_label_to_boundary_descriptor(&boundary, high.get())) {
      return FailureOf(GetLastError());
    }
  }
  AdminsOnlyAttributes attributes;
  if (!attributes.get()) return LockTaken::Busy;
  // Made by the first copy, opened by the next; one that ends between the two makes the open find no
  // namespace, and the next round makes it again.
  HANDLE opened = nullptr;
  for (int round = 0; round < 3 && !opened; ++round) {
    opened = calls_.create_private_namespace(attributes.get(), boundary, kMachineNamespaceAlias);
    if (opened) break;
    const DWORD made = GetLastError();
    if (made != ERROR_ALREADY_EXISTS) return FailureOf(made);
    opened = calls_.open_private_namespace(boundary, kMachineNamespaceAlias);
    const DWORD found = opened ? ERROR_SUCCESS : GetLastError();
    if (!opened && found != ERROR_PATH_NOT_FOUND && found != ERROR_FILE_NOT_FOUND) return FailureOf(found);
  }
  if (!opened) return LockTaken::Busy;
  HANDLE mutex = calls_.create_mutex(attributes.get(), FALSE, kMachineMutexInNamespace);
  if (!mutex) {
    const DWORD error = GetLastError();
    calls_.close_private_namespace(opened, 0);
    return FailureOf(error);
  }
  namespace_ = opened;
  mutex_ = mutex;
  kind_ = MachineLockKind::PrivateNamespace;
  return LockTaken::Held;
}

LockTaken MachineLock::OpenGlobal() {
  AdminsOnlyAttributes attributes;
  if (!attributes.get()) return LockTaken::Busy;
  HANDLE mutex = calls_.create_mutex(attributes.get(), FALSE, global_name_);
  if (!mutex) return FailureOf(GetLastError());
  if (!OwnedByAdministrators(mutex)) {
    CloseHandle(mutex);
    return LockTaken::Busy;
  }
  mutex_ = mutex;
  kind_ = MachineLockKind::GlobalName;
  return LockTaken::Held;
}

void MachineLock::Close() {
  if (mutex_) CloseHandle(mutex_);
  // Without the destroy flag: another copy may still hold the lock in it.
  if (namespace_) calls_.close_private_namespace(namespace_, 0);
  mutex_ = namespace_ = nullptr;
  kind_ = MachineLockKind::None;
}

}  // namespace tw::win
