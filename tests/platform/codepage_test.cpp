#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace pagewick::platform {
namespace {

std::u16string ToWide(uint32_t codePage, std::string_view bytes) {
  const auto length = static_cast<int32_t>(bytes.size());
  const int32_t units = MultiByteToWide(codePage, bytes.data(), length, nullptr, 0);
  std::u16string out(static_cast<size_t>(units), u'\0');
  EXPECT_EQ(MultiByteToWide(codePage, bytes.data(), length, out.data(), units), units);
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

TEST(Codepage, BadInputNeverStopsTheConversion) {
  EXPECT_EQ(ToWide(kAnsiCodePage, "a\x81"), u"a\uFFFD");
  EXPECT_EQ(ToWide(kUtf8CodePage, "a\xE5\xB0"), u"a\uFFFD\uFFFD");
  EXPECT_EQ(ToWide(kUtf8CodePage,
                   "\xC0\xAF"
                   "b"),
            u"\uFFFD\uFFFD"
            "b");
  char out[16] = {};
  const char16_t lone[] = {u'a', 0xD800, u'b'};
  EXPECT_EQ(WideToMultiByte(kAnsiCodePage, lone, 3, out, 16), 3);
  EXPECT_EQ(std::string(out, 3), "a?b");
  EXPECT_EQ(WideToMultiByte(kUtf8CodePage, lone, 3, out, 16), 5);
  EXPECT_EQ(std::string(out, 5),
            "a\xEF\xBF\xBD"
            "b");
}

}  // namespace
}  // namespace pagewick::platform
