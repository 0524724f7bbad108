#include "sites/file_names.h"

#include <gtest/gtest.h>

#include <string>

#include "text/gbk.h"

namespace pagewick {
namespace {

TEST(SafeFileName, KeepsTheNameInsideItsFolder) {
  struct Case {
    Text stem;
    Text expected;
  } cases[] = {
      {"沈知秋 - 青石巷"_gbk, "沈知秋 - 青石巷.txt"_gbk},
      {"../../etc/passwd - x", ".._.._etc_passwd - x.txt"},
      {"a\\b", "a_b.txt"},
      {"tab\there\r\nnew", "tab_here__new.txt"},
      {"..", "...txt"},  // no separator left, so dots cannot climb
      {" - ", " - .txt"},
      // 俓 is 82 5C in GBK: its second byte looks like a backslash but is not one.
      {"\x82\x5C/", "\x82\x5C_.txt"},
      // A lead byte before a byte that cannot end a character stands alone (U+FFFD on disk),
      // and the "/" or line break after it is a character of its own.
      {"\xB0/..\xB0/x\xB0\n", "\xB0_..\xB0_x\xB0_.txt"},
      {"a?b:c", "a?b:c.txt"},  // allowed on Linux, kept as the site gave it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(TextToUtf8(c.stem));
    EXPECT_EQ(SafeFileName(c.stem, ".txt"), c.expected);
  }
}

TEST(SafeFileName, ShortensLongNamesAtCharacterBoundariesWithinTheLimit) {
  std::string longStem;
  for (int i = 0; i < 200; ++i) longStem += "书";
  const Text name = SafeFileName(TextFromUtf8(longStem), ".txt");
  const std::string onDisk = TextToUtf8(name);
  EXPECT_LE(onDisk.size(), 255u);
  EXPECT_EQ(onDisk.size(), 83 * 3 + 4u);  // 83 whole characters of three bytes, and ".txt"
  EXPECT_EQ(onDisk.substr(onDisk.size() - 4), ".txt");
  // A byte of 0x80 or above that stands alone takes three bytes on disk.
  EXPECT_EQ(TextToUtf8(SafeFileName(Text(std::string(200, '\xFF')), ".txt")).size(), 83 * 3 + 4u);
}

TEST(EncodeFormValue, EncodesAsABrowserSubmitsAGbkForm) {
  struct Case {
    Text value;
    const char* expected;
  } cases[] = {
      {"abcXYZ019-_.*", "abcXYZ019-_.*"}, {"a b", "a+b"},   {"&=+%#", "%26%3D%2B%25%23"},
      {"小说"_gbk, "%D0%A1%CB%B5"},       {"~/", "%7E%2F"}, {Text(), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(EncodeFormValue(c.value), Text(c.expected));
  }
}

}  // namespace
}  // namespace pagewick
