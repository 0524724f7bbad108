// HttpRequest: one GET or POST, with browser-like default headers, fixed time-outs and an
// optional HTTP proxy; gives back the answer's body as Text (cut at its first zero byte).
//
// A null pointer is a parameter left out. The method, the request headers and the response
// headers are the caller's variables and are changed as follows:
//   - method: a method whose upper-case form is not "POST" becomes "GET" (a left-out or empty
//     one, "get", "HEAD", "PUT"); "post" stays as written and goes out so.
//   - request headers: each default is appended when its name ("Accept: ", "Referer: ",
//     "Accept-Language: ", blank included, any letter case, anywhere in the text) is absent:
//       Accept: image/gif, ..., */*\r\n   Referer: <address>\r\n   Accept-Language: zh-cn\r\n
//     then, for a non-GET method with post data, always
//       Content-Type: application/x-www-form-urlencoded\r\nContent-Length: <bytes>\r\n
//     A text that does not end in \r\n has the first default glued to its last line.
//   - response headers: the answer's raw header block (status line to the blank line), or the
//     empty text when no answer came.
// A left-out proxy means direct access (the environment's proxy settings are not used); a given
// one, even empty, selects the proxy list "http=" + proxy.
//
// The event pump (event_pump.h) runs before every read of the answer. The result is the empty
// text when the address cannot be split into a usable host and port; otherwise the body read
// before the end or a failure (nothing when the request could not be sent). No status is
// examined: an error page is a body like any other.
//
//   Text method = "post", headers;
//   Text body = HttpRequest("http://host/f.php", &method, nullptr, &headers, &form);
//   // method == "post"; headers holds the three defaults and the two content lines.
#pragma once

#include "text/text.h"

namespace pagewick {

Text HttpRequest(const Text& address, Text* method = nullptr, const Text* proxy = nullptr,
                 Text* requestHeaders = nullptr, const Text* postData = nullptr,
                 Text* responseHeaders = nullptr);

}  // namespace pagewick
