// The code page conversions on the system's own MultiByteToWideChar and WideCharToMultiByte
// from kernel32, looked up by name on first use. Flags are 0, so no conversion stops on bad
// input; code page 0 is the system's ANSI code page (936 on the systems the program serves).
#include <windows.h>

#include "platform/codepage.h"
#include "platform/windows/system_function.h"

namespace pagewick::platform {
namespace {

using MultiByteToWideCharFn = int(WINAPI*)(UINT, DWORD, LPCCH, int, LPWSTR, int);
using WideCharToMultiByteFn = int(WINAPI*)(UINT, DWORD, LPCWCH, int, LPSTR, int, LPCCH, LPBOOL);

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 units are wchar_t on Windows");

UINT SystemCodePage(uint32_t codePage) { return codePage == kUtf8CodePage ? CP_UTF8 : CP_ACP; }

}  // namespace

int32_t MultiByteToWide(uint32_t codePage, const char* source, int32_t sourceBytes, char16_t* out,
                        int32_t outUnits) {
  static const auto convert =
      SystemFunction<MultiByteToWideCharFn>("kernel32", "MultiByteToWideChar");
  if (source == nullptr || sourceBytes == 0 || sourceBytes < -1) return 0;
  if (out == nullptr || outUnits <= 0) {
    return convert(SystemCodePage(codePage), 0, source, sourceBytes, nullptr, 0);
  }
  return convert(SystemCodePage(codePage), 0, source, sourceBytes, reinterpret_cast<LPWSTR>(out),
                 outUnits);
}

int32_t WideToMultiByte(uint32_t codePage, const char16_t* source, int32_t sourceUnits, char* out,
                        int32_t outBytes) {
  static const auto convert =
      SystemFunction<WideCharToMultiByteFn>("kernel32", "WideCharToMultiByte");
  if (source == nullptr || sourceUnits == 0 || sourceUnits < -1) return 0;
  const auto* units = reinterpret_cast<LPCWCH>(source);
  if (out == nullptr || outBytes <= 0) {
    return convert(SystemCodePage(codePage), 0, units, sourceUnits, nullptr, 0, nullptr, nullptr);
  }
  return convert(SystemCodePage(codePage), 0, units, sourceUnits, out, outBytes, nullptr, nullptr);
}

}  // namespace pagewick::platform
