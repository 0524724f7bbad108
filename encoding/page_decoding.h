// Page decoding: site A's answer, UTF-8 with percent escapes here and there, becomes a code
// page 936 Text.
//
// DecodePage first undoes escapes byte by byte, then converts the bytes from UTF-8:
//   - "%" and the two bytes after it (always both consumed) give one byte, 16 * d1 + d2 taken
//     modulo 256, where a digit 0-9, A-F or a-f has its value, any other byte (a "%" too)
//     counts -2 and a position past the end of the page counts 0. A zero byte is dropped.
//       "%e5%b0%8f%E8%AF%B4" -> 小说    "a%00b" -> "ab"    "100%" -> "100"    "x%5" -> "xP"
//       "%zz" -> byte DE    "%%41" -> byte E4, then "1"    "%A" at the end -> byte A0
//   - nothing else is an escape: "+" stays "+", entities stay as they are.
//   - invalid UTF-8 becomes "?" (by way of U+FFFD), as does any character that code page 936
//     lacks; the conversion never stops.
#pragma once

#include "text/bytes.h"
#include "text/text.h"

namespace pagewick {

Text DecodePage(const Text& page);

// The first stage of DecodePage alone: the bytes with every escape undone, before any
// conversion. UndoPercentEscapes("%zz") == DE, UndoPercentEscapes("%%41") == E4 31.
ByteBuffer UndoPercentEscapes(const Text& page);

// UTF-8 data in code page 936. When the last byte of data is below 0x7F (or data is empty),
// one zero byte is appended to data first. The result ends before the first zero byte.
Text Utf8ToAnsi(ByteBuffer& data);

// Little-endian UTF-16 data in code page 936, up to the first zero unit or over all whole
// units (an odd last byte is left out). Never reads past the data.
Text Utf16ToAnsi(const ByteBuffer& data);

}  // namespace pagewick
