// The run directory: the folder where books are saved, fixed once at start-up.
//
// It is the folder that holds the program, when the reader can write there and its name can be
// told in GBK; otherwise it is the reader's download folder. It never ends with a separator, so
// RunDirectory() + "/" + name never holds "//"; for a program in the root folder it is the
// empty text:
//   ChooseRunDirectory("/home/li/小说/pagewick", ...) == "/home/li/小说"
//   ChooseRunDirectory("/pagewick", ...)             == ""        (the root folder)
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "text/text.h"

namespace pagewick {

// The folder that holds programPath, without the separator and the file name: "/a/b/x" gives
// "/a/b" and "/x" gives "". A path without a separator gives ".".
std::string FolderOf(std::string_view programPath);

// The run directory (UTF-8) for a program at programPath: its folder when usable(folder) says
// so, else downloadFolder() without a trailing separator (asked only then). usable sees "/" for
// the root folder. An empty programPath (the program's path is unknown) gives the download
// folder.
std::string ChooseRunDirectory(std::string_view programPath,
                               const std::function<bool(const std::string&)>& usable,
                               const std::function<std::string()>& downloadFolder);

// Whether the reader can write into folder and its UTF-8 name survives the trip through GBK.
bool IsUsableRunDirectory(const std::string& folder);

// Fixes the run directory for the running program and makes it the current directory. Called
// once at start-up; returns false when the current directory could not be changed.
bool FixRunDirectory();

// A copy of the directory fixed at start-up, as GBK; it never changes, even when the current
// directory does.
Text RunDirectory();

}  // namespace pagewick
