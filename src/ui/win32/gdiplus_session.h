// GDI+ for the whole process: started once before the first window, shut down after the last one.
#pragma once

namespace tw::win {

// Idempotent; a failed start leaves painting to plain GDI.
void StartGdiplus();
void StopGdiplus();
bool GdiplusRunning();

}  // namespace tw::win
