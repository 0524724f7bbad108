// UrlHost, UrlPort and UrlPath on any address, and on addresses built as
// "http://" + host + [":" + port] + path, whose pieces must come back.
// Input: selector byte (bit 0: build an address; bit 1: give it a port; bits 2-5: capitals
// in "http"), then for a built address the host, a zero byte, the port digits, a zero byte and
// the path; otherwise the whole address.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "net/url.h"
#include "text/text.h"

using pagewick::Text;
using pagewick::fuzz::SlowFind;

namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = pagewick::fuzz::AsciiLower(c);
  return out;
}

// Letters, digits, "." and "-" stay; any other byte becomes one of them.
char HostChar(char c) {
  static constexpr std::string_view kHostChars =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-";
  if (kHostChars.find(c) != std::string_view::npos) return c;
  return kHostChars[static_cast<unsigned char>(c) % kHostChars.size()];
}

char Digit(char c) {
  return (c >= '0' && c <= '9') ? c : static_cast<char>('0' + static_cast<unsigned char>(c) % 10);
}

// What must hold for every address.
void CheckAnyAddress(const Text& address) {
  const Text host = pagewick::UrlHost(address);
  const int32_t port = pagewick::UrlPort(address);
  const Text path = pagewick::UrlPath(address);
  const std::string_view a = address.view(), h = host.view(), p = path.view();

  // The path begins with "/" and is the end of the address, or just "/".
  FUZZ_CHECK(!p.empty() && p.front() == '/');
  FUZZ_CHECK(p == "/" || a.ends_with(p));
  // The host is lower case (second bytes of double-byte characters aside), stands in the
  // address, and holds no "/" or ":" where a character starts.
  FUZZ_CHECK(pagewick::TextLower(host) == host);
  FUZZ_CHECK(h.empty() || SlowFind(a, h, 1, 1) != -1);
  FUZZ_CHECK(SlowFind(h, "/", 1, 0) == -1 && SlowFind(h, ":", 1, 0) == -1);
  // Without a ":" after the host the port is 80.
  const bool prefixed = Lower(a.substr(0, 7)) == "http://";
  const std::string_view rest = prefixed ? a.substr(7) : a;
  const int32_t slash = SlowFind(rest, "/", 1, 1);
  const std::string_view hostAndPort =
      slash == -1 ? rest : rest.substr(0, static_cast<size_t>(slash - 1));
  if (SlowFind(hostAndPort, ":", 1, 1) == -1) FUZZ_CHECK(port == 80);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pagewick::fuzz::Input input(data, size);
  const uint8_t selector = input.TakeByte();
  if ((selector & 1) == 0) {
    CheckAnyAddress(Text(input.TakeText()));
    return 0;
  }

  // A built address: a host of letters, digits, "." and "-"; a port of up to five digits; a
  // path that begins with "/" (or none).
  std::string host;
  for (char c : input.TakeText()) host += HostChar(c);
  if (host.empty()) host = "example.com";
  std::string portDigits;
  for (char c : input.TakeText().substr(0, 5)) portDigits += Digit(c);
  if (portDigits.empty()) portDigits = "8080";
  const bool withPort = (selector & 2) != 0;
  std::string path(input.TakeText());
  if (!path.empty() && path.front() != '/') path.insert(path.begin(), '/');

  std::string prefix = "http://";
  for (size_t i = 0; i < 4; ++i) {
    if (selector & (4 << i)) prefix[i] = static_cast<char>(prefix[i] - 32);
  }
  const std::string address = prefix + host + (withPort ? ":" + portDigits : std::string()) + path;
  const Text text(address);
  CheckAnyAddress(text);

  FUZZ_CHECK(pagewick::UrlHost(text).view() == Lower(host));
  FUZZ_CHECK(pagewick::UrlPort(text) == (withPort ? std::stoi(portDigits) : 80));
  // A host that is a piece of the word http is found inside the prefix, and the path then
  // begins at the prefix's own "//".
  const std::string expectedPath =
      std::string_view("http").find(Lower(host)) != std::string_view::npos
          ? address.substr(5)
          : (path.empty() ? "/" : path);
  FUZZ_CHECK(pagewick::UrlPath(text).view() == expectedPath);
  return 0;
}
