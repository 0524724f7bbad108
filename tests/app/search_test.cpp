// Whole searches through the real window: the reader types a name into Book, presses a button,
// answers the real confirmation box, and finds the book in the run directory.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QWindow>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/event_pump.h"
#include "app/main_window.h"
#include "app/prompts.h"
#include "app/window_desk.h"
#include "demo/demo_sites.h"
#include "net/event_pump.h"
#include "sites/hosts.h"
#include "text/gbk.h"

namespace pagewick {
namespace {

namespace fs = std::filesystem;

// The window's own desk, saving into a folder of the test's.
class FolderDesk : public WindowDesk {
 public:
  FolderDesk(const MainWindow& window, fs::path folder)
      : WindowDesk(window), folder_(std::move(folder)) {}
  Text RunDirectory() override { return TextFromUtf8(folder_.string()); }

 private:
  fs::path folder_;
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

TEST(SearchThroughTheWindow, TypeClickYesAndTheBookIsSaved) {
  const std::vector<demo::SampleBook> books = demo::SampleCatalogue();
  demo::DemoSites sites(0, books);
  const Text host(sites.host());
  SetHosts({host, host, host, host, host});
  const fs::path folder =
      fs::temp_directory_path() / ("pagewick-window-" + std::to_string(getpid()));
  fs::create_directories(folder);

  MainWindow window;  // the real buttons, wired to the real searches
  FolderDesk desk(window, folder);
  SetDesk(&desk);
  SetEventPump(&ProcessEvents);
  window.ShowAtStart();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

  struct Case {
    const char* button;
    const char* name;
    const char* file;
    const char* bookId;
  } cases[] = {
      {"bxwx1", "青石巷", "青石巷 - 沈知秋.txt", "1001"},
      {"bxwx", "星河夜航", "星河夜航 - 林远舟.txt", "1002"},
      {"feiku", "山海小记", "佚名 - 山海小记.txt", "1003"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    QWindow* handle = window.windowHandle();
    auto* book = window.findChild<QLineEdit*>(QStringLiteral("Book"));
    // Into the box (the placeholder goes), select what is there, type the name over it.
    QTest::mouseClick(handle, Qt::LeftButton, Qt::NoModifier, book->geometry().center());
    QTest::keyClick(handle, Qt::Key_A, Qt::ControlModifier);
    QTest::sendKeyEvent(QTest::Click, handle, Qt::Key_unknown, QString::fromUtf8(c.name),
                        Qt::NoModifier);
    ASSERT_EQ(book->text(), QString::fromUtf8(c.name));

    // The confirmation box is really shown; the reader presses Yes, then OK on the next box.
    QString asked;
    OnNextMessageShown([&asked](QMessageBox& box) {
      asked = box.windowTitle();
      AnswerNextMessage(kResultOk);
      box.button(QMessageBox::Yes)->click();
    });
    auto* button = window.findChild<QWidget*>(QString::fromLatin1(c.button));
    QTest::mouseClick(handle, Qt::LeftButton, Qt::NoModifier, button->geometry().center());
    QTRY_VERIFY_WITH_TIMEOUT(fs::exists(folder / c.file), 10000);

    EXPECT_EQ(asked, QStringLiteral("是否下载"));
    const auto told = LastMessage();
    ASSERT_TRUE(told.has_value());
    EXPECT_EQ(TextToUtf8(told->message).rfind("下载成功,请在文件目录中寻找", 0), 0u);
    for (const demo::SampleBook& sample : books) {
      if (sample.id == c.bookId) {
        EXPECT_EQ(ReadFile(folder / c.file), sample.textGbk);
      }
    }
  }
  SetEventPump(nullptr);
  SetDesk(nullptr);
  fs::remove_all(folder);
}

}  // namespace
}  // namespace pagewick
