// The code page conversions on glibc iconv. Errors never stop a conversion: iconv reports
// the offending position and the loop writes a replacement of its own, then steps over it.
#include "platform/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <string>

namespace pagewick::platform {
namespace {

static_assert(std::endian::native == std::endian::little, "UTF-16 units are little-endian");

constexpr char16_t kReplacement = 0xFFFD;

// One open descriptor per direction and code page, kept for the thread's life.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts as much as it can; returns false on a conversion error, leaving errno set.
  bool Run(const char*& in, size_t& inLeft, char*& out, size_t& outLeft) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* inPtr = const_cast<char*>(in);
    size_t rc = iconv(cd_, &inPtr, &inLeft, &out, &outLeft);
    in = inPtr;
    return rc != static_cast<size_t>(-1);
  }

 private:
  iconv_t cd_;
};

Converter& ToWide(uint32_t codePage) {
  if (codePage == kUtf8CodePage) {
    thread_local Converter utf8("UTF-16LE", "UTF-8");
    return utf8;
  }
  thread_local Converter ansi("UTF-16LE", "CP936");
  return ansi;
}

Converter& FromWide(uint32_t codePage) {
  if (codePage == kUtf8CodePage) {
    thread_local Converter utf8("UTF-8", "UTF-16LE");
    return utf8;
  }
  thread_local Converter ansi("CP936", "UTF-16LE");
  return ansi;
}

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Hands the result to the caller the way both calls promise: size only, or a copy when it fits.
template <typename Unit>
int32_t Deliver(const std::basic_string<Unit>& result, Unit* out, int32_t outUnits) {
  const auto size = static_cast<int32_t>(result.size());
  if (out == nullptr || outUnits <= 0) return size;
  if (size > outUnits) return 0;
  std::memcpy(out, result.data(), result.size() * sizeof(Unit));
  return size;
}

}  // namespace

int32_t MultiByteToWide(uint32_t codePage, const char* source, int32_t sourceBytes, char16_t* out,
                        int32_t outUnits) {
  if (source == nullptr) return 0;
  size_t inLeft = sourceBytes < 0 ? std::strlen(source) + 1 : static_cast<size_t>(sourceBytes);
  std::u16string result(inLeft, u'\0');  // never more units than bytes
  const char* in = source;
  char* outPtr = reinterpret_cast<char*>(result.data());
  size_t outLeft = result.size() * sizeof(char16_t);
  Converter& converter = ToWide(codePage);
  while (!converter.Run(in, inLeft, outPtr, outLeft)) {
    if (errno == E2BIG) break;  // cannot happen: one unit per byte at most
    // EILSEQ or EINVAL: replace one byte and go on.
    std::memcpy(outPtr, &kReplacement, sizeof kReplacement);
    outPtr += sizeof kReplacement;
    outLeft -= sizeof kReplacement;
    ++in;
    --inLeft;
  }
  result.resize((outPtr - reinterpret_cast<char*>(result.data())) / sizeof(char16_t));
  return Deliver(result, out, outUnits);
}

int32_t WideToMultiByte(uint32_t codePage, const char16_t* source, int32_t sourceUnits, char* out,
                        int32_t outBytes) {
  if (source == nullptr) return 0;
  size_t units = 0;
  if (sourceUnits < 0) {
    while (source[units] != 0) ++units;
    ++units;
  } else {
    units = static_cast<size_t>(sourceUnits);
  }
  const bool utf8 = codePage == kUtf8CodePage;
  // UTF-8 takes at most three bytes per unit, code page 936 at most two.
  std::string result(units * (utf8 ? 3 : 2), '\0');
  const char* in = reinterpret_cast<const char*>(source);
  size_t inLeft = units * sizeof(char16_t);
  char* outPtr = result.data();
  size_t outLeft = result.size();
  Converter& converter = FromWide(codePage);
  while (!converter.Run(in, inLeft, outPtr, outLeft)) {
    if (errno == E2BIG) break;
    const auto* unit = reinterpret_cast<const char16_t*>(in);
    size_t skip = 1;
    bool validPair = inLeft >= 4 && IsHighSurrogate(unit[0]) && IsLowSurrogate(unit[1]);
    if (validPair) skip = 2;
    if (utf8) {  // only a lone surrogate fails in UTF-8
      std::memcpy(outPtr, "\xEF\xBF\xBD", 3);
      outPtr += 3;
      outLeft -= 3;
    } else {
      *outPtr++ = '?';
      --outLeft;
    }
    in += skip * sizeof(char16_t);
    inLeft -= std::min(inLeft, skip * sizeof(char16_t));
  }
  result.resize(outPtr - result.data());
  return Deliver(result, out, outBytes);
}

}  // namespace pagewick::platform
