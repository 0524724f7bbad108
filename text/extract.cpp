#include "text/extract.h"

namespace pagewick {

Text ExtractBetween(const Text& source, const Text& opening, const Text& closing, int32_t start,
                    int32_t* outPosition) {
  auto fail = [outPosition] {
    if (outPosition != nullptr) *outPosition = -1;
    return Text();
  };
  const int32_t found = TextFind(source, opening, start);
  if (found == -1) return fail();
  const int32_t valueStart = found + TextLength(opening);
  const int32_t closingAt = TextFind(source, closing, valueStart);
  if (closingAt == -1) return fail();
  if (outPosition != nullptr) *outPosition = valueStart;
  return TextMid(source, valueStart, closingAt - valueStart);
}

}  // namespace pagewick
