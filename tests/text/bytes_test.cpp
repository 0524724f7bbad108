#include "text/bytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace pagewick {
namespace {

TEST(ByteBuffer, LengthConcatAndSlices) {
  EXPECT_EQ(BytesLength(ByteBuffer()), 0);
  EXPECT_TRUE(BytesConcat(ByteBuffer(), ByteBuffer()).empty());
  EXPECT_EQ(BytesConcat(ByteBuffer{0x41, 0x42}, ByteBuffer(), ByteBuffer{0x00}),
            (ByteBuffer{0x41, 0x42, 0x00}));
  const ByteBuffer abc{0x41, 0x42, 0x43};
  EXPECT_EQ(BytesLeft(abc, 5), abc);
  EXPECT_TRUE(BytesLeft(abc, 0).empty());
  EXPECT_TRUE(BytesLeft(abc, -2).empty());
  EXPECT_EQ(BytesRight(abc, 1), ByteBuffer{0x43});
  EXPECT_EQ(BytesRight(abc, 7), abc);
  EXPECT_EQ(ByteAt(abc, 3), 0x43);
}

TEST(ByteBuffer, FindCountsEveryBytePosition) {
  const ByteBuffer b{0x41, 0x00, 0x42, 0x00};
  struct Case {
    ByteBuffer buffer;
    ByteBuffer sought;
    int32_t start;
    int32_t expected;
  } cases[] = {
      {b, {0x00}, 1, 2},       {b, {0x00}, 3, 4},
      {b, {0x00}, 0, 2},       {b, {0x00}, -4, 2},
      {b, {0x00}, 5, -1},      {{0x41, 0x42}, {}, 1, -1},
      {{}, {}, 1, -1},         {{0xD6, 0xD0, 0xD0, 0xC2}, {0xD0, 0xD0}, 1, 2},
      {b, {0x42, 0x00}, 1, 3}, {b, {0x00, 0x42, 0x00, 0x00}, 1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.start) + " " + std::to_string(c.expected));
    EXPECT_EQ(BytesFind(c.buffer, c.sought, c.start), c.expected);
  }
}

TEST(ByteBuffer, ReadValueOfEachTypeCode) {
  EXPECT_EQ(BytesReadValue({0x7F}, 3), BytesValue(int32_t{127}));
  EXPECT_EQ(BytesReadValue({0xE5}, 3), BytesValue(int32_t{229}));
  EXPECT_EQ(BytesReadValue({}, 3), BytesValue(int32_t{0}));
  EXPECT_EQ(BytesReadValue({0x01, 0x02}, 3), BytesValue(int32_t{513}));
  EXPECT_EQ(BytesReadValue({0x01, 0x00, 0x00, 0x00, 0x05}, 3), BytesValue(int32_t{1}));
  EXPECT_EQ(BytesReadValue({0xFF}, 1), BytesValue(uint8_t{255}));
  EXPECT_EQ(BytesReadValue({0xFE, 0xFF}, 2), BytesValue(int16_t{-2}));
  EXPECT_EQ(BytesReadValue({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 4),
            BytesValue(int64_t{-1}));
  EXPECT_EQ(BytesReadValue({0x00, 0x00, 0x80, 0x3F}, 5), BytesValue(1.0f));
  EXPECT_EQ(BytesReadValue({0, 0, 0, 0, 0, 0, 0xF0, 0x3F}, 6), BytesValue(1.0));
  EXPECT_EQ(BytesReadValue({0, 0, 0, 1}, 7), BytesValue(true));
  EXPECT_EQ(BytesReadValue({0, 0, 0, 0}, 7), BytesValue(false));
  // 1e9 days is clamped to the last day the date type holds.
  ByteBuffer big(std::string(8, '\0'));
  {
    const double days = 1e9;
    std::string raw(8, '\0');
    std::memcpy(raw.data(), &days, 8);
    big = ByteBuffer(raw);
  }
  EXPECT_EQ(BytesReadValue(big, 8), BytesValue(DateValue{2958465.0}));
  EXPECT_EQ(BytesReadValue({0x78, 0x56, 0x34, 0x12}, 9), BytesValue(RoutineAddress{0x12345678}));
  EXPECT_EQ(BytesReadValue({0x41, 0x42, 0x00, 0x43}, 10), BytesValue(Text("AB")));
  EXPECT_EQ(BytesReadValue({}, 10), BytesValue(Text()));
  // A position below 1 reads nothing; a later position reads from there.
  EXPECT_EQ(BytesReadValue({0x01, 0x02}, 3, 0), BytesValue(int32_t{0}));
  EXPECT_EQ(BytesReadValue({0x01, 0x02}, 1, 2), BytesValue(uint8_t{2}));
}

TEST(ByteBuffer, ReadValueAtMovesThePositionBehindTheValue) {
  const ByteBuffer b{0x41, 0x00, 0x42, 0x43, 0x00, 0x01, 0x02};
  int32_t position = 1;
  EXPECT_EQ(BytesReadValueAt(b, 10, position), BytesValue(Text("A")));
  EXPECT_EQ(position, 3);
  EXPECT_EQ(BytesReadValueAt(b, 10, position), BytesValue(Text("BC")));
  EXPECT_EQ(position, 6);
  EXPECT_EQ(BytesReadValueAt(b, 2, position), BytesValue(int16_t{0x0201}));
  EXPECT_EQ(position, -1);  // behind the last byte
}

TEST(ByteBufferDeathTest, UnknownTypeCodeEndsTheProgramWithAMessage) {
  EXPECT_DEATH(BytesReadValue({0x01}, 11), "type code outside 1 to 10");
  EXPECT_DEATH(ByteAt(ByteBuffer{0x01}, 2), "outside its buffer");
}

TEST(ByteBuffer, BlankBytesAndConversionsToText) {
  EXPECT_EQ(BlankBytes(3), (ByteBuffer{0, 0, 0}));
  EXPECT_TRUE(BlankBytes(0).empty());
  EXPECT_EQ(BytesToText({0x41, 0x42, 0x00, 0x43}), Text("AB"));
  EXPECT_TRUE(BytesToText({0x00, 0x41}).empty());
  EXPECT_EQ(BytesToText({0x41, 0x42}), Text("AB"));
  EXPECT_EQ(TextToBytes("AB"), (ByteBuffer{0x41, 0x42}));
  EXPECT_TRUE(TextToBytes(Text()).empty());
}

TEST(ByteBuffer, AppendingPiecesKeepsZeroBytes) {
  ByteBuffer body;
  for (int i = 0; i < 1000; ++i) body.Append(std::string_view("a\0b", 3));
  EXPECT_EQ(BytesLength(body), 3000);
  EXPECT_EQ(BytesFind(body, {0x00}, 2999), 2999);
  EXPECT_EQ(BytesToText(body), Text("a"));
}

}  // namespace
}  // namespace pagewick
