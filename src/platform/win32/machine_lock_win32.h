// The machine-wide lock: a mutex no standard user can create or hold first.
//
// Where the system has boundary descriptors, the mutex lives in a private namespace whose boundary holds the
// Administrators SID (and, from Windows 7 on, the high integrity level): only an elevated administrator is
// within it, so only such a copy can create the namespace, and its access list lets only Administrators and
// SYSTEM open it. The lock must cover every logon session of the machine: Microsoft's "Object Namespaces"
// page knows a namespace by its alias and its boundary, and confines one to a session only when the creator
// adds the session to the boundary. This boundary has none, so every session opens the same namespace (two
// real sessions meeting there is for a Windows machine to confirm: docs/wine-fidelity.md). A user who takes
// the old `Global\TempowaveMachine` name, or makes a namespace of the same alias with another boundary, makes
// a different object.
//
// Wine 8 has no boundary descriptors (CreateBoundaryDescriptorW returns null; the other calls are missing
// from its kernel32, or stubs that end the process where a build has them), so only when the descriptor
// cannot be made at all does the lock fall back to a mutex in the global namespace that only Administrators
// and SYSTEM can open, and that counts only when Administrators or SYSTEM own it.
#pragma once

#include <windows.h>

#include "platform/machine_lock.h"

namespace tw::win {

inline constexpr wchar_t kMachineLockName[] = L"Global\\TempowaveMachine";  // the fallback without namespaces
inline constexpr wchar_t kMachineBoundaryName[] = L"Tempowave";
inline constexpr wchar_t kMachineNamespaceAlias[] = L"Tempowave";
inline constexpr wchar_t kMachineMutexInNamespace[] = L"Tempowave\\Machine";

// The kernel calls the lock makes, so that tests can stand in for what Wine lacks. The namespace calls are
// looked up in kernel32 when the program runs: importing them would keep the program from loading under Wine,
// and AddIntegrityLabelToBoundaryDescriptor exists from Windows 7 on only (null before: no label is added).
struct LockCalls {
  BOOL(WINAPI* check_token_membership)(HANDLE, PSID, PBOOL);
  HANDLE(WINAPI* create_boundary_descriptor)(LPCWSTR, ULONG);
  BOOL(WINAPI* add_sid_to_boundary_descriptor)(HANDLE*, PSID);
  BOOL(WINAPI* add_integrity_label_to_boundary_descriptor)(HANDLE*, PSID);
  VOID(WINAPI* delete_boundary_descriptor)(HANDLE);
  HANDLE(WINAPI* create_private_namespace)(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR);
  HANDLE(WINAPI* open_private_namespace)(LPVOID, LPCWSTR);
  BOOLEAN(WINAPI* close_private_namespace)(HANDLE, ULONG);
  HANDLE(WINAPI* create_mutex)(LPSECURITY_ATTRIBUTES, BOOL, LPCWSTR);
};

// The system's own calls.
const LockCalls& SystemLockCalls();

// Which mutex the lock holds a handle to.
enum class MachineLockKind { None, PrivateNamespace, GlobalName };

class MachineLock final : public IMachineLock {
 public:
  explicit MachineLock(const wchar_t* global_name = kMachineLockName,
                       const LockCalls& calls = SystemLockCalls())
      : global_name_(global_name), calls_(calls) {}
  ~MachineLock() override;
  MachineLock(const MachineLock&) = delete;
  MachineLock& operator=(const MachineLock&) = delete;

  LockTaken TryAcquire() override;
  void Release() override;
  MachineLockKind kind() const { return kind_; }

 private:
  LockTaken Open();
  LockTaken OpenInNamespace(HANDLE boundary);
  LockTaken OpenGlobal();
  void Close();

  const wchar_t* global_name_;
  const LockCalls& calls_;
  HANDLE namespace_ = nullptr;  // kept open while the mutex is: the namespace lives as long as a handle to it
  HANDLE mutex_ = nullptr;
  MachineLockKind kind_ = MachineLockKind::None;
};

}  // namespace tw::win
