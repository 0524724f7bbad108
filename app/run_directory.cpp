#include "app/run_directory.h"

#include <unistd.h>

#include <QDir>
#include <QStandardPaths>
#include <filesystem>
#include <system_error>

#include "text/gbk.h"

namespace pagewick {
namespace {

std::string fixedRunDirectory;

std::string WithoutTrailingSeparators(std::string_view folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.remove_suffix(1);
  if (folder == "/") return std::string();
  return std::string(folder);
}

std::string ProgramPath() {
  std::error_code error;
  std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : path.string();
}

std::string DownloadFolder() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
  if (folder.isEmpty()) folder = QDir::homePath();
  QDir().mkpath(folder);
  return folder.toStdString();
}

}  // namespace

std::string FolderOf(std::string_view programPath) {
  const size_t slash = programPath.rfind('/');
  if (slash == std::string_view::npos) return ".";
  return std::string(programPath.substr(0, slash));
}

std::string ChooseRunDirectory(std::string_view programPath,
                               const std::function<bool(const std::string&)>& usable,
                               const std::function<std::string()>& downloadFolder) {
  if (!programPath.empty()) {
    const std::string folder = FolderOf(programPath);
    if (usable(folder.empty() ? std::string("/") : folder)) return folder;
  }
  return WithoutTrailingSeparators(downloadFolder());
}

bool IsUsableRunDirectory(const std::string& folder) {
  if (access(folder.c_str(), W_OK) != 0) return false;
  return TextToUtf8(TextFromUtf8(folder)) == folder;
}

bool FixRunDirectory() {
  fixedRunDirectory = ChooseRunDirectory(ProgramPath(), IsUsableRunDirectory, DownloadFolder);
  return chdir(fixedRunDirectory.empty() ? "/" : fixedRunDirectory.c_str()) == 0;
}

Text RunDirectory() { return TextFromUtf8(fixedRunDirectory); }

}  // namespace pagewick
