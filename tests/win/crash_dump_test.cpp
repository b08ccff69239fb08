// Crash dumps go only into a folder made new for them, for administrators only, under the Windows folder:
// never into one named by the user's environment, and never through a name that someone else took first.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "crash/win32/crash_handler.h"
#include "crash/win32/dump_folder.h"
#include "message_box_watch.h"

namespace tw {
namespace {

std::wstring TempFolder() {
  wchar_t buffer[MAX_PATH];
  const DWORD n = GetTempPathW(MAX_PATH, buffer);
  return std::wstring(buffer, n);
}

std::wstring SystemTemp() {
  wchar_t windows[MAX_PATH];
  GetSystemWindowsDirectoryW(windows, MAX_PATH);
  return std::wstring(windows) + L"\\Temp";
}

std::string Narrow(const std::wstring& text) {
  return std::string(text.begin(), text.end());
}

// The names in `folder` matching `pattern`.
std::vector<std::wstring> Names(const std::wstring& folder, const wchar_t* pattern) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((folder + L"\\" + pattern).c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (std::wstring(found.cFileName) != L"." && std::wstring(found.cFileName) != L"..")
      names.push_back(found.cFileName);
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return names;
}

std::string FirstBytes(const std::wstring& path, size_t n) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::string bytes(n, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(n));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

// Removes a dump folder and what is in it.
void RemoveTree(const std::wstring& folder) {
  for (const auto& name : Names(folder, L"*"))
    DeleteFileW(std::wstring(folder).append(L"\\").append(name).c_str());
  RemoveDirectoryW(folder.c_str());
}

TEST(CrashDumpParent, ComesFromTheSystemNotTheEnvironment) {
  // Every variable a user could point elsewhere.
  const wchar_t* const names[] = {L"TMP", L"TEMP", L"ProgramData", L"SystemRoot", L"windir"};
  for (const wchar_t* name : names) SetEnvironmentVariableW(name, L"C:\\users\\Public");
  wchar_t folder[MAX_PATH];
  const bool found = win::CrashDumpParent(folder, MAX_PATH);
  for (const wchar_t* name : names) SetEnvironmentVariableW(name, nullptr);
  ASSERT_TRUE(found);
  EXPECT_EQ(std::wstring(folder), SystemTemp());
}

TEST(CrashDumpParent, WritesNothingPastItsBuffer) {
  const size_t fits = SystemTemp().size() + 1;
  for (size_t capacity : {fits, fits - 1, fits - 4, size_t{3}}) {
    std::vector<wchar_t> buffer(fits + 8, L'#');
    EXPECT_EQ(win::CrashDumpParent(buffer.data(), capacity), capacity == fits) << "capacity " << capacity;
    for (size_t i = capacity; i < buffer.size(); ++i) {
      ASSERT_EQ(buffer[i], L'#') << "capacity " << capacity << ": written at " << i;
    }
  }
}

// What is asked of the system for the folder and the file. (Wine keeps no access lists on files, so what the
// folder carries afterwards can only be read on Windows.)
TEST(AdminOnlySecurity, AdministratorsAndTheSystemAloneNothingInherited) {
  win::AdminOnlySecurity security;
  ASSERT_TRUE(security.Make());
  wchar_t* text = nullptr;
  ASSERT_TRUE(ConvertSecurityDescriptorToStringSecurityDescriptorW(
      security.attributes()->lpSecurityDescriptor, SDDL_REVISION_1,
      OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &text, nullptr));
  const std::wstring sddl = text;
  LocalFree(text);
  EXPECT_EQ(sddl, L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)");
  EXPECT_FALSE(security.attributes()->bInheritHandle);
}

class DumpFile : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_ = TempFolder() + L"tw_dumps_" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(parent_.c_str(), nullptr));
  }
  void TearDown() override {
    for (const auto& name : Names(parent_, L"*")) {
      RemoveTree(parent_ + L"\\" + name);
      DeleteFileW((parent_ + L"\\" + name).c_str());
    }
    RemoveDirectoryW(parent_.c_str());
  }

  // CreateDumpFile into `parent_` with `stamp`; the path it made, or "" when it refused.
  std::wstring Create(const wchar_t* stamp, size_t capacity = MAX_PATH) {
    std::vector<wchar_t> path(capacity + 8, L'#');
    HANDLE file = win::CreateDumpFile(parent_.c_str(), stamp, path.data(), capacity);
    for (size_t i = capacity; i < path.size(); ++i) {
      EXPECT_EQ(path[i], L'#') << "written past the path's buffer at " << i;
    }
    if (file == INVALID_HANDLE_VALUE) return L"";
    DWORD written = 0;
    WriteFile(file, "MDMP", 4, &written, nullptr);
    CloseHandle(file);
    return path.data();
  }

  std::wstring parent_;
};

