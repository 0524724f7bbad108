// The desk the search handlers use in the Windows program: Book's text from MainWindow, the
// message boxes of prompts.h and the run directory fixed at start-up.
#pragma once

#include "sites/desk.h"

namespace pagewick::win32 {

class MainWindow;

class WindowDesk : public Desk {
 public:
  explicit WindowDesk(const MainWindow& window) : window_(window) {}
  Text BookText() override;
  int32_t ShowMessage(const Text& message, int32_t flags,
                      const std::optional<Text>& title) override;
  Text RunDirectory() override;

 private:
  const MainWindow& window_;
};

}  // namespace pagewick::win32
