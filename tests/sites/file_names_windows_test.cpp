// Safe file names on Windows: its forbidden characters, device names and trailing dots, and
// each name really creates a file of its own inside the folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "sites/file_names.h"
#include "text/gbk.h"

namespace pagewick {
namespace {

TEST(SafeFileNameOnWindows, ForbiddenCharactersDeviceNamesAndTrailingDots) {
  const struct {
    Text stem;
    Text extension;
    Text expected;
  } cases[] = {
      {"a<b>c:d\"e|f?g*h", ".txt", "a_b_c_d_e_f_g_h.txt"},
      {"CON", ".txt", "_CON.txt"},
      {"nul", ".txt", "_nul.txt"},
      {"Com1", ".txt", "_Com1.txt"},
      {"LPT9 ", ".txt", "_LPT9 .txt"},
      {"COM10", ".txt", "COM10.txt"},
      {"CONSOLE", ".txt", "CONSOLE.txt"},
      {"AUX.tar", ".txt", "_AUX.tar.txt"},
      {"book. . ", "", "book____"},
      {"沈知秋 - 青石巷"_gbk, ".txt", "沈知秋 - 青石巷.txt"_gbk},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(TextToUtf8(c.stem));
    EXPECT_EQ(SafeFileName(c.stem, c.extension), c.expected);
  }
}

TEST(SafeFileNameOnWindows, EveryNameCreatesItsOwnFileInTheFolder) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "pagewick-names";
  CreateDirectoryA(folder.c_str(), nullptr);
  const Text stems[] = {"CON", "nul", "a:b", "x?y*z", "..\\..\\up", "dots...", "俓\\"_gbk};
  for (const Text& stem : stems) {
    SCOPED_TRACE(TextToUtf8(stem));
    const std::string path = folder + "\\" + SafeFileName(stem, ".txt").str();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileType(file), static_cast<DWORD>(FILE_TYPE_DISK));  // a file, not a device
    CloseHandle(file);
    EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileA(path.c_str());
  }
  RemoveDirectoryA(folder.c_str());
}

}  // namespace
}  // namespace pagewick
