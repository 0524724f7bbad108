#include "text/text.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace pagewick {
namespace {

bool IsHigh(unsigned char byte) { return byte >= 0x80; }

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// The first raw occurrence of sought in [from, end of text), or nullptr. memmem is glibc's; the
// Windows C runtime has none, and there the standard search stands in.
const char* FindRaw(std::string_view text, std::string_view sought, size_t from) {
#ifdef _WIN32
  const size_t at = text.find(sought, from);
  return at == std::string_view::npos ? nullptr : text.data() + at;
#else
  return static_cast<const char*>(
      memmem(text.data() + from, text.size() - from, sought.data(), sought.size()));
#endif
}

// Finds sought at a character start at or after offset; exact bytes. memmem finds each raw
// occurrence, which is then checked to lie on a character start: counting from a start we
// know of, every plain byte ends a character (it is a single byte or a second byte), so a hit
// is on a start exactly when the run of high bytes right before it has an even length.
int32_t FindExact(std::string_view text, std::string_view sought, size_t offset) {
  const char* base = text.data();
  size_t knownStart = offset;  // a character start at or before every hit examined
  size_t from = offset;
  while (from + sought.size() <= text.size()) {
    const char* hit = FindRaw(text, sought, from);
    if (hit == nullptr) return -1;
    const size_t at = hit - base;
    size_t run = 0;
    while (run < at - knownStart && IsHigh(base[at - 1 - run])) ++run;
    if (run % 2 == 0) return static_cast<int32_t>(at + 1);
    // at is the second byte of a pair: the next character starts right after it.
    knownStart = at + 1;
    from = at + 1;
  }
  return -1;
}

int32_t FindIgnoringCase(std::string_view text, std::string_view sought, size_t offset) {
  const size_t k = sought.size();
  size_t at = offset;
  while (at + k <= text.size()) {
    bool match = true;
    for (size_t j = 0; j < k; ++j) {
      if (AsciiLower(text[at + j]) != AsciiLower(sought[j])) {
        match = false;
        break;
      }
    }
    if (match) return static_cast<int32_t>(at + 1);
    if (IsHigh(text[at])) {
      if (at + 1 == text.size()) return -1;
      at += 2;
    } else {
      at += 1;
    }
  }
  return -1;
}

template <typename Transform>
Text MapAscii(const Text& text, Transform transform) {
  std::string out = text.str();
  for (size_t i = 0; i < out.size(); ++i) {
    if (IsHigh(out[i])) {
      ++i;  // the second byte of the pair stays as it is
    } else {
      out[i] = transform(out[i]);
    }
  }
  return Text(std::move(out));
}

}  // namespace

Text::Text(std::string&& bytes) : bytes_(std::move(bytes)) {
  const size_t zero = bytes_.find('\0');
  if (zero != std::string::npos) bytes_.resize(zero);
}

int32_t TextLength(const Text& text) { return text.size(); }

