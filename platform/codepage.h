// Code page conversions, the operating system's part of the text handling.
//
// Code page 0 is the program's ANSI code page, 936 (GBK, where the single byte 0x80 is the
// euro sign); 65001 is UTF-8. Any other code page number is taken as 0. UTF-16 is held as
// char16_t units, little-endian when stored as bytes. Both calls work in two steps, as callers
// expect:
//   - with out == nullptr or an out size of 0 (or below) they only report the units (bytes)
//     needed;
//   - otherwise they convert straight into out and report the units (bytes) written, or 0 when
//     out is too small for the whole result (out then holds a part of it).
// A source length of -1 converts up to and including the first zero unit (zero byte), which
// the caller promises is there; any other negative length, an empty source or a null source
// gives 0. A result that would not fit in 32 bits gives 0.
//
// No conversion stops on bad input:
//   - an invalid or incomplete sequence becomes one U+FFFD and the conversion goes on after
//     it. In UTF-8 a sequence is the longest start of a well-formed character (so "\xE5\xB0"
//     cut short is one U+FFFD, the overlong "\xC0\xAF" two). In code page 936 a lead byte
//     0x81..0xFE and a byte 0x40..0xFE (not 0x7F) after it are one sequence even when the
//     pair is no character; a lead byte before any other byte is a sequence by itself, so
//     "\x81" "0" gives U+FFFD "0". 0xFF is invalid; 0x80 is the euro sign U+20AC.
//   - from UTF-16, a character that code page 936 lacks becomes "?" (a surrogate pair is one
//     character); an unpaired surrogate becomes "?" in code page 936 and U+FFFD in UTF-8.
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
