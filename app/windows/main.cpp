// The Windows program: WinMain hands over to RunPagewick (startup.h).
#include <windows.h>

#include "app/windows/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  return pagewick::win32::RunPagewick(instance, showCommand);
}
