#include "encoding/page_decoding.h"

#include <cstring>
#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace pagewick {
namespace {

// The value of the hexadecimal digit at index, in either case; -2 for any other byte and 0
// past the end of the page.
int DigitValue(std::string_view page, size_t index) {
  if (index >= page.size()) return 0;
  const char c = page[index];
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -2;
}

// Whether the first units whole units of data hold a zero unit.
bool HasZeroUnit(const char* data, size_t units) {
  for (size_t i = 0; i < units; ++i) {
    if (data[2 * i] == 0 && data[2 * i + 1] == 0) return true;
  }
  return false;
}

constexpr size_t kPieceBytes = 16 * 1024;

bool IsContinuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// Where the piece of UTF-8 that begins at start ends: at most kPieceBytes on, and only where a
// character or an invalid sequence begins, so that the pieces convert exactly like the whole.
// No sequence takes in a byte that is not a continuation byte 80..BF after its first byte, and
// none holds more than three of them, so one of the four bytes up to the limit begins one.
size_t PieceEnd(std::string_view bytes, size_t start) {
  const size_t limit = start + kPieceBytes;
  if (limit >= bytes.size()) return bytes.size();
  for (size_t back = 0; back < 4; ++back) {
    if (!IsContinuation(bytes[limit - back])) return limit - back;
  }
  return limit;  // four continuation bytes in a row: the last one stands by itself
}

}  // namespace

ByteBuffer UndoPercentEscapes(const Text& page) {
  const std::string_view p = page.view();
  std::string undone;
  undone.reserve(p.size() + 1);  // room for the zero byte that the conversion may add
  size_t i = 0;
  while (i < p.size()) {
    if (p[i] != '%') {  // copy the run up to the next "%" at once
      const void* percent = std::memchr(p.data() + i, '%', p.size() - i);
      const size_t end = percent ? static_cast<const char*>(percent) - p.data() : p.size();
      undone.append(p, i, end - i);
      i = end;
      continue;
    }
    const int value = 16 * DigitValue(p, i + 1) + DigitValue(p, i + 2);
    const auto byte = static_cast<char>(static_cast<unsigned>(value) & 0xFF);
    if (byte != '\0') undone.push_back(byte);
    i += 3;  // both positions after "%" are consumed, whatever they hold
  }
  return ByteBuffer(std::move(undone));
}

Text DecodePage(const Text& page) {
  ByteBuffer bytes = UndoPercentEscapes(page);
  return Utf8ToAnsi(bytes);
}

// The UTF-8 data is converted piece by piece, through a small UTF-16 area, into the result:
// the same text that converting all of it to UTF-16 and that to code page 936 gives, without a
// UTF-16 copy of a whole page.
Text Utf8ToAnsi(ByteBuffer& data) {
  using namespace platform;
  const int32_t length = BytesLength(data);
  const int32_t last = length > 0 ? ByteAt(data, length) : 0;
  if (last < 127) data.Append(std::string_view("\0", 1));
  // A zero byte gives a zero unit, where the conversion to code page 936 stops.
  std::string_view bytes = data.view();
  bytes = bytes.substr(0, bytes.find('\0'));
  std::u16string wide(kPieceBytes, u'\0');  // never more units than bytes
  std::string out;
  // Code page 936 never takes more bytes than UTF-8 for the same text; a piece may ask for room
  // for two bytes per unit before it is trimmed.
  out.reserve(bytes.size() + kPieceBytes);
  for (size_t start = 0; start < bytes.size();) {
    const size_t end = PieceEnd(bytes, start);
    const int32_t units =
        MultiByteToWide(kUtf8CodePage, bytes.data() + start, static_cast<int32_t>(end - start),
                        wide.data(), static_cast<int32_t>(wide.size()));
    const size_t written = out.size();
    out.resize(written + 2 * static_cast<size_t>(units));
    const int32_t converted = units > 0 ? WideToMultiByte(kAnsiCodePage, wide.data(), units,
                                                          out.data() + written, 2 * units)
                                        : 0;
    out.resize(written + static_cast<size_t>(converted));
    start = end;
  }
  return Text(std::move(out));
}

Text Utf16ToAnsi(const ByteBuffer& data) {
  using namespace platform;
  const int32_t k = BytesLength(data);
  const int32_t units = k / 2;
  if (units == 0) return {};
  const char* bytes = data.view().data();
  // -1 stops at the first zero unit, which must lie inside the data; without one the count
  // of whole units keeps the conversion inside it.
  const int32_t count = HasZeroUnit(bytes, static_cast<size_t>(units)) ? -1 : units;
  // Every unit gives at most two bytes, so k bytes always suffice.
  std::string out(static_cast<size_t>(k), '\0');
  const int32_t written = WideToMultiByte(kAnsiCodePage, reinterpret_cast<const char16_t*>(bytes),
                                          count, out.data(), k);
  out.resize(static_cast<size_t>(written));
  return Text(std::move(out));  // ends before the zero byte of the zero unit
}

}  // namespace pagewick
