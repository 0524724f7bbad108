// The Win32 shell's services: message boxes on the real MessageBoxA, the event pump, the run
// directory, ExitHook and the program's version resource and icon.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "app/windows/event_pump.h"
#include "app/windows/main_window.h"
#include "app/windows/prompts.h"
#include "app/windows/run_directory.h"
#include "app/windows/startup.h"
#include "sites/handlers.h"
#include "text/gbk.h"

namespace pagewick::win32 {
namespace {

// --- message boxes ---------------------------------------------------------------------------

TEST(MessageRules, FlagsWithoutSystemModalBecomeTaskModal) {
  const struct {
    int32_t flags;
    uint32_t style;
  } cases[] = {{0, 8192}, {4, 8196}, {16, 8208}, {4096, 4096}, {4100, 4100}, {4096 | 8192, 12288}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.flags);
    EXPECT_EQ(MessageBoxStyle(c.flags), c.style);
  }
}

TEST(MessageRules, ResultIsTheButtonIdentifierLessOne) {
  const struct {
    int answer;
    int32_t result;
  } cases[] = {{IDOK, 0},  {IDCANCEL, 1}, {IDABORT, 2}, {IDRETRY, 3}, {IDIGNORE, 4},
               {IDYES, 5}, {IDNO, 6},     {0, 0},       {IDCLOSE, 0}, {IDTRYAGAIN, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    EXPECT_EQ(MessageResult(c.answer), c.result);
  }
}

// Waits (a few seconds at most) for the box titled title, notes what it shows and whether
// `watched` is enabled meanwhile, then presses the button with the given identifier.
struct SeenBox {
  bool found = false;
  std::string text;
  bool watchedEnabled = false;
  bool hasButton[8] = {};
};

std::thread AnswerBox(const char* titleUtf8, int button, HWND watched, SeenBox& seen) {
  return std::thread([title = TextFromUtf8(titleUtf8), button, watched, &seen] {
    for (int i = 0; i < 500 && !seen.found; ++i) {
      HWND box = FindWindowA("#32770", title.c_str());
      if (box == nullptr) {
        Sleep(10);
        continue;
      }
      seen.found = true;
      char text[512] = {};
      GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
      seen.text = TextToUtf8(Text(text));
      for (int id = IDOK; id <= IDNO; ++id) seen.hasButton[id] = GetDlgItem(box, id) != nullptr;
      seen.watchedEnabled = watched != nullptr && IsWindowEnabled(watched);
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    }
  });
}

class BoxTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(window_.Create(GetModuleHandleA(nullptr))); }
  MainWindow window_{ButtonHandlers{}};
};

TEST_F(BoxTest, QuestionAnsweredYesOrNo) {
  for (int button : {IDYES, IDNO}) {
    SCOPED_TRACE(button);
    SeenBox seen;
    std::thread answer = AnswerBox("是否下载", button, window_.handle(), seen);
    const int32_t result = ShowMessage("沈知秋 - 青石巷.txt"_gbk, 4100, "是否下载"_gbk);
    answer.join();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(result, button == IDYES ? 5 : 6);
    EXPECT_EQ(seen.text, "沈知秋 - 青石巷.txt");
    EXPECT_TRUE(seen.hasButton[IDYES] && seen.hasButton[IDNO]);
    EXPECT_TRUE(seen.watchedEnabled);  // system-modal: the window stays usable
  }
}

TEST_F(BoxTest, PlainBoxHasTheDefaultTitleAnOkButtonAndBlocksTheWindow) {
  SeenBox seen;
  std::thread answer = AnswerBox("信息：", IDOK, window_.handle(), seen);
  const int32_t result = ShowMessage(Text(), 0, std::nullopt);
  answer.join();
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(seen.text, "");
  EXPECT_TRUE(seen.hasButton[IDOK]);
  EXPECT_FALSE(seen.hasButton[IDYES]);
  EXPECT_FALSE(seen.watchedEnabled);  // task-modal: the window waits for the answer
  EXPECT_TRUE(IsWindowEnabled(window_.handle()));
}

TEST_F(BoxTest, SystemModalNoticeLeavesTheWindowUsable) {
  SeenBox seen;
  std::thread answer = AnswerBox("信息：", IDOK, window_.handle(), seen);
  EXPECT_EQ(ShowMessage("下载成功,请在文件目录中寻找!"_gbk, 4096, std::nullopt), 0);
  answer.join();
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.text, "下载成功,请在文件目录中寻找!");
  EXPECT_TRUE(seen.watchedEnabled);
}

// --- the event pump ------------------------------------------------------------------------

