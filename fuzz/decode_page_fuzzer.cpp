// DecodePage on any page: the conversion never stops early (text after any page comes out
// whole at the end, after exactly what the page gives alone), the result is never longer than
// the page, a plain ASCII page without "%" comes back unchanged, and escaping every byte of a
// page without "%" changes nothing.
// Input: selector byte (bit 0: escape with small hexadecimal digits), then the page.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "encoding/page_decoding.h"
#include "fuzz/fuzz_support.h"
#include "text/text.h"

using pagewick::DecodePage;
using pagewick::Text;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pagewick::fuzz::Input input(data, size);
  const bool smallDigits = (input.TakeByte() & 1) != 0;
  const Text page(input.TakeText());
  const std::string_view p = page.view();

  const Text decoded = DecodePage(page);
  FUZZ_CHECK(decoded.size() <= page.size());

  // "zz" closes any escape the page leaves open and any UTF-8 sequence it cuts short.
  const Text closed = DecodePage(Text(page.str() + "zz"));
  FUZZ_CHECK(DecodePage(Text(page.str() + "zz;end")) == Text(closed.str() + ";end"));

  if (p.find('%') != std::string_view::npos) return 0;
  bool ascii = true;
  for (char c : p) ascii = ascii && !pagewick::fuzz::IsHigh(c);
  if (ascii) FUZZ_CHECK(decoded == page);

  const char* digits = smallDigits ? "0123456789abcdef" : "0123456789ABCDEF";
  std::string escaped;
  for (char c : p) {
    const auto byte = static_cast<unsigned char>(c);
    escaped += {'%', digits[byte >> 4], digits[byte & 15]};
  }
  FUZZ_CHECK(DecodePage(Text(std::move(escaped))) == decoded);
  return 0;
}
