#include "text/gbk.h"

#include <gtest/gtest.h>

#include "tests/platform/replacements.h"

namespace pagewick {
namespace {

TEST(GbkLiteral, ChineseLiteralsAreGbkAtRunTime) {
  EXPECT_EQ("小说"_gbk, Text("\xD0\xA1\xCB\xB5"));
  EXPECT_EQ("信息："_gbk, Text("\xD0\xC5\xCF\xA2\xA3\xBA"));
  EXPECT_EQ(&"小说"_gbk, &"小说"_gbk);  // built once
}

TEST(GbkLiteral, RoundTripsThroughUtf8) {
  EXPECT_EQ(TextToUtf8("\xD0\xA1\xCB\xB5"), "小说");
  EXPECT_EQ(TextFromUtf8("a-小说-b"), TextConcat("a-", "小说"_gbk, "-b"));
  EXPECT_EQ(TextFromUtf8("€"), Text("\x80"));
  EXPECT_EQ(TextFromUtf8("😀"), Text(testing_rules::kNonBmpInGbk));  // a character GBK lacks
}

}  // namespace
}  // namespace pagewick
