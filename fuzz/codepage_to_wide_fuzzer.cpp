// MultiByteToWide for code pages 0 (936) and 65001 on any bytes: the sizing call and the
// converting call agree, the result fits exactly, a buffer one unit short gets nothing, and the
// conversion never stops early: every input byte is accounted for, so text appended after any
// input comes out whole at the end and the units before it are the input's own conversion, and
// the two halves of a text cut between sequences convert to the two halves of its conversion.
// Input: selector byte (bit 0: code page 65001; bit 1: a length of -1, through the first zero
// byte; bits 2 and 3: repeat the bytes past 13000, more than the sizing call's scratch area
// holds), then the bytes to convert.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "platform/codepage.h"

namespace {

using pagewick::platform::MultiByteToWide;
using pagewick::platform::WideToMultiByte;

// Converts in the two steps callers use; the buffer has exactly the reported size, so a write
// past it is caught by the address sanitizer.
std::u16string ToWide(uint32_t codePage, std::string_view bytes) {
  const auto length = static_cast<int32_t>(bytes.size());
  const int32_t units = MultiByteToWide(codePage, bytes.data(), length, nullptr, 0);
  FUZZ_CHECK(units >= 0);
  if (units == 0) return {};
  std::vector<char16_t> exact(static_cast<size_t>(units));
  FUZZ_CHECK(MultiByteToWide(codePage, bytes.data(), length, exact.data(), units) == units);
  if (units > 1) {
    std::vector<char16_t> shorter(static_cast<size_t>(units - 1));
    FUZZ_CHECK(MultiByteToWide(codePage, bytes.data(), length, shorter.data(), units - 1) == 0);
  }
  return std::u16string(exact.begin(), exact.end());
}

std::string ToMultiByte(uint32_t codePage, const std::u16string& wide) {
  const auto length = static_cast<int32_t>(wide.size());
  const int32_t bytes = WideToMultiByte(codePage, wide.data(), length, nullptr, 0);
  FUZZ_CHECK(bytes >= 0);
  if (bytes == 0) return {};
  std::vector<char> exact(static_cast<size_t>(bytes));
  FUZZ_CHECK(WideToMultiByte(codePage, wide.data(), length, exact.data(), bytes) == bytes);
  return std::string(exact.begin(), exact.end());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pagewick::fuzz::Input input(data, size);
  const uint8_t selector = input.TakeByte();
  const uint32_t codePage =
      (selector & 1) ? pagewick::platform::kUtf8CodePage : pagewick::platform::kAnsiCodePage;
  std::string bytes(input.Rest());
  // Long texts go through the sizing call's scratch area more than once.
  const bool longText = (selector & 12) == 12 && !bytes.empty();
  if (longText) {
    while (bytes.size() < 13000) bytes += bytes;
  }

  if (selector & 2) {
    // A length of -1 converts through the first zero byte, that zero included.
    const std::string withZero = bytes + '\0';
    const std::string_view upToZero(withZero.c_str(),
                                    std::string_view(withZero.c_str()).size() + 1);
    const int32_t units = MultiByteToWide(codePage, withZero.c_str(), -1, nullptr, 0);
    FUZZ_CHECK(units == static_cast<int32_t>(ToWide(codePage, upToZero).size()));
    std::vector<char16_t> exact(static_cast<size_t>(units));
    FUZZ_CHECK(MultiByteToWide(codePage, withZero.c_str(), -1, exact.data(), units) == units);
    FUZZ_CHECK(exact.back() == u'\0');
    return 0;
  }

  const std::u16string wide = ToWide(codePage, bytes);
  // Every unit comes from at least one byte; a unit covers at most two bytes of code page 936
  // and a UTF-8 sequence of up to four bytes gives at most two units.
  const size_t perUnit = codePage == pagewick::platform::kUtf8CodePage ? 3 : 2;
  FUZZ_CHECK(wide.size() <= bytes.size());
  FUZZ_CHECK(wide.size() * perUnit >= bytes.size());

  // Plain text after the input: bytes that cannot continue any sequence in either code page.
  static constexpr std::string_view kTail = "0;/ end";
  const std::u16string withTail = ToWide(codePage, bytes + std::string(kTail));
  FUZZ_CHECK(withTail == wide + u"0;/ end");
  // Cut where a sequence must begin (a byte below 0x40 is no trail byte in either code page),
  // the halves convert to the halves of the whole.
  size_t cut = bytes.size() / 2;
  while (cut < bytes.size() && static_cast<unsigned char>(bytes[cut]) >= 0x40) ++cut;
  const std::string_view all(bytes);
  FUZZ_CHECK(ToWide(codePage, all.substr(0, cut)) + ToWide(codePage, all.substr(cut)) == wide);

  if (longText) return 0;  // the checks below add nothing for a repeated text

  // Converting the units back gives text that converts to the same units, except where code
  // page 936 lacks a character and "?" stands in its place.
  const std::u16string again = ToWide(codePage, ToMultiByte(codePage, wide));
  FUZZ_CHECK(again.size() == wide.size());
  for (size_t i = 0; i < wide.size(); ++i) {
    FUZZ_CHECK(again[i] == wide[i] ||
               (codePage == pagewick::platform::kAnsiCodePage && again[i] == u'?'));
  }
  return 0;
}
