// `Tempowave.exe /restore` with the program's own services, and no window.
#pragma once

namespace tw::win {

// Returns the process's exit code (app/restore_command.h). Call while holding the single-instance mutex.
int RunRestore();

}  // namespace tw::win
