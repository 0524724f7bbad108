#include "app/windows/startup.h"

#include "app/windows/event_pump.h"
#include "app/windows/main_window.h"
#include "app/windows/prompts.h"
#include "app/windows/run_directory.h"
#include "app/windows/window_desk.h"
#include "net/event_pump.h"
#include "sites/handlers.h"
#include "text/gbk.h"

namespace pagewick::win32 {

int32_t StartupRoutine() { return 0; }

void ExitHook() {
  if (!CurrentBookInfo.empty()) CurrentBookInfo = Text();
  if (!CurrentDownloadUrl.empty()) CurrentDownloadUrl = Text();
}

int RunPagewick(HINSTANCE instance, int showCommand) {
  FixRunDirectory();
  StartupRoutine();
  MainWindow window;
  WindowDesk desk(window);
  SetDesk(&desk);
  if (!window.Create(instance, showCommand)) {
    ShowMessage("无法创建程序窗口。"_gbk, MB_ICONERROR, std::nullopt);
    return 1;
  }
  SetDialogWindow(window.handle());
  SetEventPump(&ProcessEvents);  // the request routine lets window events run between reads
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DeliverMessage(message);
  SetEventPump(nullptr);
  SetDialogWindow(nullptr);
  ExitHook();
  return 0;
}

}  // namespace pagewick::win32
