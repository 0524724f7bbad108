// ByteBuffer: an owned counted run of bytes that, unlike Text, may hold zero bytes.
//
// "None" is the empty buffer. Positions are 1-based, a failed search gives -1, lengths are
// 32-bit signed. Bodies of answers, UTF-8 and UTF-16 data travel in it.
//   BytesFind({0x41, 0x00, 0x42, 0x00}, {0x00}, 3) == 4   (every byte position counts)
//   BytesFind(anything, {}) == -1                          (unlike TextFind)
//   BytesToText({0x41, 0x42, 0x00, 0x43}) == "AB"          (cut at the first zero byte)
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

#include "text/text.h"

namespace pagewick {

class ByteBuffer {
 public:
  ByteBuffer() = default;
  explicit ByteBuffer(std::string_view bytes) : bytes_(bytes) {}
  explicit ByteBuffer(std::string&& bytes) : bytes_(std::move(bytes)) {}
  ByteBuffer(std::initializer_list<uint8_t> bytes) : bytes_(bytes.begin(), bytes.end()) {}

  std::string_view view() const { return bytes_; }
  const uint8_t* data() const { return reinterpret_cast<const uint8_t*>(bytes_.data()); }
  int32_t size() const { return static_cast<int32_t>(bytes_.size()); }
  bool empty() const { return bytes_.empty(); }

  // Adds bytes at the end in amortised constant time per byte, for bodies read piece by piece.
  void Append(std::string_view bytes) { bytes_.append(bytes); }
  // Makes room for bytes in all; a large room is offered large pages before it is filled.
  void Reserve(size_t bytes);
  // Moves the bytes out, leaving the buffer empty.
  std::string Release() { return std::move(bytes_); }

  friend bool operator==(const ByteBuffer&, const ByteBuffer&) = default;

 private:
  std::string bytes_;
};

int32_t BytesLength(const ByteBuffer& buffer);

// Byte `position` (1-based) as 0..255. A position outside 1..length ends the program with an
// error message; callers walk from 1 to BytesLength.
uint8_t ByteAt(const ByteBuffer& buffer, int32_t position);

namespace detail {
ByteBuffer ConcatBuffers(std::initializer_list<const ByteBuffer*> parts);
}

// The buffers joined in order, measured first and allocated once; empty when all are.
template <typename... Parts>
ByteBuffer BytesConcat(const Parts&... parts) {
  return detail::ConcatBuffers({&static_cast<const ByteBuffer&>(parts)...});
}

// The first (last) min(count, length) bytes; empty when count <= 0.
ByteBuffer BytesLeft(const ByteBuffer& buffer, int32_t count);
ByteBuffer BytesRight(const ByteBuffer& buffer, int32_t count);

// Position of sought at or after start (below 1 means the first byte), at any byte position,
// or -1; always -1 for an empty sought buffer.
int32_t BytesFind(const ByteBuffer& buffer, const ByteBuffer& sought, int32_t start = 1);

// What BytesReadValue reads, by type code 1..10; the variant's index is the code minus 1.
struct DateValue {  // days since 1899-12-30, clamped to -657434..2958465
  double days = 0;
  friend bool operator==(const DateValue&, const DateValue&) = default;
};
struct RoutineAddress {  // a 32-bit address of a routine
  uint32_t address = 0;
  friend bool operator==(const RoutineAddress&, const RoutineAddress&) = default;
};
using BytesValue = std::variant<uint8_t, int16_t, int32_t, int64_t, float, double, bool, DateValue,
                                RoutineAddress, Text>;

// Reads a little-endian value of type code 1..10 from position (1 when left out). Missing bytes
// past the end count as zero: BytesReadValue({0x01, 0x02}, 3) == int32_t{513}, and a one-byte
// buffer read with code 3 gives that byte as 0..255. A position below 1 reads nothing.
// Code 10 reads a Text up to the first zero byte or the end. Any other code ends the program
// with an error message.
BytesValue BytesReadValue(const ByteBuffer& buffer, int32_t typeCode, int32_t position = 1);

// As above, and then sets position to the one behind the value read (for code 10, behind its
// zero byte when there was one), or to -1 when that lies past the end of the buffer.
BytesValue BytesReadValueAt(const ByteBuffer& buffer, int32_t typeCode, int32_t& position);

// count zero bytes; empty when count <= 0.
ByteBuffer BlankBytes(int32_t count);

// The bytes up to the first zero byte, as Text; no change of code page.
Text BytesToText(const ByteBuffer& buffer);

// The bytes of text, without a terminating zero.
ByteBuffer TextToBytes(const Text& text);

}  // namespace pagewick
