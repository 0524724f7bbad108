#include "app/startup.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QLocale>
#include <QPixmap>
#include <QTimer>
#include <QWindow>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <utility>

#include "app/event_pump.h"
#include "app/icon.h"
#include "app/main_window.h"
#include "app/prompts.h"
#include "app/run_directory.h"
#include "app/window_desk.h"
#include "net/event_pump.h"
#include "sites/handlers.h"
#include "text/gbk.h"

namespace pagewick {
namespace {

// ExitHook runs at the normal end of the program, once, and never on the failure path.
bool exitHookArmed = false;

void RunExitHookAtEnd() {
  if (std::exchange(exitHookArmed, false)) ExitHook();
}

void RegisterExitHook() {
  static const bool registered = std::atexit(RunExitHookAtEnd) == 0;
  exitHookArmed = registered;
}

void SayWindowCannotBeCreated() { std::fputs("Pagewick: the window cannot be created.\n", stderr); }

// While the window is being made, a fatal message from Qt (no display, no platform plugin)
// ends the program with our error message and exit code 1 instead of an abort.
QtMessageHandler previousMessageHandler = nullptr;

void MessageWhileCreatingWindow(QtMsgType type, const QMessageLogContext& context,
                                const QString& message) {
  if (type == QtFatalMsg) {
    std::fprintf(stderr, "%s\n", qPrintable(message));
    SayWindowCannotBeCreated();
    std::_Exit(1);
  }
  if (previousMessageHandler != nullptr) {
    previousMessageHandler(type, context, message);
  } else {
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
  }
}

long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

// PAGEWICK_EXIT_WHEN_SHOWN: reports the moment the window is first painted and the memory it
// then holds when idle, then closes the window.
class ShownReporter : public QObject {
 public:
  explicit ShownReporter(MainWindow& window) : window_(window) { window_.installEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!seen_ && watched == &window_ && event->type() == QEvent::Paint) {
      seen_ = true;
      QTimer::singleShot(0, this, [this] { Shown(); });
    }
    return false;
  }

 private:
  void Shown() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    std::printf("shown_ns=%lld\n", static_cast<long long>(std::chrono::nanoseconds(now).count()));
    std::fflush(stdout);
    QTimer::singleShot(500, this, [this] {
      std::printf("rss_kb=%ld\nrun_directory=%s\n", ResidentKilobytes(),
                  TextToUtf8(RunDirectory()).c_str());
      std::fflush(stdout);
      window_.close();
    });
  }

  MainWindow& window_;
  bool seen_ = false;
};

}  // namespace

int32_t StartupRoutine() { return 0; }

void ExitHook() {
  if (!CurrentBookInfo.empty()) {
    Text released = std::move(CurrentBookInfo);
    CurrentBookInfo = Text();
  }
  if (!CurrentDownloadUrl.empty()) {
    Text released = std::move(CurrentDownloadUrl);
    CurrentDownloadUrl = Text();
  }
}

void PrepareApplication(QApplication& application) {
  QApplication::setApplicationName(QStringLiteral("Pagewick"));
  QApplication::setApplicationVersion(QStringLiteral("1.0.0.0"));
  QGuiApplication::setDesktopFileName(QStringLiteral("pagewick"));
  QApplication::setWindowIcon(QIcon(QPixmap::fromImage(DrawIcon())));
  application.setQuitOnLastWindowClosed(false);
  InstallQtTranslations(QLocale::system());
}

int RunApplication(int argc, char** argv) {
  FixRunDirectory();
  RegisterExitHook();
  StartupRoutine();

  previousMessageHandler = qInstallMessageHandler(MessageWhileCreatingWindow);
  QApplication application(argc, argv);
  PrepareApplication(application);
  MainWindow window;
  WindowDesk desk(window);
  SetDesk(&desk);
  // The request routine lets window events run between its reads.
  SetEventPump(&ProcessEvents);
  window.ShowAtStart();
  qInstallMessageHandler(previousMessageHandler);
  if (window.windowHandle() == nullptr || window.windowHandle()->handle() == nullptr) {
    SayWindowCannotBeCreated();
    exitHookArmed = false;
    SetDesk(nullptr);
    return 1;
  }

  std::unique_ptr<ShownReporter> reporter;
  if (qEnvironmentVariable("PAGEWICK_EXIT_WHEN_SHOWN") == QLatin1String("1")) {
    reporter = std::make_unique<ShownReporter>(window);
  }
  QApplication::exec();
  SetDesk(nullptr);
  return 0;
}

}  // namespace pagewick
