#include "sites/file_names.h"

#include <cstring>
#include <string>

#include "text/gbk.h"

namespace pagewick {
namespace {

constexpr size_t kMaxNameBytes = 255;  // NAME_MAX of the usual Linux file systems

bool IsForbidden(unsigned char byte) {
  if (byte < 0x20 || byte == 0x7F || byte == '/' || byte == '\\') return true;
#ifdef _WIN32
  if (std::strchr("<>:\"|?*", byte) != nullptr) return true;
#endif
  return false;
}

// Bytes of one character starting at i, as the code page layer reads them on the way to the
// disk: two for a lead byte 0x81..0xFE and a byte 0x40..0xFE (not 0x7F) after it, else one. A
// lead byte before any other byte is a character by itself (U+FFFD on disk), and that other
// byte one of its own: "\xB0/" is U+FFFD and a separator.
size_t CharWidth(std::string_view s, size_t i) {
  if (i + 1 >= s.size()) return 1;
  const auto lead = static_cast<unsigned char>(s[i]);
  const auto next = static_cast<unsigned char>(s[i + 1]);
  return lead >= 0x81 && lead <= 0xFE && next >= 0x40 && next <= 0xFE && next != 0x7F ? 2 : 1;
}

#ifdef _WIN32
// Windows takes these names, in any letter case and with any extension, for devices.
bool IsReservedName(std::string_view name) {
  std::string base(name.substr(0, name.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
  return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) &&
         base[3] >= '1' && base[3] <= '9';
}
#endif

}  // namespace

Text SafeFileName(const Text& stem, const Text& extension) {
  const std::string_view in = stem.view();
  std::string safe;
  safe.reserve(in.size());
  size_t utf8Bytes = TextToUtf8(extension).size();
  for (size_t i = 0; i < in.size();) {
    const size_t width = CharWidth(in, i);
    const std::string_view ch = in.substr(i, width);
    // A byte of 0x80 or above alone takes three bytes on disk (the euro sign or U+FFFD).
    const size_t chUtf8 =
        static_cast<unsigned char>(ch[0]) < 0x80 ? 1 : TextToUtf8(Text(ch)).size();
    if (utf8Bytes + chUtf8 > kMaxNameBytes) break;
    utf8Bytes += chUtf8;
    if (width == 1 && IsForbidden(static_cast<unsigned char>(ch[0]))) {
      safe.push_back('_');
    } else {
      safe.append(ch);
    }
    i += width;
  }
  std::string name = TextConcat(Text(std::move(safe)), extension).str();
#ifdef _WIN32
  // Windows drops trailing dots and blanks, and opens devices under the reserved names.
  for (size_t end = name.size(); end > 0 && (name[end - 1] == '.' || name[end - 1] == ' ');) {
    name[--end] = '_';
  }
  if (IsReservedName(name)) name = "_" + name;
#endif
  return Text(std::move(name));
}

Text EncodeFormValue(const Text& value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(value.view().size() * 3);
  for (const char c : value.view()) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
        (byte >= '0' && byte <= '9') || std::strchr("-_.*", byte) != nullptr) {
      out.push_back(c);
    } else if (byte == ' ') {
      out.push_back('+');
    } else {
      out.push_back('%');
      out.push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 0x0F]);
    }
  }
  return Text(std::move(out));
}

}  // namespace pagewick
