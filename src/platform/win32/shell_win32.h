// Opening links at the user's level. The program runs elevated: a browser it started itself would run as
// administrator, and the handler it looked up would come from per-user classes that any standard-user process
// can write. The desktop's own shell (the user's explorer) opens them instead.
#pragma once

#include <windows.h>

#include <functional>

#include "platform/shell.h"

namespace tw::win {

// Asks the desktop's shell to open `target`, through the dispatch object of the desktop's view (the shell
// windows' desktop entry, its top-level browser, its active view, the view's application object). True when
// the shell took the request; false when this path does not exist here (no desktop shell, or one that does
// not offer it).
bool OpenThroughDesktopShell(const std::u16string& target);

// Whether a process runs elevated, read from its token.
enum class Elevation { kNotElevated, kElevated, kUnknown };
Elevation ProcessElevation(DWORD process_id);
// The elevation of the desktop's shell (the process that owns the shell window): with UAC off, for the
// built-in Administrator, or with an explorer restarted as administrator it is elevated, and whatever it
// opens runs elevated too. kUnknown when there is no shell window or its token cannot be read.
Elevation DesktopShellElevation();

class Shell final : public IShell {
 public:
  using Opener = std::function<bool(const std::u16string& target)>;
  using ShowAddress = std::function<void(const std::u16string& target)>;
  using ElevationQuery = std::function<Elevation()>;
  // `desktop` opens at the user's level (OpenThroughDesktopShell in the program), but only while
  // `shell_elevation` (DesktopShellElevation) says that the desktop's shell is not elevated. Otherwise, or
  // where it cannot, `show` lets the user take the address: this process never opens it itself.
  Shell(Opener desktop, ShowAddress show, ElevationQuery shell_elevation);
  void Open(const std::u16string& target) override;

 private:
  Opener desktop_;
  ShowAddress show_;
  ElevationQuery shell_elevation_;
};

}  // namespace tw::win
