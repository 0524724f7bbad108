#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "tests/platform/replacements.h"

namespace pagewick::platform {
namespace {

// Sizing call, then the converting call into a buffer of exactly that size.
std::u16string ToWide(uint32_t codePage, std::string_view bytes) {
  const auto length = static_cast<int32_t>(bytes.size());
  const int32_t units = MultiByteToWide(codePage, bytes.data(), length, nullptr, 0);
  std::u16string out(static_cast<size_t>(units), u'\0');
  if (units > 0) {
    EXPECT_EQ(MultiByteToWide(codePage, bytes.data(), length, out.data(), units), units);
  }
  return out;
}

std::string FromWide(uint32_t codePage, std::u16string_view units) {
  const auto length = static_cast<int32_t>(units.size());
  const int32_t bytes = WideToMultiByte(codePage, units.data(), length, nullptr, 0);
  std::string out(static_cast<size_t>(bytes), '\0');
  if (bytes > 0) {
    EXPECT_EQ(WideToMultiByte(codePage, units.data(), length, out.data(), bytes), bytes);
  }
  return out;
}

TEST(Codepage, SizingThenConverting) {
  EXPECT_EQ(ToWide(kAnsiCodePage, "\xD0\xA1\xCB\xB5"), u"小说");
  EXPECT_EQ(ToWide(kUtf8CodePage, "\xE5\xB0\x8F"), u"小");
  EXPECT_EQ(ToWide(kAnsiCodePage, "\x80"), u"€");
  char out[8] = {};
  EXPECT_EQ(WideToMultiByte(kAnsiCodePage, u"小说", 2, nullptr, 0), 4);
  EXPECT_EQ(WideToMultiByte(kAnsiCodePage, u"小说", 2, out, 3), 0);   // too small
  EXPECT_EQ(WideToMultiByte(kAnsiCodePage, u"小说", -1, out, 8), 5);  // with the zero unit
  EXPECT_STREQ(out, "\xD0\xA1\xCB\xB5");
}

TEST(Codepage, CountsAndEmptyInput) {
  char16_t wide[4] = {u'x', u'x', u'x', u'x'};
  EXPECT_EQ(MultiByteToWide(kAnsiCodePage, "ab", -1, nullptr, 0), 3);  // the zero byte counts
  EXPECT_EQ(MultiByteToWide(kAnsiCodePage, "ab", -1, wide, 4), 3);
  EXPECT_EQ(std::u16string_view(wide, 4), std::u16string_view(u"ab\0x", 4));
  EXPECT_EQ(MultiByteToWide(kAnsiCodePage, "ab", 2, wide, 1), 0);  // too small
  EXPECT_EQ(MultiByteToWide(kAnsiCodePage, "ab", 0, nullptr, 0), 0);
  EXPECT_EQ(MultiByteToWide(kAnsiCodePage, "ab", -2, nullptr, 0), 0);
  EXPECT_EQ(MultiByteToWide(kUtf8CodePage, nullptr, 3, nullptr, 0), 0);
  EXPECT_EQ(WideToMultiByte(kUtf8CodePage, u"ab", 0, nullptr, 0), 0);
  EXPECT_EQ(WideToMultiByte(kUtf8CodePage, u"ab", -7, nullptr, 0), 0);
  EXPECT_EQ(WideToMultiByte(kUtf8CodePage, u"a\0b", -1, nullptr, 0), 2);  // stops at the zero
  EXPECT_EQ(WideToMultiByte(kUtf8CodePage, u"a\0b", 3, nullptr, 0), 3);   // zero inside
}

// Every double-byte character of code page 936 comes back unchanged from UTF-16.
TEST(Codepage, EveryDoubleByteCharacterRoundTrips) {
  int characters = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      char16_t unit = 0;
      ASSERT_EQ(MultiByteToWide(kAnsiCodePage, pair, 2, nullptr, 0), 1);
      ASSERT_EQ(MultiByteToWide(kAnsiCodePage, pair, 2, &unit, 1), 1);
      if (unit == 0xFFFD) continue;  // no character
      ++characters;
      char back[2] = {};
      ASSERT_EQ(WideToMultiByte(kAnsiCodePage, &unit, 1, back, 2), 2)
          << std::hex << lead << " " << trail;
      ASSERT_EQ(std::string_view(back, 2), std::string_view(pair, 2))
          << std::hex << lead << " " << trail;
    }
  }
  EXPECT_GT(characters, 21000);  // GBK holds 21,886 codes, some of them user-defined
}

