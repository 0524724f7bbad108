// Message boxes: ShowMessage puts a box in front of the reader and returns which button was
// pressed.
//
// Flags: the low four bits choose the buttons (0 OK; 1 OK, Cancel; 2 Abort, Retry, Ignore;
// 3 Yes, No, Cancel; 4 Yes, No; 5 Retry, Cancel; anything else OK); 16, 32, 48 and 64 choose the
// stop, question, warning and information icon; 256, 512 and 768 make the second, third or
// fourth button the default instead of the first. 4096 (system-modal) shows a box that stays on
// top but leaves the program's windows usable while it waits, so a search can start meanwhile
// and run to its end inside the waiting call; without 4096 the box blocks input to every window
// of the program until it is answered.
//
// Results: OK 0, Cancel 1, Abort 2, Retry 3, Ignore 4, Yes 5, No 6; a box closed any other way,
// or one that cannot be shown, gives 0.
//
//   ShowMessage("是否下载"_gbk, 4100, "是否下载"_gbk) == 5 when the reader presses Yes
//   ShowMessage(Text(), 0)  shows an empty message titled "信息：" and returns 0
//
// The message is shown as plain text, never as markup. The box has no owner window.
#pragma once

#include <QTranslator>
#include <cstdint>
#include <functional>
#include <optional>

#include "text/text.h"

class QLocale;
class QMessageBox;

namespace pagewick {

int32_t ShowMessage(const Text& message, int32_t flags,
                    const std::optional<Text>& title = std::nullopt);

// Loads Qt's own translations for the locale (qtbase_<locale>.qm from Qt's translations folder)
// so the boxes' buttons speak the reader's language. Returns the installed translator, owned by
// the application, or nullptr when there is none for the locale.
QTranslator* InstallQtTranslations(const QLocale& locale);

// Test hooks, each for the next box only.
// The next box is not shown: ShowMessage records it and returns result at once.
void AnswerNextMessage(int32_t result);
// The next box is shown, and once it waits for its answer, whileShown runs with it.
void OnNextMessageShown(std::function<void(QMessageBox&)> whileShown);

// The last box asked for, shown or answered by AnswerNextMessage.
struct MessageRecord {
  Text message;
  Text title;
  int32_t flags = 0;
};
std::optional<MessageRecord> LastMessage();

}  // namespace pagewick