std::vector<int>& Delivered() {
  static std::vector<int> list;
  return list;
}

// Notes every WM_APP + n delivered to it; after n == 1 it posts 2 and pumps, when asked to, as
// a search started during a request would.
bool pumpInsideFirst = false;
LRESULT CALLBACK SinkProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= WM_APP) Delivered().push_back(static_cast<int>(message - WM_APP));
  if (message == WM_APP + 1 && pumpInsideFirst) {
    PostMessageA(window, WM_APP + 2, 0, 0);
    ProcessEvents();
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class PumpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pumpInsideFirst = false;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = SinkProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "PumpTestSink";
    RegisterClassA(&windowClass);
    sink_ = CreateWindowExA(0, "PumpTestSink", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(sink_, nullptr);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
    Delivered().clear();
  }
  void TearDown() override { DestroyWindow(sink_); }
  HWND sink_ = nullptr;
};

TEST_F(PumpTest, DeliversWhatWaitsInOrderAndReturnsWhenNothingIsLeft) {
  ProcessEvents();  // empty queue: returns at once
  EXPECT_TRUE(Delivered().empty());
  for (int i = 1; i <= 3; ++i) PostMessageA(sink_, WM_APP + i, 0, 0);
  ProcessEvents();
  EXPECT_EQ(Delivered(), (std::vector<int>{1, 2, 3}));
  MSG left;
  EXPECT_FALSE(PeekMessageA(&left, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(PumpTest, StopsBeforeTheQuitRequestAndLeavesItQueued) {
  PostMessageA(sink_, WM_APP + 1, 0, 0);
  PostQuitMessage(7);
  ProcessEvents();
  EXPECT_EQ(Delivered(), (std::vector<int>{1}));
  MSG quit;
  ASSERT_TRUE(PeekMessageA(&quit, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(quit.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(quit.wParam, 7u);
}

TEST_F(PumpTest, AHandlerRunFromThePumpCanPumpAgain) {
  // Message 1 posts 2 and pumps from inside its own delivery; 3 was queued before 2.
  pumpInsideFirst = true;
  PostMessageA(sink_, WM_APP + 1, 0, 0);
  PostMessageA(sink_, WM_APP + 3, 0, 0);
  ProcessEvents();
  EXPECT_EQ(Delivered(), (std::vector<int>{1, 3, 2}));
}

// --- the run directory ------------------------------------------------------------------------

TEST(RunDirectory, CutBeforeTheLastBackslashSteppingOverDoubleByteCharacters) {
  const struct {
    const char* path;
    const char* folder;
  } cases[] = {
      {"C:\\小说\\pagewick.exe", "C:\\小说"},
      {"C:\\淺\\pagewick.exe", "C:\\淺"},  // 淺 is 9C 5C: its second byte is no backslash
      {"C:\\乗籠\\pagewick.exe", "C:\\乗籠"},
      {"C:\\乗", "C:"},
      {"D:\\a\\b\\c\\x.exe", "D:\\a\\b\\c"},
      {"C:\\pagewick.exe", "C:"},
      {"\\\\server\\share\\p.exe", "\\\\server\\share"},
      {"pagewick.exe", "pagewick.exe"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(TextToUtf8(FolderOfModulePath(TextFromUtf8(c.path))), c.folder);
  }
}

std::wstring Wide(const char* utf8) {
  std::wstring out(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0)), 0);
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out.data(), static_cast<int>(out.size()));
  out.resize(out.size() - 1);
  return out;
}

// The test program copies itself into a folder whose name holds 淺 (9C 5C) and runs the copy,
// which fixes its run directory and writes it, with the current directory, into a file there.
TEST(RunDirectory, ProgramInAChineseFolderFindsItsFolderAndMakesItCurrent) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder =
      std::wstring(temp) + Wide("淺水乗籠") + L"-" + std::to_wstring(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring copy = folder + L"\\shell_copy.exe";
  ASSERT_TRUE(CopyFileW(self, copy.c_str(), FALSE));

  std::wstring command = L"\"" + copy + L"\" --write-run-directory";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(copy.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             temp, &startup, &process));
  ASSERT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  EXPECT_EQ(exitCode, 0u);

  std::ifstream written(std::filesystem::path(folder + L"\\run_directory.txt"), std::ios::binary);
  std::string runDirectory, current;
  std::getline(written, runDirectory);
  std::getline(written, current);
  // The folder's name as the system's ANSI code page (936) spells it.
  std::string expected(MAX_PATH * 2, '\0');
  expected.resize(
      static_cast<size_t>(WideCharToMultiByte(CP_ACP, 0, folder.c_str(), -1, expected.data(),
                                              MAX_PATH * 2, nullptr, nullptr)) -
      1);
  EXPECT_EQ(runDirectory, expected);
  EXPECT_EQ(current, expected);
  EXPECT_NE(runDirectory.back(), '\\');

  DeleteFileW((folder + L"\\run_directory.txt").c_str());
  for (int i = 0; i < 50 && !DeleteFileW(copy.c_str()); ++i) Sleep(20);  // the copy may linger
  RemoveDirectoryW(folder.c_str());
}

// --- ExitHook and the program file ------------------------------------------------------------

TEST(ExitHook, ReleasesBothTexts) {
  CurrentBookInfo = "青石巷"_gbk;
  CurrentDownloadUrl = Text("http://127.0.0.1/down/1001.txt");
  ExitHook();
  EXPECT_TRUE(CurrentBookInfo.empty());
  EXPECT_TRUE(CurrentDownloadUrl.empty());
  ExitHook();  // none left: nothing to release
  EXPECT_EQ(StartupRoutine(), 0);
}

std::wstring VersionString(const std::vector<char>& info, const char* key) {
  const std::wstring path = L"\\StringFileInfo\\080404B0\\" + Wide(key);
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(info.data(), path.c_str(), &value, &length) || length == 0) return L"<none>";
  return std::wstring(static_cast<const wchar_t*>(value), length - 1);
}

TEST(ProgramFile, VersionInformationInChineseWithVersion1000) {
  const std::wstring program = Wide(PAGEWICK_PROGRAM_PATH);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, size, info.data()));

  const struct {
    const char* key;
    const char* value;
  } strings[] = {
      {"FileDescription", "一键操作，输入小说名字下载即可。"},
      {"ProductName", "Pagewick"},
      {"Comments", "主要是飞库网跟笔下文学网两个网站"},
      {"FileVersion", "1.0.0.0"},
      {"ProductVersion", "1.0.0.0"},
  };
  for (const auto& s : strings) {
    SCOPED_TRACE(s.key);
    EXPECT_TRUE(VersionString(info, s.key) == Wide(s.value));
  }

  WORD* translation = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], 0x0804);
  EXPECT_EQ(translation[1], 1200);

  VS_FIXEDFILEINFO* fixed = nullptr;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
}

