// Libraries come from the system folder only. A stand-in planted beside this test program and in the current
// folder (it leaves "<its path>.loaded" behind when it is loaded) is found by an ordinary load, and never by
// a system-folder load or once the search is restricted.
#include <windows.h>
#include <objidl.h>  // PROPID, left out by WIN32_LEAN_AND_MEAN

#include <gdiplus.h>

#include <gtest/gtest.h>

#include <array>

#include <string>
#include <vector>

#include "platform/win32/library_search_win32.h"

#ifndef TW_PLANTED_LIBRARY
#error "TW_PLANTED_LIBRARY must name the built stand-in library"
#endif

namespace tw {
namespace {

std::wstring FolderOf(const std::wstring& path) {
  return path.substr(0, path.find_last_of(L"\\/"));
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class PlantedLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::wstring pid = std::to_wstring(GetCurrentProcessId());
    name_ = L"tw_planted_" + pid + L".dll";
    wchar_t buffer[MAX_PATH];
    GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    exe_folder_ = FolderOf(buffer);
    GetTempPathW(MAX_PATH, buffer);
    current_folder_ = std::wstring(buffer) + L"tw_current_" + pid;
    ASSERT_TRUE(CreateDirectoryW(current_folder_.c_str(), nullptr));
    GetCurrentDirectoryW(MAX_PATH, buffer);
    previous_folder_ = buffer;
    ASSERT_TRUE(SetCurrentDirectoryW(current_folder_.c_str()));
  }
  void TearDown() override {
    SetCurrentDirectoryW(previous_folder_.c_str());
    Unplant();
    RemoveDirectoryW(current_folder_.c_str());
  }

  void Plant(const std::wstring& folder) {
    const char unix_path[] = TW_PLANTED_LIBRARY;
    std::wstring source = L"Z:" + std::wstring(unix_path, unix_path + sizeof unix_path - 1);
    for (auto& c : source) {
      if (c == L'/') c = L'\\';
    }
    const std::wstring path = folder + L"\\" + name_;
    ASSERT_TRUE(CopyFileW(source.c_str(), path.c_str(), FALSE)) << "error " << GetLastError();
    planted_.push_back(path);
  }
  void Unplant() {
    for (const auto& path : planted_) {
      DeleteFileW(path.c_str());
      DeleteFileW((path + L".loaded").c_str());
    }
    planted_.clear();
  }
  void PlantEverywhere() {
    Plant(exe_folder_);
    Plant(current_folder_);
  }
  // The planted copies that were loaded.
  std::vector<std::wstring> Loaded() const {
    std::vector<std::wstring> loaded;
    for (const auto& path : planted_) {
      if (Exists(path + L".loaded")) loaded.push_back(path);
    }
    return loaded;
  }

  std::wstring name_, exe_folder_, current_folder_, previous_folder_;
  std::vector<std::wstring> planted_;
};

// The plants are where an ordinary search looks: without this the cases below would prove nothing.
TEST_F(PlantedLibrary, OrdinaryLoadTakesItFromEitherFolder) {
  for (const auto* folder : {&exe_folder_, &current_folder_}) {
    Plant(*folder);
    EXPECT_EQ(LoadLibraryW(name_.c_str()), nullptr) << "the stand-in refuses to load";
    EXPECT_EQ(Loaded(), std::vector<std::wstring>{*folder + L"\\" + name_});
    Unplant();
  }
}

TEST_F(PlantedLibrary, SystemFolderLoadNeverTakesIt) {
  PlantEverywhere();
  EXPECT_EQ(win::LoadSystemLibrary(name_.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(Loaded(), std::vector<std::wstring>{});
  // A library that the system folder holds still loads.
  HMODULE version = win::LoadSystemLibrary(L"version.dll");
  EXPECT_NE(version, nullptr);
  if (version) FreeLibrary(version);
}

// The restriction lasts for the rest of this test program (ctest runs each case on its own).
TEST_F(PlantedLibrary, RestrictedSearchNeverTakesIt) {
  PlantEverywhere();
  ASSERT_TRUE(win::RestrictLibrarySearchToSystem());
  EXPECT_EQ(LoadLibraryW(name_.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(Loaded(), std::vector<std::wstring>{});
  HMODULE system = LoadLibraryW(L"mscms.dll");
  EXPECT_NE(system, nullptr) << "a library of the system folder, by its bare name";
  if (system) FreeLibrary(system);
}

BOOL WINAPI RefuseFlags(DWORD) {
  return FALSE;
}

// A loader without SetDefaultDllDirectories (Windows 7 or Vista without the 2011 update), or one that refuses
// the flag, cannot restrict the search: the program must then not start (entry.cpp tells the user and ends).
TEST(RestrictLibrarySearch, WithoutDefaultDirectoriesTheProgramMustNotStart) {
  EXPECT_FALSE(win::RestrictLibrarySearch(nullptr));
  EXPECT_FALSE(win::RestrictLibrarySearch(RefuseFlags)) << "a loader that refuses the flag";
}

// GDI+ is delay-loaded: the first call of each of its functions goes through the delay-load stub, which must
// hand on every argument. On x86-64 the first four floating-point ones travel in registers that binutils'
// stubs do not save; each case runs on its own, so these are the first calls.
TEST(DelayLoadedImport, FirstCallKeepsItsFloatingPointArguments) {
  using namespace Gdiplus::DllExports;
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
  Gdiplus::GpMatrix* matrix = nullptr;
  ASSERT_EQ(GdipCreateMatrix2(1.5f, -2.25f, 3.75f, 4.5f, 5.0f, 6.0f, &matrix), Gdiplus::Ok);
  std::array<Gdiplus::REAL, 6> elements{};
  ASSERT_EQ(GdipGetMatrixElements(matrix, elements.data()), Gdiplus::Ok);
  EXPECT_EQ(elements, (std::array<Gdiplus::REAL, 6>{1.5f, -2.25f, 3.75f, 4.5f, 5.0f, 6.0f}));
  GdipDeleteMatrix(matrix);
  Gdiplus::GpPen* pen = nullptr;
  ASSERT_EQ(GdipCreatePen1(0xFF000000, 2.5f, Gdiplus::UnitPixel, &pen), Gdiplus::Ok);
  Gdiplus::REAL width = 0;
  GdipGetPenWidth(pen, &width);
  EXPECT_EQ(width, 2.5f);
  GdipDeletePen(pen);
  Gdiplus::GdiplusShutdown(token);
}

}  // namespace
}  // namespace tw
