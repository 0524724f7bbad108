#include "text/text.h"

#include <gtest/gtest.h>

#include <string>

#include "text/gbk.h"

namespace pagewick {
namespace {

TEST(TextValue, BuildingStopsAtTheFirstZeroByte) {
  EXPECT_EQ(Text(std::string_view("ab\0cd", 5)).view(), "ab");
  EXPECT_EQ(Text(std::string("\0x", 2)), Text());
  EXPECT_EQ(TextLength(Text()), 0);
  EXPECT_EQ(TextLength(nullptr), 0);
}

TEST(TextCompare, BytesCompareUnsignedAndShorterSortsFirst) {
  struct Case {
    const char* a;
    const char* b;
    int32_t expected;
  } cases[] = {
      {"", "", 0}, {"", "a", -1}, {"ab", "a", 1}, {"\xB0", "a", 1}, {"abc", "abd", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
    EXPECT_EQ(TextCompare(c.a, c.b), c.expected);
  }
  EXPECT_EQ(TextCompare(Text(), ""), 0);
}

TEST(TextCompareCase, FoldsAsciiAndFullWidthLettersOnly) {
  EXPECT_EQ(TextCompareCase("ABC", "abc", false), 0);
  EXPECT_NE(TextCompareCase("ABC", "abc", true), 0);
  // Full-width Ａ (A3 C1) equals full-width ａ (A3 E1) when case is ignored.
  EXPECT_EQ(TextCompareCase("Ａｂ"_gbk, "ａＢ"_gbk, false), 0);
  EXPECT_NE(TextCompareCase("Ａ"_gbk, "ａ"_gbk, true), 0);
  // The second byte of a double-byte character is never folded as a letter: B0 41 vs B0 61.
  EXPECT_NE(TextCompareCase("\xB0\x41", "\xB0\x61", false), 0);
  EXPECT_LT(TextCompareCase("ab", "abc", false), 0);
}

TEST(TextConcat, JoinsInOrderAndNoneCountsAsEmpty) {
  EXPECT_EQ(TextConcat(Text("a"), Text(), "b", std::string_view("c")), Text("abc"));
  EXPECT_TRUE(TextConcat(Text(), Text()).empty());
}

TEST(TextSlices, EdgesOfLeftRightAndMid) {
  struct Case {
    Text actual;
    const char* expected;
    const char* what;
  } cases[] = {
      {TextLeft("abc", 5), "abc", "left past the end"},
      {TextLeft("abc", 0), "", "left 0"},
      {TextLeft("abc", -1), "", "left -1"},
      {TextLeft("", 3), "", "left of empty"},
      {TextRight("abc", 2), "bc", "right 2"},
      {TextRight("abc", 9), "abc", "right past the start"},
      {TextRight("abc", 0), "", "right 0"},
      {TextMid("abcdef", 3, 2), "cd", "mid inside"},
      {TextMid("abcdef", 5, 10), "ef", "mid cut at the end"},
      {TextMid("abcdef", 7, 1), "", "mid past the end"},
      {TextMid("abcdef", 0, 2), "", "mid from 0"},
      {TextMid("abcdef", 2, 0), "", "mid count 0"},
      {TextMid("\xD6\xD0", 2, 1), "\xD0", "mid cuts a character"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.actual, Text(c.expected));
  }
}

TEST(TextFind, PositionsStartsAndEmptySought) {
  struct Case {
    const char* text;
    const char* sought;
    int32_t start;
    int32_t caseOption;
    int32_t expected;
  } cases[] = {
      {"abcabc", "c", 1, 0, 3},
      {"abcabc", "c", 4, 0, 6},
      {"abcabc", "c", 7, 0, -1},
      {"abcabc", "c", 0, 0, 3},
      {"abcabc", "c", -3, 0, 3},
      {"abc", "", 1, 0, 1},
      {"abc", "", 3, 0, 1},
      {"abc", "", 4, 0, -1},
      {"", "", 1, 0, -1},
      {"abc", "abcd", 1, 0, -1},
      {"Content-Type", "content-type", 1, 1, 1},
      {"Content-Type", "content-type", 1, 0, -1},
      {"Content-Type", "content-type", 1, 2, -1},  // only 1 ignores case
      // 中新 holds D0 D0 at byte 2, but no character starts there.
      {"\xD6\xD0\xD0\xC2", "\xD0\xD0", 1, 0, -1},
      {"\xD6\xD0\xD0\xC2", "\xD0\xC2", 1, 0, 3},
      // A double-byte character whose second byte is 'a', then 'a': found at 3, not 2.
      {"\xB0"
       "aa",
       "a", 1, 0, 3},
      {"\xB0"
       "aa",
       "A", 1, 1, 3},
      // A start inside a character begins the count of characters there.
      {"\xD6\xD0\xD0\xC2", "\xD0\xD0", 2, 0, 2},
      // A high byte as the last byte ends the search.
      {"ab\xB0", "x", 1, 0, -1},
      {"ab\xB0", "\xB0", 1, 0, 3},
      // Runs of high bytes of both parities before a hit.
      {"\xB0\xB1\xB2\xB3"
       "x",
       "x", 1, 0, 5},
      {"\xB0\xB1\xB2"
       "xx",
       "x", 1, 0, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " / " + c.sought + " from " + std::to_string(c.start));
    EXPECT_EQ(TextFind(c.text, c.sought, c.start, c.caseOption), c.expected);
  }
  EXPECT_EQ(TextFind("abcabc", "c"), 3);
}

// Slow reference: walk character by character from the offset and compare at each start.
int32_t ReferenceFind(std::string_view t, std::string_view u, int32_t start) {
  size_t at = start <= 1 ? 0 : static_cast<size_t>(start) - 1;
  if (at >= t.size()) return -1;
  if (u.empty()) return 1;
  while (at + u.size() <= t.size()) {
    if (t.substr(at, u.size()) == u) return static_cast<int32_t>(at + 1);
    at += static_cast<unsigned char>(t[at]) >= 0x80 ? 2 : 1;
  }
  return -1;
}

TEST(TextFind, AgreesWithACharacterByCharacterWalkOnMixedText) {
  // A long mixed page: ASCII markup, Chinese text and odd runs of high bytes.
  std::string page;
  const char* pieces[] = {"<td>", "\xD6\xD0\xD0\xC2", "a", "\xB0", "\xD0", "</td>", "\xC2\xD0"};
  unsigned seed = 7;
  for (int i = 0; i < 4000; ++i) {
    seed = seed * 1103515245u + 12345u;
    page += pieces[(seed >> 16) % 7];
  }
  const char* needles[] = {"\xD0\xD0",
                           "\xD0\xC2",
                           "a",
                           "</td>",
                           "\xB0"
                           "a",
                           "\xC2\xD0<"};
  for (const char* needle : needles) {
    for (int32_t start : {0, 1, 2, 3, 17, 500}) {
      SCOPED_TRACE(std::string(needle) + " from " + std::to_string(start));
      EXPECT_EQ(TextFind(Text(page), needle, start), ReferenceFind(page, needle, start));
    }
  }
}

TEST(TextReplaceAt, ClampsTheStartAndDeletesWithinTheText) {
  struct Case {
    Text actual;
    const char* expected;
  } cases[] = {
      {TextReplaceAt("abcdef", 1, 3), "def"},     {TextReplaceAt("abc", 2, 1, "XY"), "aXYc"},
      {TextReplaceAt("abc", 10, 2, "Z"), "abcZ"}, {TextReplaceAt("abc", 0, 1), "bc"},
      {TextReplaceAt("abc", 2, -1, "Z"), "aZbc"}, {TextReplaceAt("abc", 1, 3), ""},
      {TextReplaceAt("abc", 3, 99), "ab"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(c.actual, Text(c.expected));
  }
}

TEST(TextCase, LettersChangeButSecondBytesStay) {
  EXPECT_EQ(TextUpper("\xB0\x61\x61"), Text("\xB0\x61\x41"));
  EXPECT_EQ(TextLower("\xB0\x41\x41"), Text("\xB0\x41\x61"));
  EXPECT_EQ(TextUpper("Mixed-1z"), Text("MIXED-1Z"));
  EXPECT_EQ(TextLower("Mixed-1Z"), Text("mixed-1z"));
  EXPECT_TRUE(TextUpper(Text()).empty());
}

TEST(TextToNumber, ReadsTheLeadingNumberWithFullWidthForms) {
  struct Case {
    Text text;
    double expected;
  } cases[] = {
      {"80", 80},       {" 8080abc", 8080}, {"１２３"_gbk, 123},
      {"－４"_gbk, -4}, {"　７"_gbk, 7},  // ideographic space
      {"-1.5e2", -150}, {"2.5D2", 250},     {"1d-1", 0.1},
      {"3e", 3},        {"\t\n+.5x", 0.5},  {"abc", 0},
      {Text(), 0},      {"-", 0},           {"8080.9", 8080.9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.str());
    EXPECT_DOUBLE_EQ(TextToNumber(c.text), c.expected);
  }
}

TEST(TextNumbers, DecimalHexAndCharacterCodes) {
  EXPECT_EQ(NumberToText(-7), Text("-7"));
  EXPECT_EQ(NumberToText(0), Text("0"));
  EXPECT_EQ(NumberToText(INT32_MIN), Text("-2147483648"));
  struct Hex {
    int32_t value;
    const char* expected;
  } hexes[] = {{10, "A"}, {0, "0"}, {9, "9"}, {229, "E5"}, {255, "FF"}, {-1, "FFFFFFFF"}};
  for (const Hex& h : hexes) {
    SCOPED_TRACE(h.value);
    EXPECT_EQ(HexText(h.value), Text(h.expected));
  }
  EXPECT_EQ(CharCode("\xD6\xD0", 1), -42);
  EXPECT_EQ(CharCode("\xD6\xD0", 2), -48);
  EXPECT_EQ(CharCode("abc", 4), 0);
  EXPECT_EQ(CharCode("abc", 0), 0);
  EXPECT_EQ(CharCode("abc"), 97);
  EXPECT_EQ(CharCode(Text(), 1), 0);
  EXPECT_TRUE(CharFromCode(0).empty());
  EXPECT_TRUE(CharFromCode(256).empty());
  EXPECT_EQ(CharFromCode(321), Text("A"));
  EXPECT_EQ(CharFromCode(-42), Text("\xD6"));
  EXPECT_EQ(BlankText(3), Text("   "));
  EXPECT_TRUE(BlankText(0).empty());
  EXPECT_TRUE(BlankText(-2).empty());
}

}  // namespace
}  // namespace pagewick
