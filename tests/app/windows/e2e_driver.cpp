// The end-to-end driver: starts the Windows program pointed at the demo sites, and for each
// button finds the window, types a name into Book, presses the button, answers "是否下载" with
// Yes and the notice with OK, then checks the saved file byte for byte.
//
//   e2e_driver.exe PROGRAM     with PAGEWICK_DEMO_HOST=127.0.0.1:PORT (the demo sites) and
//                              PAGEWICK_DEMO_BOOKS=FOLDER (the books as the sites serve them)
// Exit code 0 when every search saved its book, 77 when the demo sites were not given.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "app/windows/controls.h"

namespace {

using namespace pagewick::win32;

std::wstring Wide(const std::string& utf8) {
  std::wstring out(
      static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0)), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, out.data(), static_cast<int>(out.size()));
  out.resize(out.size() - 1);
  return out;
}

std::string Utf8(const std::wstring& wide) {
  std::string out(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0,
                                                          nullptr, nullptr)),
                  '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, out.data(), static_cast<int>(out.size()),
                      nullptr, nullptr);
  out.resize(out.size() - 1);
  return out;
}

std::wstring TextOf(HWND window) {
  wchar_t text[1024] = {};
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000,
                      nullptr);
  return text;
}

// Polls (every 20 ms, 20 s at most) until found() gives a window.
template <typename Find>
HWND WaitFor(Find found) {
  for (int i = 0; i < 1000; ++i) {
    if (HWND window = found()) return window;
    Sleep(20);
  }
  return nullptr;
}

std::string ReadFile(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool Fail(const char* what) {
  std::printf("FAILED: %s\n", what);
  return false;
}

struct Search {
  const char* button;
  int id;
  const char* typed;     // UTF-8
  const char* saved;     // the file name the book is saved under, UTF-8
  const char* bookId;    // the demo book, as served
  const char* question;  // part of the question's text
};

// Types the text into Book the way the keyboard does on a Chinese system: a click into the
// box, selecting what it holds, then one character message per byte of the text in the ANSI code
// page (a double-byte character comes as its lead byte, then its second byte).
void TypeInto(HWND book, const std::wstring& text) {
  PostMessageW(book, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  PostMessageW(book, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
  PostMessageW(book, EM_SETSEL, 0, -1);  // what the last search left is typed over
  std::string ansi(text.size() * 2 + 1, '\0');
  ansi.resize(static_cast<size_t>(
      WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), ansi.data(),
                          static_cast<int>(ansi.size()), nullptr, nullptr)));
  for (char c : ansi) PostMessageA(book, WM_CHAR, static_cast<unsigned char>(c), 1);
}

bool RunSearch(HWND main, const Search& s, const std::wstring& folder, const std::wstring& books) {
  std::printf("-- %s: %s\n", s.button, s.typed);
  const std::wstring saved = folder + L"\\" + Wide(s.saved);
  DeleteFileW(saved.c_str());
  HWND book = GetDlgItem(main, kBookId);
  HWND button = GetDlgItem(main, s.id);
  if (book == nullptr || button == nullptr) return Fail("no Book or no button");

  TypeInto(book, Wide(s.typed));
  const std::wstring typed = Wide(s.typed);
  if (!WaitFor([&] { return TextOf(book) == typed ? book : nullptr; })) {
    std::printf("Book holds \"%s\"\n", Utf8(TextOf(book)).c_str());
    return Fail("typing into Book");
  }
  PostMessageW(button, BM_CLICK, 0, 0);

  HWND question = WaitFor([] { return FindWindowW(L"#32770", L"是否下载"); });
  if (question == nullptr) return Fail("no question \"是否下载\"");
  const std::wstring asked = TextOf(GetDlgItem(question, 0xFFFF));
  std::printf("asked: %s\n", Utf8(asked).c_str());
  if (asked.find(Wide(s.question)) == std::wstring::npos) return Fail("the question's text");
  PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(question, IDYES)));

  HWND notice = WaitFor([] { return FindWindowW(L"#32770", L"信息："); });
  if (notice == nullptr) return Fail("no notice after the download");
  const std::wstring told = TextOf(GetDlgItem(notice, 0xFFFF));
  std::printf("told: %s\n", Utf8(told).c_str());
  if (told.find(L"下载成功") != 0) return Fail("the notice is no success");
  PostMessageW(notice, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(notice, IDOK)));
  WaitFor([] { return FindWindowW(L"#32770", L"信息：") == nullptr ? HWND(1) : nullptr; });

  const std::string got = ReadFile(saved);
  const std::string expected = ReadFile(books + L"\\" + Wide(s.bookId) + L".txt");
  std::printf("saved %zu bytes, the site serves %zu\n", got.size(), expected.size());
  DeleteFileW(saved.c_str());
  if (expected == "<missing>") return Fail("no expected book");
  if (got != expected) return Fail("the saved file differs from the site's");
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const char* host = std::getenv("PAGEWICK_DEMO_HOST");
  const char* books = std::getenv("PAGEWICK_DEMO_BOOKS");
  if (argc < 2 || host == nullptr || books == nullptr) {
    std::printf("skipped: PAGEWICK_DEMO_HOST and PAGEWICK_DEMO_BOOKS name the demo sites\n");
    return 77;
  }
  // Unix paths as Wine shows them: on drive Z:.
  const std::wstring program = L"Z:" + Wide(argv[1]);
  const std::wstring booksFolder = L"Z:" + Wide(books);
  const std::wstring folder = program.substr(0, program.find_last_of(L"\\/"));

  std::wstring command = L"\"" + program + L"\" " + Wide(host);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &process)) {
    std::printf("FAILED: cannot start the program\n");
    return 1;
  }
  // Ready once the last control exists and the window shows.
  HWND main = WaitFor([] {
    HWND window = FindWindowA(kMainWindowClass, kMainWindowCaption);
    return window != nullptr && GetDlgItem(window, kBxwxId) != nullptr && IsWindowVisible(window)
               ? window
               : nullptr;
  });
  bool ok = main != nullptr || Fail("no main window");

  const Search searches[] = {
      {"feiku", kFeikuId, "青石巷", "沈知秋 - 青石巷.txt", "1001", "沈知秋 - 青石巷.txt"},
      {"bxwx", kBxwxId, "星河夜航", "星河夜航 - 林远舟.txt", "1002", "星河夜航\r\n林远舟"},
      {"bxwx1", kBxwx1Id, "山海小记", "山海小记 - 佚名.txt", "1003", "山海小记 - 佚名"},
  };
  int passed = 0, failed = 0;
  for (const Search& s : searches) {
    if (!ok) break;
    (RunSearch(main, s, folder, booksFolder) ? passed : failed)++;
  }

  if (main != nullptr) PostMessageW(main, WM_CLOSE, 0, 0);
  DWORD exitCode = 1;
  if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    Fail("the program did not end after its window was closed");
    ++failed;
  } else {
    GetExitCodeProcess(process.hProcess, &exitCode);
    if (exitCode != 0) {
      Fail("the program's exit code");
      ++failed;
    }
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (!ok) ++failed;
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
