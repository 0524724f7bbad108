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

Text Utf8ToAnsi(ByteBuffer& data) {
  using namespace platform;
  const int32_t length = BytesLength(data);
  const int32_t last = length > 0 ? ByteAt(data, length) : 0;
  if (last < 127) data.Append(std::string_view("\0", 1));
  const char* bytes = data.view().data();
  const int32_t units = MultiByteToWide(kUtf8CodePage, bytes, BytesLength(data), nullptr, 0);
  if (units <= 0) return {};
  std::string wide(2 * static_cast<size_t>(units), '\0');
  MultiByteToWide(kUtf8CodePage, bytes, BytesLength(data), reinterpret_cast<char16_t*>(wide.data()),
                  units);
  return Utf16ToAnsi(ByteBuffer(std::move(wide)));
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
