#include "app/window_desk.h"

#include "app/main_window.h"
#include "app/prompts.h"
#include "app/run_directory.h"

namespace pagewick {

Text WindowDesk::BookText() { return window_.BookText(); }

int32_t WindowDesk::ShowMessage(const Text& message, int32_t flags,
                                const std::optional<Text>& title) {
  return pagewick::ShowMessage(message, flags, title);
}

Text WindowDesk::RunDirectory() { return pagewick::RunDirectory(); }

}  // namespace pagewick
