#include "app/windows/run_directory.h"

#include <windows.h>

#include <string>

namespace pagewick::win32 {
namespace {

Text& FixedDirectory() {
  static Text directory;
  return directory;
}

}  // namespace

Text FolderOfModulePath(const Text& modulePath) {
  const char* start = modulePath.c_str();
  const char* lastBackslash = nullptr;
  for (const char* at = start; *at != '\0'; at = CharNextA(at)) {
    if (*at == '\\') lastBackslash = at;
  }
  if (lastBackslash == nullptr) return modulePath;
  return Text(std::string_view(start, static_cast<size_t>(lastBackslash - start)));
}

Text ModulePath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return Text(std::move(path));
    }
    path.resize(path.size() * 2);  // cut short: ask again with more room
  }
}

bool FixRunDirectory() {
  FixedDirectory() = FolderOfModulePath(ModulePath());
  const std::string& folder = FixedDirectory().str();
  // "C:" alone would mean the drive's current folder; the root is meant.
  const std::string current = !folder.empty() && folder.back() == ':' ? folder + "\\" : folder;
  return SetCurrentDirectoryA(current.c_str()) != 0;
}

Text RunDirectory() { return FixedDirectory(); }

}  // namespace pagewick::win32
