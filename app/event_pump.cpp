#include "app/event_pump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>

namespace pagewick {
namespace {

// Holds back quit requests while the pump runs and queues them again when it is done.
class QuitHolder : public QObject {
 public:
  bool held = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Quit && watched == QCoreApplication::instance()) {
      held = true;
      return true;
    }
    return false;
  }
};

// A bound on the rounds, so that a source that is always ready (a zero-time timer that re-arms
// itself) cannot keep the caller here for ever.
constexpr int kMaxRounds = 64;

}  // namespace

void ProcessEvents() {
  QCoreApplication* application = QCoreApplication::instance();
  QAbstractEventDispatcher* dispatcher =
      QAbstractEventDispatcher::instance(QThread::currentThread());
  if (application == nullptr || dispatcher == nullptr) return;

  QuitHolder quitHolder;
  application->installEventFilter(&quitHolder);
  for (int round = 0; round < kMaxRounds; ++round) {
    if (!dispatcher->processEvents(QEventLoop::AllEvents)) break;
  }
  application->removeEventFilter(&quitHolder);
  if (quitHolder.held) QCoreApplication::postEvent(application, new QEvent(QEvent::Quit));
}

}  // namespace pagewick
