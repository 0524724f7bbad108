// The Windows program pointed at the demo sites, for the end-to-end test: the same start-up as
// the product, with every site host set from the command line ("127.0.0.1:PORT").
#include <windows.h>

#include "app/windows/startup.h"
#include "sites/hosts.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  const pagewick::Text host(commandLine);
  pagewick::SetHosts({host, host, host, host, host});
  return pagewick::win32::RunPagewick(instance, showCommand);
}
