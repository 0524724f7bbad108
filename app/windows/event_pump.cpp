#include "app/windows/event_pump.h"

namespace pagewick::win32 {
namespace {

HWND dialogWindow = nullptr;

}  // namespace

void SetDialogWindow(HWND window) { dialogWindow = window; }

void DeliverMessage(MSG& message) {
  if (dialogWindow != nullptr && IsWindow(dialogWindow) &&
      IsDialogMessageW(dialogWindow, &message)) {
    return;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

void ProcessEvents() {
  MSG next;
  while (PeekMessageW(&next, nullptr, 0, 0, PM_NOREMOVE)) {
    if (next.message == WM_QUIT) return;
    // Take exactly the message looked at (WM_NULL has no range of its own: take any).
    const UINT first = next.message == WM_NULL ? 0 : next.message;
    MSG taken;
    if (!PeekMessageW(&taken, nullptr, first, first, PM_REMOVE)) continue;
    DeliverMessage(taken);
  }
}

}  // namespace pagewick::win32
