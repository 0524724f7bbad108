// Safe file names and browser-style form encoding for the search handlers.
#pragma once

#include "text/text.h"

namespace pagewick {

// The GBK file name stem + extension, made safe to create inside the run directory: path
// separators ("/" and "\"), and control characters become "_" (on Windows also < > : " | ? *,
// trailing dots and blanks, and a "_" goes before a device name such as CON, NUL, COM1 or LPT1),
// so the name can never reach another folder; the stem is shortened at a character boundary
// until the whole name fits the file system's 255 bytes once it is UTF-8 on disk. Double-byte
// characters (a lead byte 0x81..0xFE, then 0x40..0xFE but not 0x7F) are stepped over whole: a
// second byte of 0x5C is not a backslash. Any other byte of 0x80 or above stands alone, so the
// "/" in "\xB0/" is still a separator.
//   SafeFileName("../../etc/passwd - x", ".txt") == ".._.._etc_passwd - x.txt"
Text SafeFileName(const Text& stem, const Text& extension);

// A GBK value percent-encoded as a browser submits a GBK form: a blank as "+", letters, digits
// and "-_.*" as they are, every other byte as %XX with capital hex digits.
//   EncodeFormValue("a b&c") == "a+b%26c",  EncodeFormValue("小") == "%D0%A1"
Text EncodeFormValue(const Text& value);

}  // namespace pagewick
