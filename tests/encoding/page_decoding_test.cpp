#include "encoding/page_decoding.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/codepage.h"
#include "tests/platform/replacements.h"
#include "text/gbk.h"

namespace pagewick {
namespace {

TEST(DecodePage, Pages) {
  struct Case {
    const char* name;
    Text page;
    Text decoded;
  };
  const Case cases[] = {
      {"plain", "abc", "abc"},
      {"escaped letters", "%41%62c", "Abc"},
      {"escaped UTF-8, either case", "%e5%b0%8f%E8%AF%B4", "小说"_gbk},
      {"raw UTF-8", "\xE5\xB0\x8F\xE8\xAF\xB4", "小说"_gbk},
      {"plus stays", "a+b", "a+b"},
      {"entity stays", "&lt;&#23567;", "&lt;&#23567;"},
      {"escaped zero dropped", "a%00b", "ab"},
      {"percent at the end", "100%", "100"},
      {"second digit missing", "x%5", "xP"},
      {"escaped percent", "%25%32", "%2"},
      {"empty", "", ""},
      {"ends with 0x7F", "abc\x7F", "abc\x7F"},
      {"ends with an escaped 0x7F", "abc%7F", "abc\x7F"},
      {"ends with a Chinese character", "ab\xE8\xAF\xB4", TextConcat("ab", "说"_gbk)},
      {"only a Chinese character", "\xE8\xAF\xB4", "说"_gbk},
      {"escape cut short before a Chinese character", "%E4%B8%A", "丠"_gbk},
      {"percent inside page text", "width:100%;height:1", "width:100?eight:1"},
      {"character that 936 lacks",
       "a\xF0\x9F\x98\x80"
       "b",
       TextConcat("a", Text(testing_rules::kNonBmpInGbk), "b")},
      {"cut short at the end", "a\xE5\xB0", "a?"},
      {"GBK page keeps its ASCII", TextConcat("<b>", "你"_gbk, "</b>"),
       "<b>?"
       "?</b>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DecodePage(c.page), c.decoded);
  }
}

// Escapes are undone byte by byte before any conversion; broken ones give the bytes that their
// digit values make (a non-digit counts -2, a position past the end 0).
TEST(DecodePage, MalformedEscapesGiveTheirBytes) {
  struct Case {
    Text page;
    ByteBuffer bytes;
  };
  const Case cases[] = {
      {"%zz", {0xDE}},
      {"%G1", {0xE1}},
      {"%1G", {0x0E}},
      {"%%41", {0xE4, '1'}},
      {"a%A", {'a', 0xA0}},
      {"x%5", {'x', 0x50}},
      {"a%00b", {'a', 'b'}},
      {"100%", {'1', '0', '0'}},
      {"%", {}},
      {"%fF%", {0xFF}},
      {"%\xE5\xB0\x8F", {0xDE, 0x8F}},  // the two bytes after "%" go, whatever they are
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page.str());
    EXPECT_EQ(UndoPercentEscapes(c.page), c.bytes);
  }
}

TEST(Utf8ToAnsi, ZeroByteOnlyBelow0x7FAndNothingFollows) {
  struct Case {
    const char* name;
    ByteBuffer data;
    Text text;
    int32_t lengthAfter;
  };
  const Case cases[] = {
      {"ASCII gets a zero byte", {'a', 'b'}, "ab", 3},
      {"empty gets a zero byte", {}, "", 1},
      {"0x7F gets none", {'a', 0x7F}, "a\x7F", 2},
      {"Chinese at the end gets none", {'a', 0xE5, 0xB0, 0x8F}, TextConcat("a", "小"_gbk), 4},
      {"cut short at the end", {'a', 0xE5, 0xB0}, "a?", 3},
      {"stops at a zero byte inside", {'a', 0x00, 'b'}, "a", 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ByteBuffer data = c.data;
    EXPECT_EQ(Utf8ToAnsi(data), c.text);
    EXPECT_EQ(BytesLength(data), c.lengthAfter);
  }
}

TEST(Utf16ToAnsi, StopsAtTheFirstZeroUnitAndStaysInsideTheData) {
  struct Case {
    const char* name;
    ByteBuffer data;
    Text text;
  };
  const Case cases[] = {
      {"no zero unit", {0x0F, 0x5C, 0xF4, 0x8B}, "小说"_gbk},
      {"zero unit in the middle", {0x0F, 0x5C, 0x00, 0x00, 0xF4, 0x8B}, "小"_gbk},
      {"zero unit first", {0x00, 0x00, 0x41, 0x00}, ""},
      {"zero bytes across two units", {0x41, 0x00, 0x00, 0x4E}, TextConcat("A", "一"_gbk)},
      {"odd last byte left out", {0x0F, 0x5C, 0x41}, "小"_gbk},
      {"odd zero byte is no zero unit", {0x41, 0x00, 0x00}, "A"},
      {"one byte", {0x41}, ""},
      {"empty", {}, ""},
      {"unpaired surrogate", {0x41, 0x00, 0x00, 0xD8, 0x42, 0x00}, "A?B"},
      {"euro sign", {0xAC, 0x20}, "\x80"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Utf16ToAnsi(c.data), c.text);
  }
}

// A whole page of markup and Chinese text in UTF-8, partly escaped, comes out as the same
// page in code page 936.
TEST(DecodePage, LongMixedPage) {
  std::string utf8;
  std::string expected;
  for (int i = 0; i < 2000; ++i) {
    utf8 += "<td class=\"t\"><a href=\"/Book/123.aspx\">斗破苍穹</a>作者：天蚕土豆</td>\n";
    utf8 += "%E5%B0%8F%E8%AF%B4%20";
    expected += "<td class=\"t\"><a href=\"/Book/123.aspx\">斗破苍穹</a>作者：天蚕土豆</td>\n小说 ";
  }
  EXPECT_EQ(DecodePage(Text(utf8)), TextFromUtf8(expected));
}

// Long pages are converted piece by piece; whatever the bytes and wherever a piece ends, the
// text must be the one that converting all the UTF-8 to UTF-16 and that to code page 936 gives.
TEST(Utf8ToAnsi, LongDataConvertsLikeTheWholeThroughUtf16) {
  // Pieces convert like the whole only where an invalid sequence is replaced the same way
  // whether the input ends after it or goes on.
  PAGEWICK_SKIP_UNLESS_OWN_REPLACEMENTS();
  const std::string pieces[] = {"a",
                                "\n",
                                "\x80",
                                "\xBF",
                                "\xE5",
                                "\xE5\xB0",
                                "\xE5\xB0\x8F",
                                "\xC3\xA9",
                                "\xF0\x9F\x98\x80",
                                "\xF0\x9F",
                                "\xC0",
                                "\xFF"};
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 16;
  };
  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE(round);
    std::string utf8;
    // Long runs without an ASCII byte in some rounds, mixed pieces in others.
    const size_t kinds = round % 2 ? 10 : std::size(pieces);
    while (utf8.size() < 70000) utf8 += pieces[next() % kinds + (round % 2 ? 2 : 0)];
    std::u16string wide(utf8.size(), u'\0');
    const int32_t units = platform::MultiByteToWide(platform::kUtf8CodePage, utf8.data(),
                                                    static_cast<int32_t>(utf8.size()), wide.data(),
                                                    static_cast<int32_t>(wide.size()));
    const ByteBuffer whole(std::string(reinterpret_cast<const char*>(wide.data()), 2 * units));
    ByteBuffer data(utf8);
    EXPECT_EQ(Utf8ToAnsi(data), Utf16ToAnsi(whole));
  }
  // A long run of Chinese text, shifted so that pieces end at every byte of a character.
  for (int shift = 0; shift < 3; ++shift) {
    SCOPED_TRACE(shift);
    std::string utf8(static_cast<size_t>(shift), 'a');
    std::string expected(static_cast<size_t>(shift), 'a');
    for (int i = 0; i < 20000; ++i) {
      utf8 += "\xE5\xB0\x8F";
      expected += "\xD0\xA1";
    }
    ByteBuffer data(utf8);
    EXPECT_EQ(Utf8ToAnsi(data), Text(expected));
  }
}

}  // namespace
}  // namespace pagewick
