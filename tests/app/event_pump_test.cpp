#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

#include "app/event_pump.h"
#include "tests/app/window_fixture.h"

namespace pagewick {
namespace {

// Counts the events of one type that reach it and, on the first, posts another of the same.
class Relay : public QObject {
 public:
  static constexpr QEvent::Type kType = QEvent::User;
  int received = 0;

 protected:
  bool event(QEvent* event) override {
    if (event->type() != kType) return QObject::event(event);
    if (++received == 1) QCoreApplication::postEvent(this, new QEvent(kType));
    return true;
  }
};

// Swallows quit requests to the application and counts them.
class QuitCatcher : public QObject {
 public:
  int caught = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit) {
      ++caught;
      return true;
    }
    return false;
  }
};

TEST(ProcessEvents, DeliversWhatWaitsAndWhatThatPostsThenReturns) {
  Relay relay;
  QCoreApplication::postEvent(&relay, new QEvent(Relay::kType));
  ProcessEvents();
  EXPECT_EQ(relay.received, 2);
  ProcessEvents();  // nothing waits: returns at once
  EXPECT_EQ(relay.received, 2);
}

TEST(ProcessEvents, LeavesAQuitRequestForTheMainLoop) {
  QuitCatcher catcher;
  QCoreApplication::instance()->installEventFilter(&catcher);
  QEventLoop waiting;  // stands for a box that waits while a request runs
  int caughtDuringPump = -1;
  QTimer::singleShot(0, [&] {
    QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit));
    ProcessEvents();
    caughtDuringPump = catcher.caught;
    QCoreApplication::sendPostedEvents(QCoreApplication::instance(), QEvent::Quit);
    waiting.quit();
  });
  waiting.exec();
  QCoreApplication::instance()->removeEventFilter(&catcher);
  EXPECT_EQ(caughtDuringPump, 0);
  EXPECT_EQ(catcher.caught, 1) << "still queued after the pump";
}

// A click that waits while a request runs starts its button's handler inside the running one.
TEST_F(WindowTest, AClickDuringARequestRunsItsHandlerInsideTheRunningOne) {
  std::vector<std::string> order;
  whileHandling_ = [&](const std::string& button) {
    order.push_back(button + " starts");
    if (button == "feiku") {
      QTimer::singleShot(0, window_.get(), [this] { Click("bxwx"); });
      ProcessEvents();
    }
    order.push_back(button + " ends");
  };
  Click("feiku");
  EXPECT_EQ(order,
            (std::vector<std::string>{"feiku starts", "bxwx starts", "bxwx ends", "feiku ends"}));
  ASSERT_EQ(runs_.size(), 2u);
  EXPECT_EQ(runs_[1].depth, 2);
}

}  // namespace
}  // namespace pagewick
