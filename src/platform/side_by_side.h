// Where the side-by-side assemblies of the program's manifest (the common controls) come from. The program
// runs as administrator from wherever it was saved: Windows must bind it to the assemblies of its own store
// in the Windows folder, never to copies in a "<exe>.local" folder or beside the exe, which a standard user
// can plant. The decisions are made here, on the paths that the process's activation context reports; the
// Windows calls that fetch them are in platform/win32/local_redirection_win32.cpp. Nothing here allocates: it
// runs before the C++ runtime has started.
#pragma once

#include <string_view>

namespace tw {

// True when `path` names something inside `folder` (both absolute: "C:\..." or a share). The comparison
// ignores the case of ASCII letters, accepts '/' as a separator, and sees through the "\\?\", "\\.\" and
// "\??\" prefixes (with "UNC\" for shares). A path that climbs out with "..", stays on "." (or a name of dots
// and spaces, which Windows trims away), names a stream or another drive with ':', or is the folder itself,
// is not inside. Short names ("WINDOW~1") are not resolved: such a path counts as outside.
bool IsInsideFolder(std::u16string_view path, std::u16string_view folder);

// True when an assembly that the activation context binds comes from the Windows folder: its manifest is a
// file inside `windows_folder`, and its directory is either a bare folder name of the side-by-side store or a
// path inside `windows_folder`. A missing manifest path counts as elsewhere.
bool AssemblyFromWindowsFolder(std::u16string_view manifest_path, std::u16string_view directory,
                               std::u16string_view windows_folder);

}  // namespace tw
