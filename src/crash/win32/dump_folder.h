// Where crash dumps are written. The program runs as administrator, so a dump goes where a standard user
// cannot redirect the write: into a folder made new for each dump under the Windows folder's Temp (never a
// folder named by the user's environment), for administrators and the system only, the file made new in it.
// A name that is taken already, by a folder, a file or a link that someone put there, is not used: no dump.
// Everything here runs on a crashing thread: system calls and stack buffers only, no allocation.
#pragma once

#include <windows.h>

#include <cstddef>

namespace tw::win {

// <Windows folder>\Temp, from the system rather than the environment. False when it does not fit.
bool CrashDumpParent(wchar_t* folder, size_t capacity);

// Administrators own it; administrators and the system alone have access, to the folder and to what is made
// in it; nothing is inherited from the parent, whose access list names standard users.
class AdminOnlySecurity {
 public:
  bool Make();
  SECURITY_ATTRIBUTES* attributes() { return &attributes_; }

 private:
  alignas(DWORD) BYTE admins_[SECURITY_MAX_SID_SIZE];
  alignas(DWORD) BYTE system_[SECURITY_MAX_SID_SIZE];
  alignas(DWORD) BYTE acl_[256];
  SECURITY_DESCRIPTOR sd_{};
  SECURITY_ATTRIBUTES attributes_{};
};

// Makes the folder <parent>\Tempowave-crash-<stamp> and in it the file Tempowave-crash-<stamp>.dmp, both new
// and for administrators only, and writes the file's path to `path`. INVALID_HANDLE_VALUE when either name is
// taken, the path does not fit or the system refuses.
HANDLE CreateDumpFile(const wchar_t* parent, const wchar_t* stamp, wchar_t* path, size_t capacity);

}  // namespace tw::win
