// The message loop's one step and the event pump, on PeekMessage.
//
// DeliverMessage hands one message on exactly as the main loop does: the dialog keyboard
// handling of MainWindow first (Tab moves the focus in creation order), then key translation
// and dispatch. The loop takes messages in their Unicode form, so typed Chinese characters
// reach the (ANSI) edit box whole, however they were posted; the box still holds GBK.
//
// ProcessEvents looks at the thread's queue without removing anything; when it is empty, or the
// next message is WM_QUIT, it returns, leaving WM_QUIT queued for the main loop. Otherwise it
// takes that message, delivers it (which may run any handler of the program, a second search
// included) and looks again. It never waits for a message that has not yet arrived.
#pragma once

#include <windows.h>

namespace pagewick::win32 {

void DeliverMessage(MSG& message);
void ProcessEvents();

// The window whose dialog keyboard handling DeliverMessage applies; none at first.
void SetDialogWindow(HWND window);

}  // namespace pagewick::win32
