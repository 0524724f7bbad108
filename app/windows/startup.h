// Start-up and end of the Windows program.
//
// RunPagewick, in this order: fixes the run directory and makes it current; runs
// StartupRoutine; creates MainWindow with its controls and shows it; runs the message loop
// until the window has been closed (WM_QUIT); then ExitHook runs once and the result is 0.
// When the window cannot be created, an error box says so and the result is 1; ExitHook does
// not run then.
#pragma once

#include <windows.h>

#include <cstdint>

namespace pagewick::win32 {

int RunPagewick(HINSTANCE instance, int showCommand);

// What the program does before its window exists: nothing. Returns 0, which nobody reads.
int32_t StartupRoutine();

// Releases CurrentBookInfo, then CurrentDownloadUrl, each only when it holds something.
void ExitHook();

}  // namespace pagewick::win32
