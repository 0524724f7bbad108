// The code page conversions on glibc iconv. Errors never stop a conversion: iconv stops at the
// offending sequence, the loop writes a replacement of its own, steps over the sequence and
// lets iconv go on. glibc's //IGNORE is not used: it drops input silently.
//
// Units are read and written through char pointers and memcpy only, so callers may hand in
// the bytes of any buffer as char16_t data.
#include <iconv.h>

#include <bit>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <limits>
#include <string_view>

#include "platform/codepage.h"

namespace pagewick::platform {
namespace {

static_assert(std::endian::native == std::endian::little, "UTF-16 units are little-endian");

constexpr std::string_view kReplacementUtf16("\xFD\xFF", 2);  // U+FFFD, little-endian
constexpr std::string_view kReplacementUtf8("\xEF\xBF\xBD", 3);
constexpr std::string_view kUnmappableAnsi("?", 1);

enum class Encoding { kAnsi, kUtf8, kUtf16 };

// One open descriptor per direction and code page, kept for the thread's life.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  void Reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }
  // Converts as much as it can; false on an error, with errno set.
  bool Run(const char*& in, size_t& inLeft, char*& out, size_t& outLeft) {
    char* inPtr = const_cast<char*>(in);
    const size_t rc = iconv(cd_, &inPtr, &inLeft, &out, &outLeft);
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

bool InRange(unsigned char byte, unsigned char low, unsigned char high) {
  return byte >= low && byte <= high;
}

// Length of the longest start of a well-formed UTF-8 character at p (at least 1), the part
// that one U+FFFD replaces.
size_t InvalidUtf8Length(const unsigned char* p, size_t left) {
  const unsigned char lead = p[0];
  unsigned char low = 0x80, high = 0xBF;  // range of the second byte
  size_t continuations = 0;
  if (InRange(lead, 0xC2, 0xDF)) {
    continuations = 1;
  } else if (InRange(lead, 0xE0, 0xEF)) {
    continuations = 2;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (InRange(lead, 0xF0, 0xF4)) {
    continuations = 3;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  }
  size_t length = 1;
  while (length <= continuations && length < left && InRange(p[length], low, high)) {
    ++length;
    low = 0x80;
    high = 0xBF;
  }
  return length;
}

// A lead byte takes a trail byte with it; anything else is one byte.
size_t InvalidAnsiLength(const unsigned char* p, size_t left) {
  if (left >= 2 && InRange(p[0], 0x81, 0xFE) && InRange(p[1], 0x40, 0xFE) && p[1] != 0x7F) {
    return 2;
  }
  return 1;
}

// A valid surrogate pair that the target lacks is one character; anything else one unit.
// Little-endian: the high byte of a unit is its second byte.
size_t InvalidUtf16Length(const unsigned char* p, size_t left) {
  if (left >= 4 && InRange(p[1], 0xD8, 0xDB) && InRange(p[3], 0xDC, 0xDF)) return 4;
  return 2;
}

// How much input one iconv call gets. glibc converts through an intermediate step and, when
// the second step fails on a character, has still run the first step over as much input as it
// could take, several thousand characters: a text full of characters that code page 936 lacks
// would cost that much per character. So after a failure iconv gets small slices, which grow
// again while they convert cleanly.
constexpr size_t kLargestSlice = 64 * 1024;
constexpr size_t kSmallestSlice = 64;

// The conversion loop. When counting, out is a scratch area that is reused as it fills up and
// only the bytes are counted; otherwise out is the caller's area and must hold everything.
// Returns the bytes produced, or -1 when out is too small (not counting) or iconv fails.
int64_t Convert(Converter& converter, Encoding from, std::string_view replacement, const char* in,
                size_t inLeft, char* out, size_t outSize, bool counting) {
  if (!converter.ok()) return -1;
  converter.Reset();
  int64_t flushed = 0;
  char* outPtr = out;
  size_t outLeft = outSize;
  auto flush = [&] {
    flushed += outPtr - out;
    outPtr = out;
    outLeft = outSize;
  };
  size_t slice = kLargestSlice;
  while (inLeft > 0) {
    size_t sliceLeft = inLeft < slice ? inLeft : slice;
    const size_t beyond = inLeft - sliceLeft;
    const bool converted = converter.Run(in, sliceLeft, outPtr, outLeft);
    const int error = errno;
    inLeft = sliceLeft + beyond;
    if (converted) {
      slice = slice < kLargestSlice ? 2 * slice : kLargestSlice;
      continue;
    }
    if (error == E2BIG) {
      if (!counting) return -1;
      flush();
      continue;
    }
    if (error == EINVAL && beyond > 0) continue;  // the sequence goes on in the next slice
    if (error != EILSEQ && error != EINVAL) return -1;
    const auto* p = reinterpret_cast<const unsigned char*>(in);
    size_t skip = 1;
    switch (from) {
      case Encoding::kAnsi:
        skip = InvalidAnsiLength(p, inLeft);
        break;
      case Encoding::kUtf8:
        skip = InvalidUtf8Length(p, inLeft);
        break;
      case Encoding::kUtf16:
        skip = InvalidUtf16Length(p, inLeft);
        break;
    }
    if (skip > inLeft) skip = inLeft;
    if (outLeft < replacement.size()) {
      if (!counting) return -1;
      flush();
    }
    std::memcpy(outPtr, replacement.data(), replacement.size());
    outPtr += replacement.size();
    outLeft -= replacement.size();
    in += skip;
    inLeft -= skip;
    slice = kSmallestSlice;
  }
  return flushed + (outPtr - out);
}

// Sizes or converts, as both public calls promise.
int32_t Deliver(Converter& converter, Encoding from, std::string_view replacement, const char* in,
                size_t inBytes, char* out, size_t outBytes, size_t unitSize) {
  if (inBytes == 0) return 0;
  int64_t produced;
  if (out == nullptr || outBytes == 0) {
    alignas(char16_t) char scratch[8192];
    produced = Convert(converter, from, replacement, in, inBytes, scratch, sizeof scratch, true);
  } else {
    produced = Convert(converter, from, replacement, in, inBytes, out, outBytes, false);
  }
  if (produced < 0) return 0;
  const int64_t units = produced / static_cast<int64_t>(unitSize);
  if (units > std::numeric_limits<int32_t>::max()) return 0;
  return static_cast<int32_t>(units);
}

}  // namespace

int32_t MultiByteToWide(uint32_t codePage, const char* source, int32_t sourceBytes, char16_t* out,
                        int32_t outUnits) {
  if (source == nullptr || sourceBytes < -1) return 0;
  const size_t inBytes =
      sourceBytes == -1 ? std::strlen(source) + 1 : static_cast<size_t>(sourceBytes);
  const bool utf8 = codePage == kUtf8CodePage;
  const size_t outBytes = outUnits > 0 ? static_cast<size_t>(outUnits) * sizeof(char16_t) : 0;
  return Deliver(ToWide(codePage), utf8 ? Encoding::kUtf8 : Encoding::kAnsi, kReplacementUtf16,
                 source, inBytes, reinterpret_cast<char*>(out), outBytes, sizeof(char16_t));
}

int32_t WideToMultiByte(uint32_t codePage, const char16_t* source, int32_t sourceUnits, char* out,
                        int32_t outBytes) {
  if (source == nullptr || sourceUnits < -1) return 0;
  const auto* bytes = reinterpret_cast<const char*>(source);
  size_t units = static_cast<size_t>(sourceUnits);
  if (sourceUnits == -1) {  // up to and including the first zero unit
    units = 0;
    while (bytes[2 * units] != 0 || bytes[2 * units + 1] != 0) ++units;
    ++units;
  }
  const bool utf8 = codePage == kUtf8CodePage;
  return Deliver(FromWide(codePage), Encoding::kUtf16, utf8 ? kReplacementUtf8 : kUnmappableAnsi,
                 bytes, units * sizeof(char16_t), out,
                 outBytes > 0 ? static_cast<size_t>(outBytes) : 0, 1);
}

}  // namespace pagewick::platform
