#include "text/extract.h"

#include <gtest/gtest.h>

#include <string>

namespace pagewick {
namespace {

constexpr int32_t kLeftOut = INT32_MIN;  // marks a start position that the call leaves out

TEST(ExtractBetween, TableOfMarkersAndStarts) {
  const Text s = "x<b>Name</b>y<b>Other</b>";
  struct Case {
    Text source;
    const char* opening;
    const char* closing;
    int32_t start;
    const char* expected;
    int32_t out;
  } cases[] = {
      {s, "<b>", "</b>", kLeftOut, "Name", 5},
      {s, "<b>", "</b>", 6, "Other", 17},
      {s, "<b>", "</b>", 0, "Name", 5},
      {s, "<b>", "</b>", -1, "Name", 5},
      {s, "<b>", "</b>", 17, "", -1},
      {s, "<B>", "</b>", kLeftOut, "", -1},
      {s, "<i>", "</b>", kLeftOut, "", -1},
      {s, "<b>", "</i>", kLeftOut, "", -1},
      {s, "", "</b>", kLeftOut, "x<b>Name", 1},
      {s, "", "</b>", 30, "", -1},
      {"<b></b>", "<b>", "</b>", kLeftOut, "", 4},
      {"ab<b>", "<b>", "</b>", kLeftOut, "", -1},
      {"", "<b>", "</b>", kLeftOut, "", -1},
      // An empty closing marker: found at 1, never after the opening, so nothing between.
      {"<b>x", "<b>", "", kLeftOut, "", 4},
      {"ab<b>", "<b>", "", kLeftOut, "", -1},
      // A value holding the closing marker is cut at its first occurrence.
      {"<b>a</b>b</b>", "<b>", "</b>", kLeftOut, "a", 4},
      // A closing marker only before the opening one is not found.
      {"</b><b>x", "<b>", "</b>", kLeftOut, "", -1},
      // Only the first opening counts, even when a later one would close.
      {"<b>x<b>y</b>", "<b>", "</b>", kLeftOut, "x<b>y", 4},
      // A marker straddling a double-byte character (B0 61) is not found inside it.
      {"\xB0"
       "a=1;a=2;",
       "a=", ";", kLeftOut, "2", 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source.str() + " " + c.opening + " " + c.closing + " from " +
                 std::to_string(c.start));
    int32_t out = 12345;
    const Text value = c.start == kLeftOut
                           ? ExtractBetween(c.source, c.opening, c.closing, 0, &out)
                           : ExtractBetween(c.source, c.opening, c.closing, c.start, &out);
    EXPECT_EQ(value, Text(c.expected));
    EXPECT_EQ(out, c.out);
  }
}

TEST(ExtractBetween, LeftOutOutPositionWritesNothingAndStartDefaultsToFirstByte) {
  EXPECT_EQ(ExtractBetween("x<b>Name</b>", "<b>", "</b>"), Text("Name"));
}

TEST(ExtractBetween, FindsAValueNearTheEndOfALongPage) {
  std::string page;
  for (int i = 0; i < 20000; ++i) page += "<td>\xD6\xD0\xCE\xC4</td>";
  page += "<b>end</b>";
  EXPECT_EQ(ExtractBetween(Text(page), "<b>", "</b>"), Text("end"));
}

}  // namespace
}  // namespace pagewick
