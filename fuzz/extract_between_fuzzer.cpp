// ExtractBetween for any source, markers and start: the value lies in the source right after
// the first opening marker at or after the start, the closing marker follows it at once, and
// the value holds no earlier closing marker.
// Input: start selector, opening marker, zero byte, closing marker, zero byte, source.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "text/extract.h"
#include "text/text.h"

using pagewick::Text;
using pagewick::fuzz::Input;
using pagewick::fuzz::SlowFind;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input input(data, size);
  const int32_t start = input.TakePosition();
  const Text opening(input.TakeText());
  const Text closing(input.TakeText());
  const Text source(input.TakeText());
  const std::string_view s = source.view();

  int32_t out = 12345;
  const Text value = pagewick::ExtractBetween(source, opening, closing, start, &out);
  FUZZ_CHECK(pagewick::ExtractBetween(source, opening, closing, start) == value);

  const int32_t p = SlowFind(s, opening.view(), start, 0);
  if (out == -1) {
    FUZZ_CHECK(value.empty());
    // A failure means a missing marker: no opening, or no closing after it.
    FUZZ_CHECK(p == -1 || SlowFind(s, closing.view(), p + opening.size(), 0) == -1);
    return 0;
  }

  // The out position is just after the first opening marker at or after the start.
  FUZZ_CHECK(p != -1 && out == p + opening.size());
  FUZZ_CHECK(s.substr(static_cast<size_t>(p - 1), opening.view().size()) == opening.view());
  // The value is the bytes that follow it ...
  const size_t q = static_cast<size_t>(out - 1);
  FUZZ_CHECK(q + value.view().size() <= s.size());
  FUZZ_CHECK(s.substr(q, value.view().size()) == value.view());
  if (closing.empty()) {
    FUZZ_CHECK(value.empty());
    return 0;
  }
  // ... up to the closing marker, which follows at once ...
  FUZZ_CHECK(s.substr(q + value.view().size(), closing.view().size()) == closing.view());
  // ... and which is its first occurrence after the opening marker.
  const std::string valueAndClosing = value.str() + closing.str();
  FUZZ_CHECK(SlowFind(valueAndClosing, closing.view(), 1, 0) == value.size() + 1);
  FUZZ_CHECK(SlowFind(s, closing.view(), out, 0) == out + value.size());
  return 0;
}
