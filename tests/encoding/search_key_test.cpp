#include "encoding/search_key.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <set>
#include <string>

#include "encoding/page_decoding.h"
#include "tests/platform/replacements.h"
#include "text/gbk.h"

namespace pagewick {
namespace {

TEST(EncodeSearchKey, Names) {
  struct Case {
    const char* name;
    Text input;
    Text key;
  };
  const Case cases[] = {
      {"letters and digits", "abc123", "abc123"},
      {"letters keep their case", "AbC", "AbC"},
      {"space copied", "a b", "a b"},
      {"ampersand", "A&B", "A%26B"},
      {"percent", "50%", "50%25"},
      {"punctuation", "x.y-z_w~", "x%2Ey%2Dz%5Fw%7E"},
      {"double quote", "\"", "%22"},
      {"tab, line feed, carriage return", "\t\n\r", "%09%0A%0D"},
      {"other control characters copied", "\x01\x1F\x7F", "\x01\x1F\x7F"},
      {"two Chinese characters", "小说"_gbk, "%E5%B0%8F%E8%AF%B4"},
      {"Chinese then a digit", TextConcat("小说"_gbk, "2"), "%E5%B0%8F%E8%AF%B42"},
      {"euro sign", "\x80", "%E2%82%AC"},
      {"empty", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(EncodeSearchKey(c.input), c.key);
  }
}

// Each of the 35 characters of the escaped set becomes "%XX"; every other byte 01..7F stays.
TEST(EncodeSearchKey, ExactlyTheThirtyFiveEscapedCharacters) {
  const std::set<int> escaped = {0x60, 0x7E, 0x21, 0x40, 0x23, 0x24, 0x25, 0x5E, 0x26,
                                 0x2A, 0x28, 0x29, 0x2D, 0x5F, 0x3D, 0x2B, 0x5B, 0x7B,
                                 0x5D, 0x7D, 0x3B, 0x3A, 0x27, 0x5C, 0x7C, 0x2C, 0x3C,
                                 0x2E, 0x3E, 0x2F, 0x3F, 0x22, 0x0D, 0x0A, 0x09};
  ASSERT_EQ(escaped.size(), 35u);
  for (int byte = 0x01; byte <= 0x7F; ++byte) {
    SCOPED_TRACE(byte);
    const Text character = CharFromCode(byte);
    char escape[4];
    std::snprintf(escape, sizeof escape, "%%%02X", byte);
    EXPECT_EQ(EncodeSearchKey(character), escaped.count(byte) ? Text(escape) : character);
  }
}

// The byte after a high byte always goes with it; a pair that is no character converts to
// U+FFFD, and the UTF-8 bytes of the pair are all escaped, ASCII ones included.
TEST(EncodeSearchKey, BrokenDoubleByteCharacters) {
  PAGEWICK_SKIP_UNLESS_OWN_REPLACEMENTS();
  struct Case {
    const char* name;
    Text input;
    Text key;
  };
  const Case cases[] = {
      {"lone lead byte at the end", TextConcat("a", "\xD0"), "a%EF%BF%BD"},
      {"lone lead byte after Chinese", TextConcat("小"_gbk, "\xCB"), "%E5%B0%8F%EF%BF%BD"},
      {"lead byte before a digit",
       "\x81"
       "0x",
       "%EF%BF%BD%30x"},
      {"lead byte before a percent sign", "\xD0%", "%EF%BF%BD%25"},
      {"pair that is no character",
       "\xAA\xA1"
       "b",
       "%EF%BF%BDb"},
      {"euro sign takes the next byte",
       "\x80"
       "a",
       "%E2%82%AC%61"},
      {"0xFF takes the next byte",
       "\xFF"
       "ab",
       "%EF%BF%BD%61b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(EncodeSearchKey(c.input), c.key);
  }
}

// Over every lead and trail byte pair, with a "%" after it: the key holds only bytes 01..7F,
// and each "%" begins two capital hexadecimal digits.
TEST(EncodeSearchKey, KeyIsAlwaysPlainEscapedAscii) {
  for (int lead = 0x80; lead <= 0xFF; ++lead) {
    for (int trail = 0x01; trail <= 0xFF; ++trail) {
      const char name[] = {'a', static_cast<char>(lead), static_cast<char>(trail), '%', '\0'};
      const std::string key = EncodeSearchKey(Text(name)).str();
      for (size_t i = 0; i < key.size(); ++i) {
        const auto byte = static_cast<unsigned char>(key[i]);
        ASSERT_TRUE(byte >= 0x01 && byte <= 0x7F) << lead << " " << trail;
        if (byte != '%') continue;
        ASSERT_LE(i + 2, key.size() - 1) << lead << " " << trail;
        for (size_t j = i + 1; j <= i + 2; ++j) {
          ASSERT_TRUE(std::isdigit(static_cast<unsigned char>(key[j])) ||
                      (key[j] >= 'A' && key[j] <= 'F'))
              << lead << " " << trail;
        }
      }
    }
  }
}

// What the site decodes is what the reader typed.
TEST(EncodeSearchKey, DecodingTheKeyGivesTheNameBack) {
  std::string ascii;
  for (int byte = 0x01; byte <= 0x7F; ++byte) ascii.push_back(static_cast<char>(byte));
  const Text names[] = {Text(ascii), "小说"_gbk, "斗破苍穹 (第2部) & 番外~50%"_gbk, "€"_gbk};
  for (const Text& name : names) {
    SCOPED_TRACE(TextToUtf8(name));
    EXPECT_EQ(DecodePage(EncodeSearchKey(name)), name);
  }
}

TEST(AnsiConversions, Utf16AndUtf8WithTheirZeroTerminators) {
  EXPECT_EQ(AnsiToUtf16("小说"_gbk), ByteBuffer({0x0F, 0x5C, 0xF4, 0x8B, 0x00, 0x00}));
  EXPECT_EQ(AnsiToUtf8("小说"_gbk), ByteBuffer({0xE5, 0xB0, 0x8F, 0xE8, 0xAF, 0xB4, 0x00}));
  EXPECT_EQ(AnsiToUtf16(""), ByteBuffer({0x00, 0x00}));
  EXPECT_EQ(AnsiToUtf8(""), ByteBuffer({0x00}));
  if (testing_rules::kOwnReplacements) {
    EXPECT_EQ(AnsiToUtf16("A\xD0"), ByteBuffer({0x41, 0x00, 0xFD, 0xFF, 0x00, 0x00}));
  }
  EXPECT_EQ(AnsiToUtf8("\x80"), ByteBuffer({0xE2, 0x82, 0xAC, 0x00}));
}

}  // namespace
}  // namespace pagewick
