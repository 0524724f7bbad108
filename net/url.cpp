#include "net/url.h"

#include <cmath>
#include <limits>

namespace pagewick {
namespace {

constexpr int32_t kIgnoreCase = 1;

// The text between the prefix (or the start) and the first "/" after it.
Text HostAndPort(const Text& address) {
  const bool hasPrefix = TextCompareCase(TextLeft(address, 7), "http://", false) == 0;
  if (hasPrefix) {
    const int32_t slash = TextFind(address, "/", 8, kIgnoreCase);
    if (slash != -1) return TextMid(address, 8, slash - 8);
    return TextReplaceAt(address, 1, 7);
  }
  const int32_t slash = TextFind(address, "/", 1, kIgnoreCase);
  if (slash != -1) return TextLeft(address, slash - 1);
  return address;
}

int32_t TruncateToInt32(double value) {
  if (std::isnan(value)) return 0;
  const double whole = std::trunc(value);
  if (whole >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
    return std::numeric_limits<int32_t>::max();
  }
  if (whole <= static_cast<double>(std::numeric_limits<int32_t>::min())) {
    return std::numeric_limits<int32_t>::min();
  }
  return static_cast<int32_t>(whole);
}

}  // namespace

Text UrlHost(const Text& address) {
  Text host = HostAndPort(address);
  const int32_t colon = TextFind(host, ":", 1, kIgnoreCase);
  if (colon != -1) host = TextLeft(host, colon - 1);
  return TextLower(host);
}

int32_t UrlPort(const Text& address) {
  const Text hostAndPort = HostAndPort(address);
  const int32_t colon = TextFind(hostAndPort, ":", 1, kIgnoreCase);
  const Text port =
      colon != -1 ? TextRight(hostAndPort, TextLength(hostAndPort) - colon) : Text("80");
  return TruncateToInt32(TextToNumber(port));
}

Text UrlPath(const Text& address) {
  const Text host = UrlHost(address);
  const int32_t hostAt = TextFind(address, host, 1, kIgnoreCase);
  const int32_t slash = TextFind(address, "/", hostAt, kIgnoreCase);
  if (slash == -1) return "/";
  return TextRight(address, TextLength(address) - slash + 1);
}

}  // namespace pagewick
