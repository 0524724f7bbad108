// System functions looked up by name on their first use and kept for the run.
//
//   using ReadFn = BOOL(WINAPI*)(HINTERNET, LPVOID, DWORD, LPDWORD);
//   static const auto read = SystemFunction<ReadFn>("wininet.dll", "InternetReadFile");
//
// The library is loaded (and never unloaded) and the function found with GetProcAddress. When
// either cannot be found, the call does not return: an error box with the error icon names the
// library and the function, and the program ends with exit code -1.
#pragma once

namespace pagewick::platform {

// The untyped lookup behind SystemFunction.
void* LookUpSystemFunction(const char* library, const char* function);

template <typename Function>
Function SystemFunction(const char* library, const char* function) {
  return reinterpret_cast<Function>(LookUpSystemFunction(library, function));
}

}  // namespace pagewick::platform
