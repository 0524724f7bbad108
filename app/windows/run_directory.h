// The run directory: the folder that holds the program file, where books are saved. It is
// fixed once at start-up and made the current directory.
//
// It is the program's full path (GBK, from GetModuleFileNameA) cut before its last backslash.
// The scan steps over double-byte characters, so a second byte 0x5C inside a Chinese character
// is no backslash. It never ends with a backslash; for a program in a drive's root it is the
// drive letter and colon alone:
//   FolderOfModulePath("C:\\淺水\\pagewick.exe") == "C:\\淺水"   (淺 is 9C 5C)
//   FolderOfModulePath("C:\\pagewick.exe")      == "C:"
#pragma once

#include "text/text.h"

namespace pagewick::win32 {

// The path without its last backslash and what follows; a path without one is kept whole.
Text FolderOfModulePath(const Text& modulePath);

// The program file's full path, as GBK.
Text ModulePath();

// Fixes the run directory from ModulePath() and makes it current (for "C:" the root "C:\").
// Returns false when the current directory could not be changed.
bool FixRunDirectory();

// A copy of the directory fixed at start-up; it never changes, even when the current
// directory does.
Text RunDirectory();

}  // namespace pagewick::win32