TEST(ProgramFile, IconIs32By32WithAlpha) {
  HMODULE program =
      LoadLibraryExW(Wide(PAGEWICK_PROGRAM_PATH).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(program, nullptr);
  HICON icon = static_cast<HICON>(LoadImageA(program, MAKEINTRESOURCEA(1), IMAGE_ICON, 32, 32, 0));
  ASSERT_NE(icon, nullptr);
  ICONINFO parts{};
  ASSERT_TRUE(GetIconInfo(icon, &parts));
  BITMAP colour{};
  GetObjectA(parts.hbmColor, sizeof colour, &colour);
  EXPECT_EQ(colour.bmWidth, 32);
  EXPECT_EQ(colour.bmHeight, 32);
  EXPECT_EQ(colour.bmBitsPixel, 32);
  // Some pixels are see-through, some solid, some in between: a real alpha channel.
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = 32;
  format.bmiHeader.biHeight = 32;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  std::vector<unsigned char> bgra(32 * 32 * 4);
  HDC screen = GetDC(nullptr);
  ASSERT_EQ(GetDIBits(screen, parts.hbmColor, 0, 32, bgra.data(), &format, DIB_RGB_COLORS), 32);
  ReleaseDC(nullptr, screen);
  int clear = 0, solid = 0, partial = 0;
  for (size_t i = 3; i < bgra.size(); i += 4) {
    (bgra[i] == 0 ? clear : bgra[i] == 255 ? solid : partial)++;
  }
  EXPECT_GT(clear, 0);
  EXPECT_GT(solid, 0);
  EXPECT_GT(partial, 0);
  DeleteObject(parts.hbmColor);
  DeleteObject(parts.hbmMask);
  DestroyIcon(icon);
  FreeLibrary(program);
}

}  // namespace
}  // namespace pagewick::win32

// With --write-run-directory the program fixes its run directory and writes it and the current
// directory, one per line, into run_directory.txt there; otherwise it runs the tests.
int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--write-run-directory") {
    if (!pagewick::win32::FixRunDirectory()) return 2;
    char current[MAX_PATH * 2] = {};
    GetCurrentDirectoryA(sizeof current, current);
    std::ofstream out("run_directory.txt", std::ios::binary);
    out << pagewick::win32::RunDirectory().str() << "\n" << current << "\n";
    return out ? 0 : 3;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
