// What every fuzz target shares: cutting the fuzzer's bytes into arguments, checking a property
// so that a violation stops the run like a crash, and slow step-by-step references.
//
// Input layout: a target first takes its small arguments (one selector byte each, see
// TakePosition), then its texts, each ended by a zero byte (a Text can never hold one), and
// the last text runs to the end. So "\x05" "<b>" "\0" "</b>" "\0" "x<b>Name</b>" gives a
// position selector, two markers and a source.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace pagewick::fuzz {

// The input being replayed, named in failure reports (set by the replay main).
inline const char* currentInput = nullptr;

[[noreturn]] inline void Fail(const char* file, int line, const char* condition) {
  std::fprintf(stderr, "%s:%d: property violated: %s\n", file, line, condition);
  if (currentInput != nullptr) std::fprintf(stderr, "  input: %s\n", currentInput);
  std::abort();
}

// A property that must hold; a violation aborts, which libFuzzer saves as a crash input.
#define FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : ::pagewick::fuzz::Fail(__FILE__, __LINE__, #condition))

class Input {
 public:
  Input(const uint8_t* data, size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

  // One byte; 0 when nothing is left.
  uint8_t TakeByte() {
    if (rest_.empty()) return 0;
    const auto b = static_cast<uint8_t>(rest_[0]);
    rest_.remove_prefix(1);
    return b;
  }

  // A 32-bit position or count from one selector byte: mostly small values around the texts'
  // lengths (-8..231), and for the top 16 selectors the values at the edges of the range.
  int32_t TakePosition() {
    static constexpr int32_t kEdges[16] = {
        INT32_MIN, INT32_MIN + 1, -65536,        -1000,    -256,  -2,
        256,       300,           1000,          4096,     65535, 65536,
        1 << 30,   INT32_MAX - 8, INT32_MAX - 1, INT32_MAX};
    const uint8_t b = TakeByte();
    return b >= 0xF0 ? kEdges[b - 0xF0] : static_cast<int32_t>(b) - 8;
  }

  // The bytes up to the next zero byte (which is consumed), or all that is left.
  std::string_view TakeText() {
    const size_t end = rest_.find('\0');
    const std::string_view part = rest_.substr(0, end);
    rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
    return part;
  }

  // Everything left, zero bytes included.
  std::string_view Rest() {
    const std::string_view all = rest_;
    rest_ = {};
    return all;
  }

 private:
  std::string_view rest_;
};

inline bool IsHigh(char c) { return static_cast<unsigned char>(c) >= 0x80; }
inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// TextFind stepped character by character exactly as the search is described: candidates
// start at max(start - 1, 0); a byte of 0x80 or above and the byte after it are one
// character; a high byte that is the last byte ends the search; case option 1 folds A-Z on
// both sides, byte by byte.
inline int32_t SlowFind(std::string_view t, std::string_view u, int32_t start, int32_t caseOption) {
  const int64_t offset64 = start < 1 ? 0 : static_cast<int64_t>(start) - 1;
  if (offset64 >= static_cast<int64_t>(t.size())) return -1;
  if (u.empty()) return 1;
  size_t c = static_cast<size_t>(offset64);
  while (t.size() - c >= u.size()) {
    bool match = true;
    for (size_t j = 0; j < u.size() && match; ++j) {
      match = caseOption == 1 ? AsciiLower(t[c + j]) == AsciiLower(u[j]) : t[c + j] == u[j];
    }
    if (match) return static_cast<int32_t>(c + 1);
    if (IsHigh(t[c])) {
      if (c + 1 == t.size()) return -1;
      c += 2;
    } else {
      c += 1;
    }
  }
  return -1;
}

}  // namespace pagewick::fuzz
