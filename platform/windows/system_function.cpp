#include "platform/windows/system_function.h"

#include <windows.h>

#include <string>

namespace pagewick::platform {
namespace {

std::wstring Widen(const char* ascii) { return std::wstring(ascii, ascii + lstrlenA(ascii)); }

[[noreturn]] void LookupFailed(const char* library, const char* function) {
  // Wide texts: the code page conversions may be the very functions that are missing.
  const std::wstring message =
      L"找不到系统函数 " + Widen(function) + L"（" + Widen(library) + L"），程序无法继续运行。";
  MessageBoxW(nullptr, message.c_str(), L"Pagewick", MB_OK | MB_ICONERROR | MB_TASKMODAL);
  ExitProcess(static_cast<UINT>(-1));
}

}  // namespace

void* LookUpSystemFunction(const char* library, const char* function) {
  HMODULE module = GetModuleHandleA(library);
  if (module == nullptr) module = LoadLibraryA(library);
  if (module == nullptr) LookupFailed(library, function);
  FARPROC found = GetProcAddress(module, function);
  if (found == nullptr) LookupFailed(library, function);
  return reinterpret_cast<void*>(found);
}

}  // namespace pagewick::platform
