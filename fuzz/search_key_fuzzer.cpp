// EncodeSearchKey on any name: the key holds only bytes 0x01..0x7F, every "%" begins an escape
// of two capital hexadecimal digits, and read back it gives the name: each byte of 0x01..0x7F
// itself (escaped exactly when it is one of the 35 escaped characters) and each double-byte
// piece the UTF-8 bytes of its conversion.
// Input: the name.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "encoding/search_key.h"
#include "fuzz/fuzz_support.h"
#include "platform/codepage.h"
#include "text/text.h"

namespace {

constexpr std::string_view kEscaped = "`~!@#$%^&*()-_=+[{]};:'\\|,<.>/?\"\r\n\t";

bool IsCapitalHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

// The UTF-8 bytes of a piece of code page 936, without zero bytes, through the code page layer.
std::string PieceToUtf8(std::string_view piece) {
  namespace p = pagewick::platform;
  const auto length = static_cast<int32_t>(piece.size());
  const int32_t units = p::MultiByteToWide(p::kAnsiCodePage, piece.data(), length, nullptr, 0);
  std::vector<char16_t> wide(static_cast<size_t>(units) + 1);
  p::MultiByteToWide(p::kAnsiCodePage, piece.data(), length, wide.data(), units);
  const int32_t bytes = p::WideToMultiByte(p::kUtf8CodePage, wide.data(), units, nullptr, 0);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  p::WideToMultiByte(p::kUtf8CodePage, wide.data(), units, utf8.data(), bytes);
  std::erase(utf8, '\0');
  return utf8;
}

std::string Escape(unsigned char byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return {'%', kDigits[byte >> 4], kDigits[byte & 15]};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pagewick::fuzz::Input input(data, size);
  const pagewick::Text name(input.TakeText());
  const pagewick::Text key = pagewick::EncodeSearchKey(name);
  const std::string_view k = key.view();

  for (size_t j = 0; j < k.size(); ++j) {
    FUZZ_CHECK(k[j] != '\0' && !pagewick::fuzz::IsHigh(k[j]));
    if (k[j] == '%') {
      FUZZ_CHECK(j + 2 < k.size() && IsCapitalHex(k[j + 1]) && IsCapitalHex(k[j + 2]));
      j += 2;
    }
  }

  // Read the key back against the name, piece by piece.
  const std::string_view n = name.view();
  std::string expected;
  for (size_t i = 0; i < n.size();) {
    const auto byte = static_cast<unsigned char>(n[i]);
    if (byte < 0x80) {
      expected += kEscaped.find(static_cast<char>(byte)) != std::string_view::npos
                      ? Escape(byte)
                      : std::string(1, static_cast<char>(byte));
      i += 1;
    } else {
      for (char c : PieceToUtf8(n.substr(i, 2))) expected += Escape(static_cast<unsigned char>(c));
      i += 2;
    }
  }
  FUZZ_CHECK(k == expected);
  return 0;
}
