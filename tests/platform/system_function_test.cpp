// System functions looked up by name: a found one works, and a missing one ends the program
// with an error box naming the library and the function, and exit code -1. The test program
// starts a copy of itself that asks for a function no library has.
#include "platform/windows/system_function.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

namespace pagewick::platform {
namespace {

// In the copy, before any test runs.
const bool kAskedForMissing = [] {
  if (std::strstr(GetCommandLineA(), "--look-up-missing") != nullptr) {
    LookUpSystemFunction("kernel32", "NoSuchFunctionAnywhere");
  }
  return true;
}();

TEST(SystemFunction, FoundFunctionsAreTheSystemsOwn) {
  using GetAcpFn = UINT(WINAPI*)();
  const auto getAcp = SystemFunction<GetAcpFn>("kernel32", "GetACP");
  EXPECT_EQ(getAcp(), GetACP());
  EXPECT_EQ(getAcp(), 936u);  // the tests run with the Chinese ANSI code page
}

TEST(SystemFunction, MissingFunctionShowsAnErrorBoxAndEndsWithMinusOne) {
  ASSERT_TRUE(kAskedForMissing);
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string command = std::string("\"") + self + "\" --look-up-missing";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessA(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process));
  HWND box = nullptr;
  for (int i = 0; i < 500 && box == nullptr; ++i) {
    box = FindWindowW(L"#32770", L"Pagewick");
    if (box == nullptr) Sleep(20);
  }
  ASSERT_NE(box, nullptr);
  wchar_t text[512] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 512);
  const std::wstring said(text);
  EXPECT_NE(said.find(L"NoSuchFunctionAnywhere"), std::wstring::npos);
  EXPECT_NE(said.find(L"kernel32"), std::wstring::npos);
  // An icon beside the text (the box's icon control shows one), and an OK button alone.
  HWND icon = GetDlgItem(box, 0x0440);
  ASSERT_NE(icon, nullptr);
  EXPECT_NE(SendMessageW(icon, STM_GETICON, 0, 0), 0);
  EXPECT_NE(GetDlgItem(box, IDOK), nullptr);
  EXPECT_EQ(GetDlgItem(box, IDYES), nullptr);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  ASSERT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  EXPECT_EQ(exitCode, 0xFFFFFFFFu);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

}  // namespace
}  // namespace pagewick::platform
