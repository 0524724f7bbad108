// Code page conversions, the operating system's part of the text handling.
//
// Code page 0 is the program's ANSI code page, 936 (GBK, where the single byte 0x80 is the
// euro sign); 65001 is UTF-8. UTF-16 is held as char16_t units (little-endian when stored as
// bytes). Both calls work in two steps, as callers expect:
//   - with out == nullptr or an out size of 0 they only report the units (bytes) needed;
//   - otherwise they convert into out and report the units (bytes) written, or 0 when out is
//     too small for the whole result.
// A source length of -1 converts up to and including the first zero unit (zero byte).
// No conversion stops on bad input: an invalid or incomplete sequence becomes U+FFFD and the
// conversion goes on; a character that code page 936 lacks becomes "?".
//
// Example: MultiByteToWide(0, "\xD0\xA1", 2, nullptr, 0) == 1 (小 is one unit, U+5C0F).
#pragma once

#include <cstdint>

namespace pagewick::platform {

inline constexpr uint32_t kAnsiCodePage = 0;
inline constexpr uint32_t kUtf8CodePage = 65001;

int32_t MultiByteToWide(uint32_t codePage, const char* source, int32_t sourceBytes, char16_t* out,
                        int32_t outUnits);

int32_t WideToMultiByte(uint32_t codePage, const char16_t* source, int32_t sourceUnits, char* out,
                        int32_t outBytes);

}  // namespace pagewick::platform