TEST(Codepage, BadBytesBecomeOneReplacementEachAndTheConversionGoesOn) {
  PAGEWICK_SKIP_UNLESS_OWN_REPLACEMENTS();
  struct Case {
    const char* name;
    uint32_t codePage;
    std::string_view bytes;
    std::u16string_view wide;
  };
  const Case cases[] = {
      {"lone lead byte at the end", kAnsiCodePage, "a\x81", u"a\uFFFD"},
      {"lead byte before an ASCII byte", kAnsiCodePage,
       "\x81"
       "0a",
       u"\uFFFD"
       "0a"},
      {"lead byte before 0x7F", kAnsiCodePage, "\x81\x7F", u"\uFFFD\x7F"},
      {"lead byte before a zero byte", kAnsiCodePage, std::string_view("\x81\0b", 3),
       std::u16string_view(u"\uFFFD\0b", 3)},
      {"pair that is no character keeps step", kAnsiCodePage, "\xAA\xA1\xD0\xA1", u"\uFFFD小"},
      {"0xFF", kAnsiCodePage,
       "\xFF"
       "a",
       u"\uFFFD"
       "a"},
      {"0x80 is the euro sign", kAnsiCodePage,
       "\x80"
       "1",
       u"€1"},
      {"UTF-8 cut short at the end", kUtf8CodePage, "a\xE5\xB0", u"a\uFFFD"},
      {"UTF-8 cut short before ASCII", kUtf8CodePage,
       "\xE5\xB0"
       "b",
       u"\uFFFD"
       "b"},
      {"UTF-8 four bytes cut short", kUtf8CodePage,
       "\xF0\x9F\x98"
       "c",
       u"\uFFFD"
       "c"},
      {"overlong two bytes", kUtf8CodePage,
       "\xC0\xAF"
       "b",
       u"\uFFFD\uFFFD"
       "b"},
      {"overlong three bytes", kUtf8CodePage, "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
      {"encoded surrogate", kUtf8CodePage, "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"above U+10FFFF", kUtf8CodePage, "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"lone continuation byte", kUtf8CodePage,
       "\x80"
       "a",
       u"\uFFFD"
       "a"},
      {"GBK bytes read as UTF-8", kUtf8CodePage, "\xC4\xE3", u"\uFFFD\uFFFD"},
      {"outside the BMP", kUtf8CodePage, "\xF0\x9F\x98\x80", u"\U0001F600"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ToWide(c.codePage, c.bytes), c.wide);
  }
}

TEST(Codepage, UnpairedSurrogatesAndMissingCharacters) {
  PAGEWICK_SKIP_UNLESS_OWN_REPLACEMENTS();
  struct Case {
    const char* name;
    std::u16string_view wide;
    std::string_view ansi;
    std::string_view utf8;
  };
  const char16_t high[] = {u'a', 0xD800, u'b'};
  const char16_t low[] = {u'a', 0xDC00, u'b'};
  const char16_t highAtEnd[] = {u'a', 0xD83D};
  const char16_t twoHighs[] = {0xD83D, 0xD83D, 0xDE00};
  const Case cases[] = {
      {"unpaired high surrogate",
       {high, 3},
       "a?b",
       "a\xEF\xBF\xBD"
       "b"},
      {"unpaired low surrogate",
       {low, 3},
       "a?b",
       "a\xEF\xBF\xBD"
       "b"},
      {"high surrogate at the end", {highAtEnd, 2}, "a?", "a\xEF\xBF\xBD"},
      {"high surrogate before a pair", {twoHighs, 3}, "??", "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
      {"character outside the BMP", u"\U0001F600x", "?x", "\xF0\x9F\x98\x80x"},
      {"character that 936 lacks", u"\uD55Cx", "?x", "\xED\x95\x9Cx"},
      {"replacement character", u"\uFFFD", "?", "\xEF\xBF\xBD"},
      {"euro sign", u"€", "\x80", "\xE2\x82\xAC"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FromWide(kAnsiCodePage, c.wide), c.ansi);
    EXPECT_EQ(FromWide(kUtf8CodePage, c.wide), c.utf8);
  }
}

// Long input with bad pieces all along: the sizing call works through its scratch area in
// steps, and both calls must agree with each other and keep every replacement in its place.
TEST(Codepage, LongInputWithBadPiecesEverywhere) {
  std::u16string wide;
  std::string ansi;
  for (int i = 0; i < 20000; ++i) {
    switch (i % 4) {
      case 0:
        wide += u"小";
        ansi += "\xD0\xA1";
        break;
      case 1:
        wide += u"\U0001F600";
        ansi += testing_rules::kNonBmpInGbk;
        break;
      case 2:
        wide += static_cast<char16_t>(0xDC00);
        ansi += "?";
        break;
      default:
        wide += u"a";
        ansi += "a";
    }
  }
  EXPECT_EQ(FromWide(kAnsiCodePage, wide), ansi);

  std::string bytes;
  std::u16string expected;
  for (int i = 0; i < 20000; ++i) {
    bytes += i % 2 ? "\xE5\xB0\x8F" : "\xE5\xB0";  // whole, then cut short
    expected += i % 2 ? u"小" : u"\uFFFD";
  }
  EXPECT_EQ(ToWide(kUtf8CodePage, bytes), expected);
}

// Long clean input is handed to iconv in large slices; characters that lie across the end of a
// slice must come out whole, wherever it falls.
TEST(Codepage, CharactersAcrossLongInputStayWhole) {
  for (int shift = 0; shift < 4; ++shift) {
    SCOPED_TRACE(shift);
    std::string utf8(static_cast<size_t>(shift), 'a');
    std::u16string wide(static_cast<size_t>(shift), u'a');
    std::string ansi(static_cast<size_t>(shift), 'a');
    std::u16string ansiWide(static_cast<size_t>(shift), u'a');
    for (int i = 0; i < 12000; ++i) {
      utf8 += "\xE5\xB0\x8F\xF0\x9F\x98\x80";
      wide += u"小\U0001F600";
      ansi += "\xD0\xA1";
      ansi += testing_rules::kNonBmpInGbk;
      ansiWide += testing_rules::kNonBmpInGbk.size() == 1 ? u"小?" : u"小??";
    }
    EXPECT_EQ(ToWide(kUtf8CodePage, utf8), wide);
    EXPECT_EQ(FromWide(kUtf8CodePage, wide), utf8);
    EXPECT_EQ(FromWide(kAnsiCodePage, wide), ansi);
    EXPECT_EQ(ToWide(kAnsiCodePage, ansi), ansiWide);
  }
}

}  // namespace
}  // namespace pagewick::platform