TEST_F(DumpFile, NewFolderAndFileForEachStamp) {
  const std::wstring first = Create(L"12-345");
  EXPECT_EQ(first, parent_ + L"\\Tempowave-crash-12-345\\Tempowave-crash-12-345.dmp");
  EXPECT_EQ(FirstBytes(first, 4), "MDMP");
  const std::wstring second = Create(L"12-678");
  EXPECT_EQ(second, parent_ + L"\\Tempowave-crash-12-678\\Tempowave-crash-12-678.dmp");
  EXPECT_EQ(Names(parent_, L"*").size(), 2u);
  const DWORD attributes = GetFileAttributesW((parent_ + L"\\Tempowave-crash-12-345").c_str());
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_FALSE(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// What someone else may have put under the folder's name before the program crashed. Each is refused, and
// nothing is written into it.
struct Squatted {
  const char* what;
  std::function<bool(const std::wstring& name)> make;
};

void PrintTo(const Squatted& squatted, std::ostream* out) {
  *out << squatted.what;
}

class SquattedName : public DumpFile, public ::testing::WithParamInterface<Squatted> {};

TEST_P(SquattedName, IsNotWrittenThrough) {
  const std::wstring name = parent_ + L"\\Tempowave-crash-7-7";
  ASSERT_TRUE(GetParam().make(name)) << "could not set up: error " << GetLastError();
  EXPECT_EQ(Create(L"7-7"), L"");
  EXPECT_EQ(Names(name, L"*"), std::vector<std::wstring>{});
}

INSTANTIATE_TEST_SUITE_P(DumpFile, SquattedName,
                         ::testing::Values(Squatted{"an empty folder",
                                                    [](const std::wstring& n) {
                                                      return CreateDirectoryW(n.c_str(), nullptr) != 0;
                                                    }},
                                           Squatted{"a file",
                                                    [](const std::wstring& n) {
                                                      HANDLE file =
                                                          CreateFileW(n.c_str(), GENERIC_WRITE, 0, nullptr,
                                                                      CREATE_NEW, 0, nullptr);
                                                      return file != INVALID_HANDLE_VALUE &&
                                                             CloseHandle(file);
                                                    }}),
                         [](const ::testing::TestParamInfo<Squatted>& param) {
                           std::string name;
                           for (const char* c = param.param.what; *c; ++c)
                             name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                           return name;
                         });

TEST_F(DumpFile, PathThatDoesNotFitIsRefusedBeforeAnythingIsMade) {
  const std::wstring want = parent_ + L"\\Tempowave-crash-3-4\\Tempowave-crash-3-4.dmp";
  for (size_t capacity : {want.size(), parent_.size() + 20, size_t{4}}) {
    EXPECT_EQ(Create(L"3-4", capacity), L"") << "capacity " << capacity;
    EXPECT_EQ(Names(parent_, L"*"), std::vector<std::wstring>{}) << "capacity " << capacity;
  }
  EXPECT_EQ(Create(L"3-4", want.size() + 1), want);
}

// The crash report itself, with temporary folders far longer than any path buffer: the dump goes to the
// system's Temp all the same and the message says where.
TEST(CrashReport, OverlongTempFolderIsNeverUsed) {
  const std::wstring overlong = L"C:\\" + std::wstring(40000, L'a');
  for (const wchar_t* name : {L"TMP", L"TEMP"}) SetEnvironmentVariableW(name, overlong.c_str());
  EXCEPTION_RECORD record{};
  record.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
  record.ExceptionAddress = reinterpret_cast<void*>(&RtlCaptureContext);
  CONTEXT context{};
  RtlCaptureContext(&context);
  EXCEPTION_POINTERS pointers{&record, &context};
  const std::vector<std::wstring> before = Names(SystemTemp(), L"Tempowave-crash-*");

  test::MessageBoxWatch watch;
  const LONG result = win::ReportCrash(&pointers);
  for (const wchar_t* name : {L"TMP", L"TEMP"}) SetEnvironmentVariableW(name, nullptr);

  std::vector<std::wstring> made;
  for (const auto& name : Names(SystemTemp(), L"Tempowave-crash-*")) {
    if (std::find(before.begin(), before.end(), name) == before.end()) made.push_back(name);
  }
  std::vector<std::wstring> dumps;
  for (const auto& name : made) {
    const std::wstring folder = SystemTemp() + L"\\" + name;
    for (const auto& dump : Names(folder, L"*"))
      dumps.push_back(std::wstring(folder).append(L"\\").append(dump));
  }
  const std::string first = dumps.size() == 1 ? FirstBytes(dumps[0], 4) : "";
  for (const auto& name : made)
    RemoveTree(SystemTemp() + L"\\" + name);  // the end-to-end tests look for dumps

  EXPECT_EQ(result, EXCEPTION_EXECUTE_HANDLER);
  ASSERT_EQ(dumps.size(), 1u);
  EXPECT_EQ(first, "MDMP");
  ASSERT_EQ(watch.boxes.size(), 1u);
  std::wstring text;
  for (const auto& t : watch.boxes[0].texts) text += t;
  EXPECT_NE(text.find(L"0xC0000005"), std::wstring::npos) << Narrow(text);
  EXPECT_NE(text.find(dumps[0]), std::wstring::npos) << "the message names the dump: " << Narrow(text);
}

}  // namespace
}  // namespace tw
