// pagewick-tour NAME BUTTON: one whole search carried out by itself on the real window, for the
// demo on a machine without a reader: it types NAME into Book, presses BUTTON (feiku, bxwx or
// bxwx1), photographs the window and the question, answers Yes and OK, and says what it did.
// The books land in the run directory, as for the reader.
#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/event_pump.h"
#include "app/main_window.h"
#include "app/prompts.h"
#include "app/run_directory.h"
#include "app/startup.h"
#include "app/window_desk.h"
#include "net/event_pump.h"
#include "text/gbk.h"

namespace {

using namespace pagewick;

// The part of the screen that holds the window and whatever box stands in front of it.
void Photograph(const QString& path, QWidget* box = nullptr) {
  if (box != nullptr) (void)QTest::qWaitForWindowExposed(box);
  QTest::qWait(300);  // let the window system paint it
  QScreen* screen = QGuiApplication::primaryScreen();
  screen->grabWindow(0).save(path);
  std::printf("  screenshot: %s\n", path.toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: pagewick-tour NAME feiku|bxwx|bxwx1 [SCREENSHOT-FOLDER]\n");
    return 2;
  }
  const QString name = QString::fromUtf8(argv[1]);
  const QString button = QString::fromLatin1(argv[2]);
  const std::string shots = argc > 3 ? argv[3] : std::filesystem::current_path().string();

  FixRunDirectory();
  QApplication application(argc, argv);
  PrepareApplication(application);
  MainWindow window;
  WindowDesk desk(window);
  SetDesk(&desk);
  SetEventPump(&ProcessEvents);
  window.ShowAtStart();
  window.activateWindow();
  if (!QTest::qWaitForWindowActive(&window)) {
    std::fprintf(stderr, "pagewick-tour: the window did not appear\n");
    return 1;
  }
  std::printf("Pagewick tour: typing %s into Book and pressing %s\n", argv[1], argv[2]);

  int exitCode = 1;
  const auto started = std::filesystem::file_time_type::clock::now();
  QTimer::singleShot(200, [&] {
    QWindow* handle = window.windowHandle();
    auto* book = window.findChild<QLineEdit*>(QStringLiteral("Book"));
    auto* pressed = window.findChild<QWidget*>(button);
    if (book == nullptr || pressed == nullptr) {
      std::fprintf(stderr, "pagewick-tour: no button named %s\n", argv[2]);
      QApplication::exit(2);
      return;
    }
    QTest::mouseClick(handle, Qt::LeftButton, Qt::NoModifier, book->geometry().center());
    // On a real display the focus arrives through the window system: wait for it, so the
    // placeholder is gone before the name is typed.
    for (int i = 0; i < 100 && !book->hasFocus(); ++i) QTest::qWait(20);
    QTest::sendKeyEvent(QTest::Click, handle, Qt::Key_unknown, name, Qt::NoModifier);
    Photograph(QString::fromStdString(shots + "/tour-1-window.png"));

    // Presses Yes where the box asks, else its only button.
    auto answer = [](QMessageBox& box) {
      QAbstractButton* yes = box.button(QMessageBox::Yes);
      (yes != nullptr ? yes : box.buttons().front())->click();
    };
    // The question: photograph it, answer Yes; then the answer box: photograph it, press OK.
    OnNextMessageShown([&](QMessageBox& question) {
      std::printf("  asked \"%s\": %s\n", question.windowTitle().toUtf8().constData(),
                  question.text().toUtf8().constData());
      Photograph(QString::fromStdString(shots + "/tour-2-question.png"), &question);
      OnNextMessageShown([&](QMessageBox& told) {
        std::printf("  told: %s\n", told.text().toUtf8().constData());
        Photograph(QString::fromStdString(shots + "/tour-3-told.png"), &told);
        answer(told);
      });
      answer(question);
    });
    QTest::mouseClick(handle, Qt::LeftButton, Qt::NoModifier, pressed->geometry().center());

    // The click has run the whole search; report what landed in the run directory.
    const std::filesystem::path folder = TextToUtf8(RunDirectory());
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      if (entry.path().extension() != ".txt" || entry.last_write_time() < started) continue;
      std::printf("  saved: %s (%ju bytes)\n", entry.path().c_str(),
                  static_cast<uintmax_t>(entry.file_size()));
      exitCode = 0;
    }
    window.close();
  });
  application.exec();
  SetEventPump(nullptr);
  SetDesk(nullptr);
  return exitCode;
}
