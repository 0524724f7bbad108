// Search-key encoding: a name typed in code page 936 becomes a percent-encoded UTF-8 key for
// site A's search address ("SearchKey=" + key + "&c=1").
//
// EncodeSearchKey walks the name byte by byte:
//   - a byte 0x01..0x7F in the escaped set becomes "%" and two capital hexadecimal digits; the
//     set is the 35 characters ` ~ ! @ # $ % ^ & * ( ) - _ = + [ { ] } ; : ' \ | , < . > / ?
//     and the double quote, carriage return, line feed and tab. Every other such byte (letters,
//     digits, the space, other control characters) is copied.
//   - a byte of 0x80 or above is taken together with the byte after it (whatever that is),
//     the pair converted to UTF-8 and every byte of that escaped:
//       EncodeSearchKey("小说2") == "%E5%B0%8F%E8%AF%B42"
//     A pair that is no character converts to U+FFFD ("%EF%BF%BD"), its ASCII bytes escaped
//     too; a lone high byte at the end is converted by itself.
// The key holds only bytes 0x01..0x7F, and every "%" in it begins a two-digit escape.
#pragma once

#include "text/bytes.h"
#include "text/text.h"

namespace pagewick {

Text EncodeSearchKey(const Text& name);

// The UTF-8 form of text followed by exactly one zero byte; the empty text gives 00.
//   AnsiToUtf8("小说") == E5 B0 8F E8 AF B4 00
ByteBuffer AnsiToUtf8(const Text& text);

// The UTF-16 units of text, little-endian, followed by one zero unit (2n + 2 bytes).
//   AnsiToUtf16("小说") == 0F 5C F4 8B 00 00
ByteBuffer AnsiToUtf16(const Text& text);

}  // namespace pagewick
