// WideToMultiByte for code pages 0 (936) and 65001 on any UTF-16 units: the sizing call and the
// converting call agree, the result fits exactly, a buffer one byte short gets nothing, the
// conversion never stops early, and the halves of a text cut outside a surrogate pair convert
// to the halves of its conversion. UTF-8 is compared with an encoder written out here (a lone
// surrogate becomes U+FFFD); code page 936 gives one character or "?" for every unit or pair.
// Input: selector byte (bit 0: code page 65001; bit 1: a length of -1, through the first zero
// unit; bits 2 and 3: repeat the units past 9000, more than the sizing call's scratch area
// holds), then the units, two bytes each, little-endian (an odd last byte is dropped).
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

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

std::string SlowUtf8(const std::u16string& wide) {
  std::string out;
  auto put = [&out](char32_t c) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  };
  for (size_t i = 0; i < wide.size(); ++i) {
    const char16_t u = wide[i];
    if (IsHighSurrogate(u) && i + 1 < wide.size() && IsLowSurrogate(wide[i + 1])) {
      put(0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (wide[i + 1] - 0xDC00));
      ++i;
    } else if (IsHighSurrogate(u) || IsLowSurrogate(u)) {
      put(0xFFFD);
    } else {
      put(u);
    }
  }
  return out;
}

std::string ToMultiByte(uint32_t codePage, const std::u16string& wide) {
  const auto length = static_cast<int32_t>(wide.size());
  const int32_t bytes = WideToMultiByte(codePage, wide.data(), length, nullptr, 0);
  FUZZ_CHECK(bytes >= 0);
  if (bytes == 0) return {};
  std::vector<char> exact(static_cast<size_t>(bytes));
  FUZZ_CHECK(WideToMultiByte(codePage, wide.data(), length, exact.data(), bytes) == bytes);
  if (bytes > 1) {
    std::vector<char> shorter(static_cast<size_t>(bytes - 1));
    FUZZ_CHECK(WideToMultiByte(codePage, wide.data(), length, shorter.data(), bytes - 1) == 0);
  }
  return std::string(exact.begin(), exact.end());
}

std::u16string ToWide(uint32_t codePage, std::string_view bytes) {
  const auto length = static_cast<int32_t>(bytes.size());
  const int32_t units = MultiByteToWide(codePage, bytes.data(), length, nullptr, 0);
  if (units <= 0) return {};
  std::vector<char16_t> exact(static_cast<size_t>(units));
  FUZZ_CHECK(MultiByteToWide(codePage, bytes.data(), length, exact.data(), units) == units);
  return std::u16string(exact.begin(), exact.end());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pagewick::fuzz::Input input(data, size);
  const uint8_t selector = input.TakeByte();
  const bool utf8 = (selector & 1) != 0;
  const uint32_t codePage =
      utf8 ? pagewick::platform::kUtf8CodePage : pagewick::platform::kAnsiCodePage;
  const std::string_view raw = input.Rest();
  std::u16string wide(raw.size() / 2, u'\0');
  for (size_t i = 0; i < wide.size(); ++i) {
    wide[i] = static_cast<char16_t>(static_cast<uint8_t>(raw[2 * i]) |
                                    static_cast<uint8_t>(raw[2 * i + 1]) << 8);
  }
  // Long texts go through the sizing call's scratch area more than once.
  const bool longText = (selector & 12) == 12 && !wide.empty();
  if (longText) {
    while (wide.size() < 9000) wide += wide;
  }

  if (selector & 2) {
    // A length of -1 converts through the first zero unit, that zero included.
    std::u16string withZero = wide + u'\0';
    const std::u16string upToZero = withZero.substr(0, withZero.find(u'\0') + 1);
    const int32_t bytes = WideToMultiByte(codePage, withZero.c_str(), -1, nullptr, 0);
    FUZZ_CHECK(bytes == static_cast<int32_t>(ToMultiByte(codePage, upToZero).size()));
    std::vector<char> exact(static_cast<size_t>(bytes));
    FUZZ_CHECK(WideToMultiByte(codePage, withZero.c_str(), -1, exact.data(), bytes) == bytes);
    FUZZ_CHECK(exact.back() == '\0');
    return 0;
  }

  const std::string bytes = ToMultiByte(codePage, wide);
  // Cut anywhere but inside a surrogate pair, the halves convert to the halves of the whole.
  size_t cut = wide.size() / 2;
  if (cut > 0 && cut < wide.size() && IsHighSurrogate(wide[cut - 1]) && IsLowSurrogate(wide[cut])) {
    ++cut;
  }
  FUZZ_CHECK(ToMultiByte(codePage, wide.substr(0, cut)) + ToMultiByte(codePage, wide.substr(cut)) ==
             bytes);
  if (utf8) {
    FUZZ_CHECK(bytes == SlowUtf8(wide));
    return 0;
  }

  // Code page 936: each unit, or surrogate pair, becomes one character of one or two bytes,
  // which converts back to that unit or to "?".
  FUZZ_CHECK(bytes.size() <= 2 * wide.size());
  const std::string withTail = ToMultiByte(codePage, wide + u"0;/ end");
  FUZZ_CHECK(withTail == bytes + "0;/ end");
  if (longText) return 0;  // the check below adds nothing for a repeated text
  const std::u16string back = ToWide(codePage, bytes);
  size_t j = 0;
  for (size_t i = 0; i < wide.size(); ++i, ++j) {
    FUZZ_CHECK(j < back.size());
    const char16_t u = wide[i];
    if (IsHighSurrogate(u) && i + 1 < wide.size() && IsLowSurrogate(wide[i + 1])) {
      ++i;  // a pair: code page 936 has no character outside the basic plane
      FUZZ_CHECK(back[j] == u'?');
    } else if (IsHighSurrogate(u) || IsLowSurrogate(u)) {
      FUZZ_CHECK(back[j] == u'?');
    } else {
      FUZZ_CHECK(back[j] == u || back[j] == u'?');
    }
  }
  FUZZ_CHECK(j == back.size());
  return 0;
}
