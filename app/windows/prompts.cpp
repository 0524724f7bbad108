#include "app/windows/prompts.h"

#include <windows.h>

#include "text/gbk.h"

namespace pagewick::win32 {

uint32_t MessageBoxStyle(int32_t flags) {
  auto style = static_cast<uint32_t>(flags);
  if ((style & MB_SYSTEMMODAL) == 0) style |= MB_TASKMODAL;
  return style;
}

int32_t MessageResult(int systemAnswer) {
  return systemAnswer >= IDOK && systemAnswer <= IDNO ? systemAnswer - 1 : 0;
}

int32_t ShowMessage(const Text& message, int32_t flags, const std::optional<Text>& title) {
  const Text& caption = title ? *title : "信息："_gbk;
  return MessageResult(
      MessageBoxA(nullptr, message.c_str(), caption.c_str(), MessageBoxStyle(flags)));
}

}  // namespace pagewick::win32
