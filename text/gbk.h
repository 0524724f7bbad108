// Crossing between the program's GBK texts and UTF-8, the encoding of the source files, of
// Qt's boundary and of Linux file names.
//
// A Chinese literal is written readably in the source and becomes GBK once, on first use:
//   const Text& placeholder = "请输入小说名字"_gbk;   // a static Text, built once
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "text/text.h"

namespace pagewick {

// GBK from UTF-8 and back, through the code page layer. Characters that GBK lacks become "?";
// invalid input becomes a replacement character and the conversion goes on.
Text TextFromUtf8(std::string_view utf8);
std::string TextToUtf8(const Text& text);

namespace detail {
template <size_t N>
struct Utf8Literal {
  char bytes[N];
  constexpr Utf8Literal(const char (&literal)[N]) {  // NOLINT: implicit by design
    for (size_t i = 0; i < N; ++i) bytes[i] = literal[i];
  }
};
}  // namespace detail

inline namespace literals {
template <detail::Utf8Literal Literal>
const Text& operator""_gbk() {
  static const Text text = TextFromUtf8(std::string_view(Literal.bytes, sizeof(Literal.bytes) - 1));
  return text;
}
}  // namespace literals

}  // namespace pagewick
