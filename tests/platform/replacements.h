// How the code page layer under test replaces what it cannot convert, for the tests that pin
// replacements down.
//
// The Linux layer follows rules of its own: one U+FFFD per invalid sequence, a lead byte never
// takes an ASCII byte with it, and one "?" for each character that GBK lacks. On Windows the
// conversions are the system's, and so are its replacements: a broken lead byte may become "?"
// or a private-use character and take the next byte with it, UTF-8 errors may be counted in
// other steps, and a character outside the BMP becomes one "?" per UTF-16 unit. There the exact
// replacement tests are skipped; what every platform promises (no conversion stops, the text
// after bad input comes through) is tested on the real calls all the same.
#pragma once

#include <string_view>

namespace pagewick::testing_rules {

#ifdef _WIN32
inline constexpr bool kOwnReplacements = false;
inline constexpr std::string_view kNonBmpInGbk = "??";
#else
inline constexpr bool kOwnReplacements = true;
inline constexpr std::string_view kNonBmpInGbk = "?";
#endif

}  // namespace pagewick::testing_rules

// At the top of a test that pins the layer's own replacements.
#define PAGEWICK_SKIP_UNLESS_OWN_REPLACEMENTS()                                           \
  do {                                                                                    \
    if (!::pagewick::testing_rules::kOwnReplacements)                                     \
      GTEST_SKIP() << "the system's conversions replace bad input by rules of their own"; \
  } while (0)
