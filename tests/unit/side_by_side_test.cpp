#include <gtest/gtest.h>

#include <string>

#include "platform/side_by_side.h"
#include "platform/text.h"

namespace tw {
namespace {

constexpr std::u16string_view kWindows = u"C:\\Windows";

// Paths as the activation context and the loader report them, and the ways a planted copy could pass for one.
TEST(IsInsideFolder, PathsInAndOutOfTheWindowsFolder) {
  struct Case {
    std::u16string_view path;
    bool inside;
    const char* why;
  };
  const Case cases[] = {
      {u"C:\\Windows\\WinSxS\\manifests\\x86_microsoft.windows.common-controls_6595b64144ccf1df_6.0.19041.1_"
       u"none_a8625c1886757984.manifest",
       true, "the store's manifest"},
      {u"c:\\windows\\winsxs\\x86_cc\\comctl32.dll", true, "another case (Wine writes it in lower case)"},
      {u"C:/Windows/WinSxS/x86_cc/comctl32.dll", true, "forward slashes"},
      {u"\\\\?\\C:\\Windows\\WinSxS\\x", true, "Win32 file namespace"},
      {u"\\??\\C:\\Windows\\WinSxS\\x", true, "NT object namespace"},
      {u"\\\\.\\C:\\Windows\\WinSxS\\x", true, "device namespace"},
      {u"C:\\Windows", false, "the folder itself"},
      {u"C:\\Windows\\", false, "the folder with a separator"},
      {u"C:\\WindowsApps\\x.manifest", false, "a sibling that shares the prefix"},
      {u"C:\\Win\\x.manifest", false, "a shorter name"},
      {u"D:\\Windows\\WinSxS\\x", false, "another drive"},
      {u"C:\\Users\\me\\Downloads\\Tempowave.exe.local\\x86_cc\\comctl32.dll", false, "the .local folder"},
      {u"C:\\Windows\\..\\Users\\me\\Downloads\\x.manifest", false, "climbing out"},
      {u"C:\\Windows\\WinSxS\\..\\..\\Users\\x", false, "climbing out from deeper"},
      {u"C:\\Windows\\.\\x", false, "a dot component"},
      {u"C:\\Windows\\. .\\x", false, "dots and spaces, which Windows trims"},
      {u"C:\\Windows\\\\x", false, "an empty component"},
      {u"C:\\Windows\\WinSxS\\", false, "a trailing separator"},
      {u"C:\\Windows\\x:stream", false, "a stream"},
      {u"C:\\Windows\\D:\\x", false, "a drive inside"},
      {u"\\\\server\\share\\Windows\\x", false, "a share"},
      {u"\\\\?\\UNC\\server\\share\\Windows\\x", false, "a share in the Win32 file namespace"},
      {u"Windows\\WinSxS\\x", false, "relative"},
      {u"C:Windows\\x", false, "drive-relative"},
      {u"\\Windows\\x", false, "rooted without a drive"},
      {u"\\\\?\\GLOBALROOT\\Device\\HarddiskVolume2\\Windows\\x", false, "a device path"},
      {u"", false, "nothing"},
      {u"C:\\WINDOW~1\\WinSxS\\x", false, "a short name is not resolved"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsInsideFolder(c.path, kWindows), c.inside) << c.why << ": " << EncodeUtf8(c.path);
  }
}

TEST(IsInsideFolder, TheFolderAsWindowsGivesIt) {
  struct Case {
    std::u16string_view folder;
    std::u16string_view path;
    bool inside;
  };
  const Case cases[] = {
      {u"C:\\Windows\\", u"C:\\Windows\\WinSxS\\x", true},
      {u"\\\\?\\C:\\Windows", u"C:\\Windows\\WinSxS\\x", true},
      {u"C:\\", u"C:\\Windows\\x", true},
      {u"C:\\", u"D:\\Windows\\x", false},
      {u"\\\\server\\share", u"\\\\?\\UNC\\server\\share\\x", true},
      {u"\\\\server\\share", u"C:\\server\\share\\x", false},
      {u"", u"C:\\Windows\\x", false},
      {u"Windows", u"Windows\\x", false},
      {u"C:", u"C:\\Windows\\x", false},
      {u"C:\\Windows\u00c9", u"C:\\Windows\u00e9\\x", false},  // only ASCII letters fold
      {u"C:\\Windows\u00c9", u"C:\\WINDOWS\u00c9\\x", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsInsideFolder(c.path, c.folder), c.inside)
        << EncodeUtf8(c.path) << " in " << EncodeUtf8(c.folder);
  }
}

// The common controls as Windows binds them: the manifest in the store, the directory a folder name of it.
TEST(AssemblyFromWindowsFolder, TheStoreOnly) {
  const std::u16string store_manifest =
      u"C:\\Windows\\WinSxS\\manifests\\x86_microsoft.windows.common-controls_6595b64144ccf1df_6.0.19041.1_"
      u"none_"
      u"a8625c1886757984.manifest";
  const std::u16string store_folder =
      u"x86_microsoft.windows.common-controls_6595b64144ccf1df_6.0.19041.1_none_a8625c1886757984";
  struct Case {
    std::u16string_view manifest;
    std::u16string_view directory;
    bool from_windows;
    const char* why;
  };
  const Case cases[] = {
      {store_manifest, store_folder, true, "the store"},
      {store_manifest, u"", true, "no directory reported"},
      {store_manifest, u"C:\\Windows\\WinSxS\\x86_cc", true, "the directory as a full path in the store"},
      {u"", store_folder, false, "no manifest path"},
      {u"C:\\Users\\me\\Downloads\\Tempowave.exe.local\\x86_cc\\x86_cc.manifest", store_folder, false,
       "the manifest in the .local folder"},
      {u"C:\\Users\\me\\Downloads\\Microsoft.Windows.Common-Controls.manifest", u"", false,
       "a private assembly beside the exe"},
      {store_manifest, u"C:\\Users\\me\\Downloads\\Tempowave.exe.local\\x86_cc", false,
       "the directory in the .local folder"},
      {store_manifest, u"..", false, "a directory that climbs out of the store"},
      {store_manifest, u"x86_cc\\..\\..\\..\\Users", false, "a relative directory with separators"},
      {store_manifest, u"D:x86_cc", false, "a drive-relative directory"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AssemblyFromWindowsFolder(c.manifest, c.directory, kWindows), c.from_windows) << c.why;
  }
}

}  // namespace
}  // namespace tw
