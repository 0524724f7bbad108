#include "encoding/search_key.h"

#include <array>
#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace pagewick {
namespace {

// The escaped set: 34 characters, then the tab.
constexpr std::string_view kEscapedCharacters = "`~!@#$%^&*()-_=+[{]};:'\\|,<.>/?\"\r\n\t";
static_assert(kEscapedCharacters.size() == 35);

constexpr std::array<bool, 128> BuildEscapedSet() {
  std::array<bool, 128> set{};
  for (const char c : kEscapedCharacters) set[static_cast<unsigned char>(c)] = true;
  return set;
}
constexpr std::array<bool, 128> kEscaped = BuildEscapedSet();

void AppendEscape(std::string& out, unsigned char byte) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  out.push_back('%');
  out.push_back(kDigits[byte >> 4]);
  out.push_back(kDigits[byte & 0x0F]);
}

}  // namespace

ByteBuffer AnsiToUtf16(const Text& text) {
  using namespace platform;
  const int32_t length = TextLength(text);
  const int32_t units = MultiByteToWide(kAnsiCodePage, text.c_str(), length, nullptr, 0);
  // n units and a zero unit, all zero to begin with.
  std::string buffer(2 * static_cast<size_t>(units) + 2, '\0');
  if (units > 0) {
    MultiByteToWide(kAnsiCodePage, text.c_str(), length, reinterpret_cast<char16_t*>(buffer.data()),
                    units + 1);
  }
  return ByteBuffer(std::move(buffer));
}

ByteBuffer AnsiToUtf8(const Text& text) {
  using namespace platform;
  const ByteBuffer wide = AnsiToUtf16(text);
  const auto* units = reinterpret_cast<const char16_t*>(wide.data());
  const int32_t count = BytesLength(wide) / 2;  // the zero unit included
  const int32_t size = WideToMultiByte(kUtf8CodePage, units, count, nullptr, 0);
  std::string buffer(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) WideToMultiByte(kUtf8CodePage, units, count, buffer.data(), size);
  // Up to and including the first zero byte, the one the zero unit gave.
  const size_t zero = buffer.find('\0');
  if (zero == std::string::npos) return {};
  buffer.resize(zero + 1);
  return ByteBuffer(std::move(buffer));
}

Text EncodeSearchKey(const Text& name) {
  const std::string_view bytes = name.view();
  std::string key;
  key.reserve(bytes.size() * 3);
  size_t i = 0;
  while (i < bytes.size()) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte < 0x80) {
      if (kEscaped[byte]) {
        AppendEscape(key, byte);
      } else {
        key.push_back(static_cast<char>(byte));
      }
      ++i;
      continue;
    }
    // A high byte and the byte after it (if any) go together, whatever they are.
    const ByteBuffer utf8 = AnsiToUtf8(Text(bytes.substr(i, 2)));
    for (const char c : utf8.view()) {
      if (c != '\0') AppendEscape(key, static_cast<unsigned char>(c));
    }
    i += 2;
  }
  return Text(std::move(key));
}

}  // namespace pagewick