int32_t TextCompare(const Text& a, const Text& b) {
  const int c = a.view().compare(b.view());  // char_traits<char> compares as unsigned char
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int32_t TextCompareCase(const Text& a, const Text& b, bool caseSensitive) {
  auto next = [](std::string_view s, size_t& i) -> int32_t {
    const auto lead = static_cast<unsigned char>(s[i]);
    if (lead >= 0x81 && lead <= 0xFE && i + 1 < s.size()) {
      const auto trail = static_cast<unsigned char>(s[i + 1]);
      i += 2;
      return lead * 256 + trail;
    }
    ++i;
    return lead;
  };
  auto fold = [](int32_t unit) {
    if (unit >= 'A' && unit <= 'Z') return unit + 32;
    if (unit >= 0xA3C1 && unit <= 0xA3DA) return unit + 0x20;  // full-width capitals
    return unit;
  };
  std::string_view x = a.view(), y = b.view();
  size_t i = 0, j = 0;
  while (i < x.size() && j < y.size()) {
    int32_t u = next(x, i), v = next(y, j);
    if (!caseSensitive) {
      u = fold(u);
      v = fold(v);
    }
    if (u != v) return u < v ? -1 : 1;
  }
  if (i < x.size()) return 1;
  if (j < y.size()) return -1;
  return 0;
}

namespace detail {
Text ConcatViews(std::initializer_list<std::string_view> parts) {
  size_t total = 0;
  for (std::string_view part : parts) total += part.size();
  std::string out;
  out.reserve(total);
  for (std::string_view part : parts) out.append(part);
  return Text(std::move(out));
}
}  // namespace detail

Text TextLeft(const Text& text, int32_t count) {
  if (count <= 0) return {};
  return Text(text.view().substr(0, static_cast<size_t>(count)));
}

Text TextRight(const Text& text, int32_t count) {
  if (count <= 0) return {};
  const size_t n = std::min(static_cast<size_t>(count), text.view().size());
  return Text(text.view().substr(text.view().size() - n));
}

Text TextMid(const Text& text, int32_t start, int32_t count) {
  if (start < 1 || start > text.size() || count <= 0) return {};
  return Text(text.view().substr(static_cast<size_t>(start - 1), static_cast<size_t>(count)));
}

int32_t TextFind(const Text& text, const Text& sought, int32_t start, int32_t caseOption) {
  const std::string_view t = text.view();
  const size_t offset = start <= 1 ? 0 : static_cast<size_t>(start) - 1;
  if (offset >= t.size()) return -1;
  if (sought.empty()) return 1;
  if (caseOption == 1) return FindIgnoringCase(t, sought.view(), offset);
  return FindExact(t, sought.view(), offset);
}

Text TextReplaceAt(const Text& text, int32_t start, int32_t count, const Text& replacement) {
  const std::string_view t = text.view();
  const size_t p = start <= 1 ? 0 : std::min(static_cast<size_t>(start) - 1, t.size());
  const size_t removed = count > 0 ? std::min(static_cast<size_t>(count), t.size() - p) : 0;
  std::string out;
  out.reserve(t.size() - removed + replacement.view().size());
  out.append(t.substr(0, p)).append(replacement.view()).append(t.substr(p + removed));
  return Text(std::move(out));
}

Text TextUpper(const Text& text) { return MapAscii(text, AsciiUpper); }
Text TextLower(const Text& text) { return MapAscii(text, AsciiLower); }

double TextToNumber(const Text& text) {
  // Fold the full-width forms to ASCII first.
  const std::string_view t = text.view();
  std::string s;
  s.reserve(t.size());
  for (size_t i = 0; i < t.size(); ++i) {
    const auto b = static_cast<unsigned char>(t[i]);
    if (b < 0x80 || i + 1 >= t.size()) {
      s.push_back(t[i]);
      continue;
    }
    const auto c = static_cast<unsigned char>(t[i + 1]);
    if (b == 0xA3 && c >= 0xA1 && c <= 0xFE) {
      s.push_back(static_cast<char>(c - 0x80));
    } else if (b == 0xA1 && c == 0xA1) {
      s.push_back(' ');
    } else if (b == 0xA1 && c == 0xAB) {
      s.push_back('~');
    } else if (b == 0xA1 && (c == 0xEE || c == 0xEF)) {
      s.push_back('*');
    } else {
      s.push_back(t[i]);
      s.push_back(t[i + 1]);
    }
    ++i;
  }
  // Then take the longest prefix that reads as a number, and let strtod value it.
  size_t i = 0;
  while (i < s.size() && std::strchr(" \t\n\v\f\r", s[i]) != nullptr && s[i] != '\0') ++i;
  std::string number;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) number.push_back(s[i++]);
  bool digits = false;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') number.push_back(s[i++]), digits = true;
  if (i < s.size() && s[i] == '.') {
    number.push_back(s[i++]);
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') number.push_back(s[i++]), digits = true;
  }
  if (!digits) return 0;
  if (i < s.size() && std::strchr("EeDd", s[i]) != nullptr) {
    size_t j = i + 1;
    std::string exponent = "e";
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent.push_back(s[j++]);
    bool expDigits = false;
    while (j < s.size() && s[j] >= '0' && s[j] <= '9') exponent.push_back(s[j++]), expDigits = true;
    if (expDigits) number += exponent;
  }
  return std::strtod(number.c_str(), nullptr);
}

Text NumberToText(int32_t value) { return Text(std::to_string(value)); }

Text HexText(int32_t value) {
  char buffer[9];
  std::snprintf(buffer, sizeof buffer, "%X", static_cast<uint32_t>(value));
  return Text(buffer);
}

int32_t CharCode(const Text& text, int32_t position) {
  if (position < 1 || position > text.size()) return 0;
  return static_cast<signed char>(text.view()[static_cast<size_t>(position - 1)]);
}

Text CharFromCode(int32_t code) {
  const char byte = static_cast<char>(static_cast<uint32_t>(code) & 0xFF);
  return Text(std::string(1, byte));
}

Text BlankText(int32_t count) {
  if (count <= 0) return {};
  return Text(std::string(static_cast<size_t>(count), ' '));
}

}  // namespace pagewick
