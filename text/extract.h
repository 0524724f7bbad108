// ExtractBetween: the one parsing device used on every page.
//
// Returns the bytes between the first `opening` at or after `start` (below 1 means the first
// byte) and the next `closing` after it, or the empty text when either is missing. Markers are
// found by TextFind with exact bytes, so a marker never matches from the second byte of a
// double-byte character. Only the first opening marker counts; no later one is tried.
//
// outPosition, when given, receives the position of the first byte after the opening marker
// on success and -1 on failure. With S = "x<b>Name</b>y<b>Other</b>":
//   ExtractBetween(S, "<b>", "</b>")      == "Name"   (out 5)
//   ExtractBetween(S, "<b>", "</b>", 6)   == "Other"  (out 17)
//   ExtractBetween(S, "", "</b>")         == "x<b>Name" (out 1)
//   ExtractBetween("<b></b>", "<b>", "</b>") == ""    (out 4: found, nothing between)
#pragma once

#include <cstdint>

#include "text/text.h"

namespace pagewick {

Text ExtractBetween(const Text& source, const Text& opening, const Text& closing, int32_t start = 0,
                    int32_t* outPosition = nullptr);

}  // namespace pagewick
