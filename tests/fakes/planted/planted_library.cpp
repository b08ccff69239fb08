// A library planted where the program must never load one from (beside the exe, in the current folder),
// copied under the name of a real system library. Loading it leaves "<its path>.loaded" behind, then fails:
// nothing of it runs beyond that note.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t path[MAX_PATH + 8];
  const DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
  if (n > 0 && n < MAX_PATH) {
    lstrcatW(path, L".loaded");
    HANDLE note = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (note != INVALID_HANDLE_VALUE) CloseHandle(note);
  }
  return FALSE;
}
