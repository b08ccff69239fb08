// The side-by-side checks of the running program and its notice, against Wine's loader and activation
// contexts.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/local_redirection_win32.h"
#include "platform/win32/start_notice_win32.h"

namespace tw {
namespace {

// A "<exe>.local" folder or file beside the program redirects its side-by-side libraries: either one is
// found, and so is a path too odd to examine; an ordinary folder is not.
TEST(LocalRedirection, FolderOrFileBesideTheProgramIsFound) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"tw_local_" + std::to_wstring(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring exe = folder + L"\\Tempowave.exe";
  const std::wstring local = exe + L".local";
  EXPECT_FALSE(win::LocalRedirectionBeside(exe.c_str())) << "nothing beside it";
  ASSERT_TRUE(CreateDirectoryW(local.c_str(), nullptr));
  EXPECT_TRUE(win::LocalRedirectionBeside(exe.c_str())) << "a folder";
  RemoveDirectoryW(local.c_str());
  HANDLE file = CreateFileW(local.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_TRUE(win::LocalRedirectionBeside(exe.c_str())) << "a file";
  EXPECT_FALSE(win::LocalRedirectionBeside((folder + L"\\Other.exe").c_str())) << "named after another exe";
  DeleteFileW(local.c_str());
  EXPECT_FALSE(win::LocalRedirectionBeside(exe.c_str())) << "removed again";
  EXPECT_TRUE(win::LocalRedirectionBeside(L"")) << "no path";
  RemoveDirectoryW(folder.c_str());
}

// The running test program binds nothing from outside the Windows folder: every check passes, and the common
// controls it then holds are the Windows folder's.
TEST(LocalRedirection, TheTestProgramPassesEveryCheck) {
  EXPECT_TRUE(win::SideBySideFromWindowsFolder());
  EXPECT_EQ(win::FindRedirection(), win::Redirection::kNone);
  HMODULE common_controls = GetModuleHandleW(L"comctl32.dll");
  ASSERT_NE(common_controls, nullptr) << "loaded by the checks";
  EXPECT_TRUE(win::ModuleFromWindowsFolder(common_controls));
}

TEST(LocalRedirection, ModulesAreToldByTheFolderTheyCameFrom) {
  EXPECT_TRUE(win::ModuleFromWindowsFolder(GetModuleHandleW(L"kernel32.dll")));
  EXPECT_FALSE(win::ModuleFromWindowsFolder(GetModuleHandleW(nullptr)))
      << "the test program, in the build folder";
}

struct SeenNotice {
  std::wstring caption;
  std::vector<std::wstring> texts;
  bool button = false;
};
SeenNotice seen_notice;
HHOOK notice_hook = nullptr;

// Records the notice as it is activated, and clicks its OK button.
LRESULT CALLBACK WatchNotice(int code, WPARAM wparam, LPARAM lparam) {
  HWND box = reinterpret_cast<HWND>(wparam);
  wchar_t text[2048] = L"";
  if (code == HCBT_ACTIVATE && GetClassNameW(box, text, 2048) && std::wstring(text) == L"#32770") {
    GetWindowTextW(box, text, 2048);
    seen_notice.caption = text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      GetWindowTextW(child, text, 2048);
      if (GetDlgCtrlID(child) == IDOK) {
        seen_notice.button = std::wstring(text) == L"OK";
        PostMessageW(child, BM_CLICK, 0, 0);
      } else {
        seen_notice.texts.push_back(text);
      }
    }
  }
  return CallNextHookEx(notice_hook, code, wparam, lparam);
}

// The notice shows its text and an OK button that ends it. (That it loads no common controls under the
// program's manifest is shown by e2e.loading.refused_*: this test program has no manifest.)
TEST(StartNotice, ShowsTheTextAndEndsWithOk) {
  notice_hook = SetWindowsHookExW(WH_CBT, WatchNotice, nullptr, GetCurrentThreadId());
  win::ShowStartNotice(L"Nothing starts today.");
  UnhookWindowsHookEx(notice_hook);
  EXPECT_EQ(seen_notice.caption, L"Tempowave");
  EXPECT_EQ(seen_notice.texts, std::vector<std::wstring>{L"Nothing starts today."});
  EXPECT_TRUE(seen_notice.button) << "an OK button, clicked to end it";
}

}  // namespace
}  // namespace tw
