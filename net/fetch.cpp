#include "net/fetch.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "net/user_agent.h"
#include "platform/inet.h"
#include "text/gbk.h"

namespace pagewick {
namespace {

constexpr int32_t kLargestPiece = 102400;
constexpr int32_t kPieceWithoutLength = 10240;
constexpr int32_t kLargestReserve = 64 << 20;

// The page fetch's root handle, from the first fetch to the end of the program.
std::optional<platform::InternetRoot>& FetchRoot() {
  static std::optional<platform::InternetRoot> root;
  return root;
}

}  // namespace

int32_t FetchReadPieceSize(const Text& contentLength) {
  const double length = std::trunc(TextToNumber(contentLength));
  if (!(length >= 1)) return kPieceWithoutLength;
  if (length >= kLargestPiece - 1) return kLargestPiece;
  return static_cast<int32_t>(length) + 1;
}

ByteBuffer FetchPage(const Text& address) {
  using platform::InternetAccess;
  if (address.empty()) return {};
  const std::optional<platform::UrlParts> parts = platform::CrackUrl(address.view());
  if (!parts) return {};
  uint32_t flags = platform::kFlagReload | platform::kFlagNoCacheWrite;
  if (parts->scheme == "https") {
    flags |= platform::kFlagSecure;
  } else if (parts->scheme != "http") {
    return {};
  }

  std::optional<platform::InternetRoot>& root = FetchRoot();
  if (!root) {
    root = platform::InternetRoot::Open(kUserAgent, InternetAccess::kDirect);
    if (!root) return {};
  }
  auto connection = platform::InternetConnection::Open(*root, parts->host, parts->port, parts->user,
                                                       parts->password);
  if (!connection) return {};
  root->SetAccess(InternetAccess::kPreconfigured);

  const std::string path = parts->path.substr(0, parts->path.find('#'));
  auto request = platform::InternetRequest::Open(*connection, "GET", path, "HTTP/1.0", flags);
  if (!request) return {};
  if (!request->Send("Accept: */*\r\n\r\n", {})) return {};

  const Text contentLength(request->ContentLength().value_or(std::string()));
  const int32_t pieceSize = FetchReadPieceSize(contentLength);
  ByteBuffer body;
  const double announced = TextToNumber(contentLength);
  if (announced >= 1)
    body.Reserve(static_cast<size_t>(std::min<double>(announced, kLargestReserve)));

  std::vector<char> piece(static_cast<size_t>(pieceSize));
  for (;;) {
    const int32_t count = request->Read(piece.data(), pieceSize);
    if (count <= 0) break;
    if (body.size() > std::numeric_limits<int32_t>::max() - count) break;  // counts are 32-bit
    body.Append(std::string_view(piece.data(), static_cast<size_t>(count)));
  }
  return body;
}

int32_t DownloadToFile(const Text& address, const Text& filePath) {
  return platform::DownloadToFile(address.view(), TextToUtf8(filePath), kUserAgent);
}

}  // namespace pagewick
