// Start-up and end of the program.
//
// RunApplication, in this order: fixes the run directory and makes it current; registers
// ExitHook; runs StartupRoutine; creates MainWindow and shows it; runs the event loop until the
// window has been closed and no handler is running any more; then ExitHook runs once and the
// program ends with 0. When the window cannot be created, it says so on the error output and
// returns 1, and ExitHook does not run.
//
// With PAGEWICK_EXIT_WHEN_SHOWN=1 in the environment (for measuring start-up), the program
// prints "shown_ns=<wall clock in ns>" once the window is shown and painted, then, after half
// a second of idling, "rss_kb=<resident memory>" and "run_directory=<path>", and closes the
// window the normal way.
#pragma once

#include <cstdint>

class QApplication;

namespace pagewick {

int RunApplication(int argc, char** argv);

// What the program does before its window exists: nothing. Returns 0, which nobody reads.
int32_t StartupRoutine();

// Releases CurrentBookInfo, then CurrentDownloadUrl, each only when it holds something.
void ExitHook();

// Application-wide settings the window relies on: names, Qt's translations for the system
// locale, and no automatic quit when the last window closes (the window decides when to end,
// after the last handler has returned).
void PrepareApplication(QApplication& application);

}  // namespace pagewick
