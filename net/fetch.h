// The plain page fetch and the download of a file.
//
// FetchPage: one HTTP/1.0 GET carrying "Accept: */*" and nothing else of its own, for http and
// https addresses; the fragment ("#...") is never sent. It follows the system's proxy settings
// (the usual proxy variables) and runs no events while it works. The body comes back whole, zero
// bytes included; an empty buffer on any failure before the body (empty address, an address that
// cannot be split or does not fit the split's limits, another scheme, no connection), and the
// bytes read so far when a read fails part-way. No status is examined. One root handle serves
// all fetches: opened by the first, kept, opened again by the next fetch when an open failed,
// and closed when the program ends.
//   FetchPage("http://host/page.html#part")  // asks for /page.html
//
// DownloadToFile: saves the body at an http or https address to filePath (GBK, as every Text;
// turned into a UTF-8 path here). 0 exactly when the file was saved, which happens only when the
// final answer (after redirects) has a 2xx status and its body arrived whole; then it replaces
// any file of that name. Any failure (error status, broken connection, unwritable folder, an
// address that is not http or https) gives a non-zero status, leaves no file behind and leaves
// an existing file of that name as it was. Runs no events.
#pragma once

#include <cstdint>

#include "text/bytes.h"
#include "text/text.h"

namespace pagewick {

ByteBuffer FetchPage(const Text& address);

int32_t DownloadToFile(const Text& address, const Text& filePath);

// The size of each read of FetchPage, from the answer's Content-Length text (empty when it has
// none): a number n of 1 or more gives n + 1, at most 102400; anything else gives 10240.
//   FetchReadPieceSize("99") == 100, FetchReadPieceSize("abc") == 10240
int32_t FetchReadPieceSize(const Text& contentLength);

}  // namespace pagewick
