#include "text/gbk.h"

#include <string>

#include "platform/codepage.h"

namespace pagewick {
namespace {

std::string Convert(uint32_t fromCodePage, uint32_t toCodePage, std::string_view bytes) {
  using namespace platform;
  if (bytes.empty()) return {};
  const auto length = static_cast<int32_t>(bytes.size());
  const int32_t units = MultiByteToWide(fromCodePage, bytes.data(), length, nullptr, 0);
  std::u16string wide(static_cast<size_t>(units), u'\0');
  MultiByteToWide(fromCodePage, bytes.data(), length, wide.data(), units);
  const int32_t size = WideToMultiByte(toCodePage, wide.data(), units, nullptr, 0);
  std::string out(static_cast<size_t>(size), '\0');
  WideToMultiByte(toCodePage, wide.data(), units, out.data(), size);
  return out;
}

}  // namespace

Text TextFromUtf8(std::string_view utf8) {
  return Text(Convert(platform::kUtf8CodePage, platform::kAnsiCodePage, utf8));
}

std::string TextToUtf8(const Text& text) {
  return Convert(platform::kAnsiCodePage, platform::kUtf8CodePage, text.view());
}

}  // namespace pagewick
