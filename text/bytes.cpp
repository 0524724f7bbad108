#include "text/bytes.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/memory.h"

namespace pagewick {
namespace {

[[noreturn]] void Fatal(const char* message) {
  std::fprintf(stderr, "Pagewick: %s\n", message);
  std::abort();
}

// Reads `width` little-endian bytes from offset, missing bytes past the end counting as zero.
uint64_t ReadLittleEndian(std::string_view bytes, size_t offset, size_t width) {
  uint64_t value = 0;
  for (size_t i = 0; i < width && offset + i < bytes.size(); ++i) {
    value |= static_cast<uint64_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
  }
  return value;
}

template <typename T>
T BitsAs(uint64_t bits) {
  T value;
  std::memcpy(&value, &bits, sizeof value);  // little-endian host: the low bytes come first
  return value;
}

}  // namespace

void ByteBuffer::Reserve(size_t bytes) {
  if (bytes <= bytes_.capacity()) return;
  bytes_.reserve(bytes);
  platform::AdviseLargeBuffer(bytes_.data(), bytes_.capacity());
}

int32_t BytesLength(const ByteBuffer& buffer) { return buffer.size(); }

uint8_t ByteAt(const ByteBuffer& buffer, int32_t position) {
  if (position < 1 || position > buffer.size()) {
    Fatal("a byte was read outside its buffer");
  }
  return buffer.data()[position - 1];
}

namespace detail {
ByteBuffer ConcatBuffers(std::initializer_list<const ByteBuffer*> parts) {
  size_t total = 0;
  for (const ByteBuffer* part : parts) total += part->view().size();
  std::string out;
  out.reserve(total);
  for (const ByteBuffer* part : parts) out.append(part->view());
  return ByteBuffer(std::move(out));
}
}  // namespace detail

ByteBuffer BytesLeft(const ByteBuffer& buffer, int32_t count) {
  if (count <= 0) return {};
  return ByteBuffer(buffer.view().substr(0, static_cast<size_t>(count)));
}

ByteBuffer BytesRight(const ByteBuffer& buffer, int32_t count) {
  if (count <= 0) return {};
  const size_t n = std::min(static_cast<size_t>(count), buffer.view().size());
  return ByteBuffer(buffer.view().substr(buffer.view().size() - n));
}

int32_t BytesFind(const ByteBuffer& buffer, const ByteBuffer& sought, int32_t start) {
  const std::string_view b = buffer.view();
  const size_t offset = start <= 1 ? 0 : static_cast<size_t>(start) - 1;
  if (sought.empty() || offset >= b.size()) return -1;
  const size_t at = b.find(sought.view(), offset);  // first byte first, then the rest
  return at == std::string_view::npos ? -1 : static_cast<int32_t>(at + 1);
}

BytesValue BytesReadValueAt(const ByteBuffer& buffer, int32_t typeCode, int32_t& position) {
  const std::string_view b = buffer.view();
  // A position below 1 leaves nothing to read; past the end, likewise.
  const bool readable = position >= 1 && static_cast<size_t>(position) <= b.size();
  const size_t offset = readable ? static_cast<size_t>(position) - 1 : b.size();
  size_t width = 0;
  BytesValue value;
  switch (typeCode) {
    case 1:
      width = 1;
      value = static_cast<uint8_t>(ReadLittleEndian(b, offset, 1));
      break;
    case 2:
      width = 2;
      value = static_cast<int16_t>(ReadLittleEndian(b, offset, 2));
      break;
    case 3:
      width = 4;
      value = static_cast<int32_t>(ReadLittleEndian(b, offset, 4));
      break;
    case 4:
      width = 8;
      value = static_cast<int64_t>(ReadLittleEndian(b, offset, 8));
      break;
    case 5:
      width = 4;
      value = BitsAs<float>(ReadLittleEndian(b, offset, 4));
      break;
    case 6:
      width = 8;
      value = BitsAs<double>(ReadLittleEndian(b, offset, 8));
      break;
    case 7:
      width = 4;
      value = ReadLittleEndian(b, offset, 4) != 0;
      break;
    case 8: {
      width = 8;
      const double days = BitsAs<double>(ReadLittleEndian(b, offset, 8));
      // NaN compares false both ways and is kept as it is.
      value = DateValue{days < -657434.0 ? -657434.0 : (days > 2958465.0 ? 2958465.0 : days)};
      break;
    }
    case 9:
      width = 4;
      value = RoutineAddress{static_cast<uint32_t>(ReadLittleEndian(b, offset, 4))};
      break;
    case 10: {
      const std::string_view rest = b.substr(offset);
      const size_t zero = rest.find('\0');
      const Text text(rest.substr(0, zero));
      width = text.view().size() + (zero == std::string_view::npos ? 0 : 1);
      value = text;
      break;
    }
    default:
      Fatal("BytesReadValue was asked for a type code outside 1 to 10");
  }
  const size_t behind = offset + width;
  position = (readable && behind + 1 <= b.size()) ? static_cast<int32_t>(behind + 1) : -1;
  return value;
}

BytesValue BytesReadValue(const ByteBuffer& buffer, int32_t typeCode, int32_t position) {
  return BytesReadValueAt(buffer, typeCode, position);
}

ByteBuffer BlankBytes(int32_t count) {
  if (count <= 0) return {};
  return ByteBuffer(std::string(static_cast<size_t>(count), '\0'));
}

Text BytesToText(const ByteBuffer& buffer) { return Text(buffer.view()); }

ByteBuffer TextToBytes(const Text& text) { return ByteBuffer(text.view()); }

}  // namespace pagewick
