// The desk: what the search handlers need from the window, kept behind this small interface
// so that the handlers run the same under the real window and under a scripted test desk.
#pragma once

#include <cstdint>
#include <optional>

#include "text/text.h"

namespace pagewick {

// Message flags: the low four bits choose the buttons, 4096 makes the box system-modal.
inline constexpr int32_t kMessageOk = 0;
inline constexpr int32_t kMessageSystemModal = 4096;
inline constexpr int32_t kMessageYesNoSystemModal = 4100;
// Result codes of ShowMessage.
inline constexpr int32_t kResultOk = 0;
inline constexpr int32_t kResultYes = 5;
inline constexpr int32_t kResultNo = 6;

class Desk {
 public:
  virtual ~Desk() = default;
  // What the entry box shows at this moment, as GBK; an empty box gives the empty text.
  virtual Text BookText() = 0;
  // Shows a message box and waits for the answer; no title means the default title.
  virtual int32_t ShowMessage(const Text& message, int32_t flags,
                              const std::optional<Text>& title) = 0;
  // The folder where books are saved, without a trailing separator.
  virtual Text RunDirectory() = 0;
};

// The desk the handlers use; the application sets it once at start-up, tests set their own.
void SetDesk(Desk* desk);
Desk& CurrentDesk();

}  // namespace pagewick
