#include "app/prompts.h"

#include <QApplication>
#include <QEventLoop>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTimer>
#include <memory>
#include <utility>
#include <vector>

#include "app/main_window.h"
#include "sites/desk.h"
#include "text/gbk.h"

namespace pagewick {
namespace {

std::optional<int32_t> nextAnswer;
std::function<void(QMessageBox&)> nextWhileShown;
std::optional<MessageRecord> lastMessage;

std::vector<QMessageBox::StandardButton> ButtonsFor(int32_t flags) {
  switch (flags & 0xF) {
    case 1:
      return {QMessageBox::Ok, QMessageBox::Cancel};
    case 2:
      return {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore};
    case 3:
      return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
    case 4:
      return {QMessageBox::Yes, QMessageBox::No};
    case 5:
      return {QMessageBox::Retry, QMessageBox::Cancel};
    default:
      return {QMessageBox::Ok};
  }
}

QMessageBox::Icon IconFor(int32_t flags) {
  switch (flags & 0xF0) {
    case 0x10:
      return QMessageBox::Critical;
    case 0x20:
      return QMessageBox::Question;
    case 0x30:
      return QMessageBox::Warning;
    case 0x40:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

int32_t ResultFor(QMessageBox::StandardButton button) {
  switch (button) {
    case QMessageBox::Ok:
      return 0;
    case QMessageBox::Cancel:
      return 1;
    case QMessageBox::Abort:
      return 2;
    case QMessageBox::Retry:
      return 3;
    case QMessageBox::Ignore:
      return 4;
    case QMessageBox::Yes:
      return 5;
    case QMessageBox::No:
      return 6;
    default:
      return 0;
  }
}

}  // namespace

int32_t ShowMessage(const Text& message, int32_t flags, const std::optional<Text>& title) {
  const Text& shownTitle = title ? *title : "信息："_gbk;
  lastMessage = MessageRecord{message, shownTitle, flags};
  if (nextAnswer) {
    return std::exchange(nextAnswer, std::nullopt).value();
  }
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return 0;

  QMessageBox box;  // no owner window
  box.setWindowTitle(ToQString(shownTitle));
  box.setTextFormat(Qt::PlainText);
  box.setText(ToQString(message));
  box.setIcon(IconFor(flags));
  const std::vector<QMessageBox::StandardButton> buttons = ButtonsFor(flags);
  for (QMessageBox::StandardButton button : buttons) box.addButton(button);
  const size_t defaultIndex = (flags >> 8) & 0xF;
  box.setDefaultButton(buttons[defaultIndex < buttons.size() ? defaultIndex : 0]);

  const bool systemModal = (flags & kMessageSystemModal) != 0;
  if (systemModal) {
    box.setWindowModality(Qt::NonModal);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
  } else {
    box.setWindowModality(Qt::ApplicationModal);
  }

  QEventLoop waiting;
  QObject::connect(&box, &QMessageBox::finished, &waiting, &QEventLoop::quit);
  box.show();
  box.raise();
  box.activateWindow();
  if (nextWhileShown) {
    QTimer::singleShot(
        0, &box, [&box, whileShown = std::exchange(nextWhileShown, nullptr)] { whileShown(box); });
  }
  if (box.isVisible()) waiting.exec();
  return ResultFor(box.standardButton(box.clickedButton()));
}

QTranslator* InstallQtTranslations(const QLocale& locale) {
  auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
  if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    return nullptr;
  }
  QCoreApplication::installTranslator(translator.get());
  return translator.release();
}

void AnswerNextMessage(int32_t result) { nextAnswer = result; }

void OnNextMessageShown(std::function<void(QMessageBox&)> whileShown) {
  nextWhileShown = std::move(whileShown);
}

std::optional<MessageRecord> LastMessage() { return lastMessage; }

}  // namespace pagewick
