#include "net/http_request.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "net/event_pump.h"
#include "net/url.h"
#include "net/user_agent.h"
#include "platform/inet.h"
#include "text/bytes.h"

namespace pagewick {
namespace {

constexpr uint32_t kTimeoutMs = 18000;
constexpr int32_t kReadPiece = 512;
constexpr int32_t kIgnoreCase = 1;
constexpr double kLargestReserve = 64 << 20;

const Text kDefaultAccept =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n";

}  // namespace

Text HttpRequest(const Text& address, Text* method, const Text* proxy, Text* requestHeaders,
                 const Text* postData, Text* responseHeaders) {
  using platform::InternetAccess;
  const Text url = address;  // the caller's variables may share a value with the address

  std::optional<platform::InternetRoot> root =
      proxy != nullptr ? platform::InternetRoot::Open(kUserAgent, InternetAccess::kProxy,
                                                      TextConcat("http=", *proxy).view())
                       : platform::InternetRoot::Open(kUserAgent, InternetAccess::kDirect);
  if (!root) return {};

  auto connection = platform::InternetConnection::Open(*root, UrlHost(url).view(), UrlPort(url));
  if (!connection) return {};

  Text ownMethod;
  Text& verb = method != nullptr ? *method : ownMethod;
  if (TextCompare(TextUpper(verb), "POST") != 0) verb = "GET";

  auto request = platform::InternetRequest::Open(*connection, verb.view(), UrlPath(url).view(),
                                                 "HTTP/1.1", platform::kFlagReload);
  if (!request) return {};
  request->SetTimeout(platform::InternetTimeout::kConnect, kTimeoutMs);
  request->SetTimeout(platform::InternetTimeout::kReceive, kTimeoutMs);
  request->SetTimeout(platform::InternetTimeout::kSend, kTimeoutMs);

  Text ownHeaders;
  Text& headers = requestHeaders != nullptr ? *requestHeaders : ownHeaders;
  if (TextFind(headers, "Accept: ", 1, kIgnoreCase) == -1) {
    headers = TextConcat(headers, kDefaultAccept);
  }
  if (TextFind(headers, "Referer: ", 1, kIgnoreCase) == -1) {
    headers = TextConcat(headers, "Referer: ", url, "\r\n");
  }
  if (TextFind(headers, "Accept-Language: ", 1, kIgnoreCase) == -1) {
    headers = TextConcat(headers, "Accept-Language: zh-cn\r\n");
  }

  const Text data = postData != nullptr ? *postData : Text();
  if (TextCompare(verb, "GET") == 0) {
    request->Send(headers.view(), {});
  } else {
    if (!data.empty()) {
      headers = TextConcat(headers, "Content-Type: application/x-www-form-urlencoded\r\n",
                           "Content-Length: ", NumberToText(TextLength(data)), "\r\n");
    }
    request->Send(headers.view(), data.view());
  }

  // The body grows by appending each piece, so reading it costs time in proportion to its size;
  // room for an announced length is made at once.
  ByteBuffer body;
  const double announced = TextToNumber(Text(request->ContentLength().value_or(std::string())));
  if (announced >= 1) body.Reserve(static_cast<size_t>(std::min(announced, kLargestReserve)));
  char piece[kReadPiece];
  for (;;) {
    RunEventPump();
    const int32_t count = request->Read(piece, kReadPiece);
    if (count <= 0) break;
    if (body.size() > std::numeric_limits<int32_t>::max() - count) break;  // counts are 32-bit
    body.Append(std::string_view(piece, static_cast<size_t>(count)));
  }

  if (responseHeaders != nullptr) {
    *responseHeaders = Text(request->RawHeaders().value_or(std::string()));
  }
  return Text(body.Release());  // up to the first zero byte, as BytesToText gives it
}

}  // namespace pagewick
