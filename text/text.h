// Text: the program's string value, an owned run of GBK (code page 936) bytes.
//
// A Text never holds a zero byte; building one from bytes keeps what stands before the first
// zero. "None" is the empty Text: every primitive treats both alike, in every argument.
//
// Positions are 1-based byte positions and counts are bytes, both 32-bit signed. A search that
// finds nothing gives -1. Out-of-range positions and counts never fail; each primitive states
// what it gives at the edges:
//   TextMid("abcdef", 5, 10) == "ef"     TextMid("abcdef", 0, 2) == ""
//   TextFind("abcabc", "c", 4) == 6      TextFind("abc", "") == 1, even from start 3
//
// Double-byte characters: TextFind, TextUpper, TextLower and TextToNumber take every byte of
// 0x80 or above as the first of a two-byte character and step over the pair; TextCompareCase
// uses the GBK lead bytes 0x81..0xFE. TextLeft, TextRight, TextMid, TextReplaceAt and CharCode
// count plain bytes and can cut a character in half.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace pagewick {

class Text {
 public:
  Text() = default;
  // The bytes before the first zero byte, if any.
  explicit Text(std::string_view bytes) : bytes_(bytes.substr(0, bytes.find('\0'))) {}
  // For ASCII literals ("</a></td>"); Chinese literals go through operator""_gbk (gbk.h).
  Text(const char* bytes) : Text(std::string_view(bytes ? bytes : "")) {}  // NOLINT
  explicit Text(std::string&& bytes);

  std::string_view view() const { return bytes_; }
  const std::string& str() const { return bytes_; }
  const char* c_str() const { return bytes_.c_str(); }
  bool empty() const { return bytes_.empty(); }
  int32_t size() const { return static_cast<int32_t>(bytes_.size()); }

  friend bool operator==(const Text&, const Text&) = default;

 private:
  std::string bytes_;
};

int32_t TextLength(const Text& text);

// Byte by byte, bytes unsigned: -1 when a sorts first, 1 when b does, 0 when equal.
int32_t TextCompare(const Text& a, const Text& b);

// Character by character (a GBK double-byte character is one unit). With caseSensitive false,
// A-Z equal a-z and the full-width capitals A3 C1..A3 DA equal the small ones A3 E1..A3 FA.
// Negative, 0 or positive.
int32_t TextCompareCase(const Text& a, const Text& b, bool caseSensitive);

namespace detail {
inline std::string_view ViewOf(const Text& t) { return t.view(); }
inline std::string_view ViewOf(std::string_view s) { return s.substr(0, s.find('\0')); }
inline std::string_view ViewOf(const char* s) {
  return s ? std::string_view(s) : std::string_view();
}
Text ConcatViews(std::initializer_list<std::string_view> parts);
}  // namespace detail

// The parts joined in order, measured first and allocated once.
template <typename... Parts>
Text TextConcat(const Parts&... parts) {
  return detail::ConcatViews({detail::ViewOf(parts)...});
}

// The first (last) min(count, length) bytes; empty when count <= 0.
Text TextLeft(const Text& text, int32_t count);
Text TextRight(const Text& text, int32_t count);

// count bytes from position start, cut at the end; empty when start < 1, start > length or
// count <= 0.
Text TextMid(const Text& text, int32_t start, int32_t count);

// Position of sought in text at or after start (below 1 means the first byte), or -1.
// Candidates are the starts of characters counted from start: a byte of 0x80 or above and the
// byte after it are stepped over as one character, so
//   TextFind("\xD6\xD0\xD0\xC2", "\xD0\xD0") == -1   (中新: D0 D0 is no character's start).
// An empty sought text gives 1 whenever something is left to search, else -1.
// caseOption 1 (and only 1) ignores ASCII letter case, byte by byte.
int32_t TextFind(const Text& text, const Text& sought, int32_t start = 1, int32_t caseOption = 0);

// Deletes count bytes at start (start clamped to 1..length+1, nothing when count <= 0) and puts
// replacement there: TextReplaceAt("abc", 2, 1, "XY") == "aXYc",
// TextReplaceAt("abc", 10, 2, "Z") == "abcZ".
Text TextReplaceAt(const Text& text, int32_t start, int32_t count, const Text& replacement = {});

// ASCII letters only; a byte of 0x80 or above is copied with the byte after it unchanged:
// TextUpper("\xB0" "aa") == "\xB0" "aA".
Text TextUpper(const Text& text);
Text TextLower(const Text& text);

// Leading white space, sign, digits, fraction and an exponent with E, e, D or d; full-width
// digits and signs (A3 xx), the ideographic space, the full-width tilde and the stars count as
// their ASCII forms. 0 when no digits are found: TextToNumber(" 8080abc") == 8080.
double TextToNumber(const Text& text);

// Signed decimal: NumberToText(-7) == "-7".
Text NumberToText(int32_t value);

// Capital hexadecimal without leading zeros; negative values as 32-bit two's complement:
// HexText(10) == "A", HexText(0) == "0", HexText(-1) == "FFFFFFFF".
Text HexText(int32_t value);

// The byte at position as a signed value (-128..127); 0 for a position outside the text.
// CharCode("\xD6\xD0", 1) == -42.
int32_t CharCode(const Text& text, int32_t position = 1);

// The one-byte text of the low eight bits of code; empty when that byte is 0.
// CharFromCode(321) == "A", CharFromCode(-42) == "\xD6".
Text CharFromCode(int32_t code);

// count blanks; empty when count <= 0.
Text BlankText(int32_t count);

}  // namespace pagewick
