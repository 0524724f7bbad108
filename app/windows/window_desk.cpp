#include "app/windows/window_desk.h"

#include "app/windows/main_window.h"
#include "app/windows/prompts.h"
#include "app/windows/run_directory.h"

namespace pagewick::win32 {

Text WindowDesk::BookText() { return window_.BookText(); }

int32_t WindowDesk::ShowMessage(const Text& message, int32_t flags,
                                const std::optional<Text>& title) {
  return win32::ShowMessage(message, flags, title);
}

Text WindowDesk::RunDirectory() { return win32::RunDirectory(); }

}  // namespace pagewick::win32
