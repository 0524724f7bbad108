// Splitting an address into the host, port and path that the request routine hands to the
// internet layer. Plain text operations: the only scheme known is "http://" (in any letter
// case); user names, fragments and escapes mean nothing here, and nothing ever fails.
//
//   UrlHost("http://Example.COM:8080/Dir/Page.html") == "example.com"   (lower case)
//   UrlPort("http://Example.COM:8080/Dir/Page.html") == 8080            (80 without a ":")
//   UrlPath("http://Example.COM:8080/Dir/Page.html") == "/Dir/Page.html"
//
// The edges follow from the rules, not from URL syntax:
//   "https://example.com/a"  -> host "https", port 0, path "//example.com/a"
//   "http://example.com?q=1" -> host "example.com?q=1" (no "/" ends it), port 80, path "/"
//   "http://example.com:/x"  -> port 0 (a ":" with no number after it)
//   "http://h/p"             -> path "//h/p" (the host is looked for from the start, and the
//                               h of http comes first)
#pragma once

#include <cstdint>

#include "text/text.h"

namespace pagewick {

// The host in lower case: the text between the "http://" prefix (or the start) and the first
// "/", up to its first ":". Possibly empty.
Text UrlHost(const Text& address);

// The number that follows the first ":" of that text, truncated toward zero (0 when it does not
// start with a number), or 80 when there is no ":". No range test: the value may lie outside
// 0..65535; one beyond the 32-bit range saturates.
int32_t UrlPort(const Text& address);

// From the first "/" at or after the first occurrence of the host (ignoring case) to the end,
// query and all, unchanged; "/" when there is none. Never empty.
Text UrlPath(const Text& address);

}  // namespace pagewick
