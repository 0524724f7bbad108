// TextFind against the step-by-step reference, for any text, sought text, start and case option.
// Input: start selector, case selector, sought text, zero byte, text.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "text/text.h"

using pagewick::fuzz::Input;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input input(data, size);
  const int32_t start = input.TakePosition();
  static constexpr int32_t kCaseOptions[4] = {0, 1, 2, -1};  // only 1 ignores case
  const int32_t caseOption = kCaseOptions[input.TakeByte() % 4];
  const pagewick::Text sought(input.TakeText());
  const pagewick::Text text(input.TakeText());

  const int32_t found = pagewick::TextFind(text, sought, start, caseOption);
  FUZZ_CHECK(found == pagewick::fuzz::SlowFind(text.view(), sought.view(), start, caseOption));
  if (found != -1) {
    FUZZ_CHECK(found >= 1 && found <= text.size());
    // The match lies wholly in the text.
    FUZZ_CHECK(static_cast<int64_t>(found) - 1 + sought.size() <= text.size());
  }
  return 0;
}
