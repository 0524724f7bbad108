// Message boxes on the system's MessageBoxA.
//
// ShowMessage(message, flags, title) shows a box with no owner window and waits for the answer.
// The flags are the system's message-box style bits; flags without the system-modal bit 4096
// get the task-modal bit 8192 added (such a box disables every window of the program until it
// is answered), flags with it go as they are (the box stays on top and MainWindow stays usable,
// so a search can start and run to its end inside the waiting call). No title means "信息：".
// The result is the system's button identifier minus one: OK 0, Cancel 1, Abort 2, Retry 3,
// Ignore 4, Yes 5, No 6; anything else (a box that cannot be shown) gives 0.
//
//   ShowMessage("沈知秋 - 青石巷.txt"_gbk, 4100, "是否下载"_gbk) == 5 when Yes is pressed
#pragma once

#include <cstdint>
#include <optional>

#include "text/text.h"

namespace pagewick::win32 {

int32_t ShowMessage(const Text& message, int32_t flags, const std::optional<Text>& title);

// The two rules on their own: the style bits given to the system, and the result of an answer.
uint32_t MessageBoxStyle(int32_t flags);  // MessageBoxStyle(0) == 8192, (4100) == 4100
int32_t MessageResult(int systemAnswer);  // MessageResult(IDYES) == 5, (0) == 0

}  // namespace pagewick::win32
