// `Tempowave.exe /restore` with the program's own services, and no window.
#pragma once

namespace tw::win {

// Returns the process's exit code (app/restore_command.h). Call while holding the single-instance mutex.
int RunRestore();

// At the start of the window, before discovery: a connection that an interrupted restart (a kill, a logoff,
// a crash between its disconnect and its connect) left off is switched back on, unless another copy holds
// the machine-wide lock and is restarting it. Takes the seconds a connect takes only when one is marked.
void SwitchMarkedBackOnAtStart();

}  // namespace tw::win
