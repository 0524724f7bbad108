// The internet layer, the operating system's part of the HTTP access: root, connection and
// request handles, the splitting of an address, and the download of an address to a file.
//
// A root holds the user agent and the access type, a connection the host and port, a request
// the method, path, version and flags. All three are RAII holders: movable, not copyable, and
// each closes what it holds when it goes. A connection or request keeps what it needs of its
// parents, so the order of closing is free.
//
//   auto root = InternetRoot::Open("agent", InternetAccess::kDirect);
//   auto connection = InternetConnection::Open(*root, "example.com", 80);
//   auto request = InternetRequest::Open(*connection, "GET", "/a?b=1", "HTTP/1.1", kFlagReload);
//   request->Send("Accept: */*\r\n", {});
//   char piece[512];
//   while (request->Read(piece, sizeof piece) > 0) { ... }
//
// On the wire a request carries the request line, then a Host line and a User-Agent line (when
// the root has one and the caller gave none), then the caller's header lines in the order given,
// then the body. The layer adds nothing else, with one exception: a body whose header text has
// no Content-Length line gets one, since nothing else would tell where the body ends.
//   - The path goes out as the request target as given ("#", "?" and bytes of 0x80 and above
//     included); only a blank and the control characters are percent-encoded ("/a b" -> "/a%20b").
//   - Header text: lines end in \r\n (a lone \n is accepted). Empty lines and lines without a name
//     and a colon are not header lines and are left out; a line with an empty value goes out as
//     "Name:". A caller's Host line takes the place of the layer's own, first after the request
//     line; a caller's User-Agent line stops the layer's.
//   - Only http and https are spoken; kFlagSecure selects https. Port 0 means the scheme's own.
//   - Redirects (301, 302, 303, 307, 308 with a Location) are followed, at most 10 in a row; a
//     303, or a 301 or 302 answering a POST, goes on as a GET without the body and without the
//     caller's Content-Type and Content-Length lines. Status and headers are the last answer's.
//   - Access: kDirect never uses a proxy, whatever the environment says. kProxy uses the proxy
//     list ("http=host:port https=host:port", or a bare "host:port" for both schemes; an empty
//     entry means none). kPreconfigured follows the usual variables (http_proxy, https_proxy,
//     HTTPS_PROXY, all_proxy, ALL_PROXY, no_proxy, NO_PROXY).
//   - Time-outs: connect covers the name look-up and the connection; send is how long the request
//     may stall while it goes out; receive is how long the answer may stall. Unset ones are 60 s.
//
// Nothing here runs user code: a request advances only inside Send and Read, so the caller can
// run its own event pump between reads, and a handler it runs can make requests of its own.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace pagewick::platform {

enum class InternetAccess { kPreconfigured = 0, kDirect = 1, kProxy = 3 };

inline constexpr uint32_t kFlagReload = 0x80000000;        // always fresh: there is no cache
inline constexpr uint32_t kFlagNoCacheWrite = 0x04000000;  // nothing is cached anyway
inline constexpr uint32_t kFlagSecure = 0x00800000;        // https

enum class InternetTimeout { kConnect, kSend, kReceive };

class InternetRoot {
 public:
  // Nothing when the layer cannot start.
  static std::optional<InternetRoot> Open(std::string_view userAgent, InternetAccess access,
                                          std::string_view proxyList = {});
  ~InternetRoot();
  InternetRoot(InternetRoot&&) noexcept;
  InternetRoot& operator=(InternetRoot&&) noexcept;
  InternetRoot(const InternetRoot&) = delete;
  InternetRoot& operator=(const InternetRoot&) = delete;

  // Changes the access for every request sent from now on, also through connections and requests
  // opened before.
  void SetAccess(InternetAccess access, std::string_view proxyList = {});

  struct State;

 private:
  explicit InternetRoot(std::shared_ptr<State> state);
  std::shared_ptr<State> state_;
  friend class InternetConnection;
};

class InternetConnection {
 public:
  // Nothing for an empty or malformed host or a port outside 0..65535. No name is looked up and
  // nothing is connected yet: that happens when a request is sent.
  static std::optional<InternetConnection> Open(const InternetRoot& root, std::string_view host,
                                                int32_t port, std::string_view user = {},
                                                std::string_view password = {});
  ~InternetConnection();
  InternetConnection(InternetConnection&&) noexcept;
  InternetConnection& operator=(InternetConnection&&) noexcept;
  InternetConnection(const InternetConnection&) = delete;
  InternetConnection& operator=(const InternetConnection&) = delete;

  struct State;

 private:
  explicit InternetConnection(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
  friend class InternetRequest;
};

class InternetRequest {
 public:
  // Nothing for an empty method or one holding a blank or a control character. The version is
  // "HTTP/1.0" or "HTTP/1.1" (anything else counts as the latter).
  static std::optional<InternetRequest> Open(const InternetConnection& connection,
                                             std::string_view method, std::string_view path,
                                             std::string_view version, uint32_t flags);
  ~InternetRequest();
  InternetRequest(InternetRequest&&) noexcept;
  InternetRequest& operator=(InternetRequest&&) noexcept;
  InternetRequest(const InternetRequest&) = delete;
  InternetRequest& operator=(const InternetRequest&) = delete;

  // Before Send. Always true.
  bool SetTimeout(InternetTimeout which, uint32_t milliseconds);

  // Sends the request and waits for the answer's status and headers, following redirects.
  // False when no answer came (no connection, time-out, a redirect that cannot be followed);
  // Read then fails. Only the first call sends.
  bool Send(std::string_view headers, std::string_view body);

  // Up to size bytes of the answer's body, waiting until some have arrived or the answer ends:
  // the count read (above 0), 0 at the end of a whole body, -1 when the transfer failed (never
  // sent, refused, cut off before its announced length, stalled past the receive time-out).
  // Bytes that arrived before a failure are read first.
  int32_t Read(char* buffer, int32_t size);

  // The answer's raw header block, status line to the blank line, as received; nothing before
  // an answer has come.
  std::optional<std::string> RawHeaders() const;
  // The text of the answer's first Content-Length header; nothing when it has none.
  std::optional<std::string> ContentLength() const;
  // The answer's status code; 0 before an answer has come.
  int32_t StatusCode() const;

  struct State;

 private:
  explicit InternetRequest(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

// The pieces of an absolute address, split with the platform's buffer limits: the host must fit
// 256 bytes, the path with its query and fragment 2048, the user name and the password 128 each,
// the terminating zero included (so a host of 255 bytes fits and one of 256 does not). Dot
// segments of the path are resolved; nothing is encoded or decoded. The port is the scheme's
// own when the address names none. Nothing when the address is not absolute or does not fit.
//   CrackUrl("http://u:p@Host:81/a/../b?q#f") -> http, Host, 81, u, p, "/b?q#f"
struct UrlParts {
  std::string scheme;  // lower case
  std::string host;
  int32_t port = 0;
  std::string user;
  std::string password;
  std::string path;  // path, "?" query and "#" fragment, as written
};
std::optional<UrlParts> CrackUrl(std::string_view address);

// Status values of DownloadToFile (32-bit, as the callers test them); 0 means saved.
inline constexpr int32_t kDownloadSaved = 0;
inline constexpr int32_t kDownloadInvalidAddress = static_cast<int32_t>(0x800C0002);
inline constexpr int32_t kDownloadCannotConnect = static_cast<int32_t>(0x800C0004);
inline constexpr int32_t kDownloadHttpError = static_cast<int32_t>(0x800C0005);
inline constexpr int32_t kDownloadBroken = static_cast<int32_t>(0x800C0008);
inline constexpr int32_t kDownloadCannotSave = static_cast<int32_t>(0x80030103);

// Saves the body at an http or https address to filePath (a UTF-8 path): a GET with
// "Accept: */*", the preconfigured access and the layer's time-outs. The body is written to a
// hidden temporary file beside the target, which replaces the target only when the final answer
// has a 2xx status and its body arrived whole. On any failure no partial file is left and an
// existing file at filePath is untouched. Blocks until done; runs no events.
int32_t DownloadToFile(std::string_view address, const std::string& filePath,
                       std::string_view userAgent);

// Test hooks; the product never calls them.
// Caps every time-out of the layer (set or default) at milliseconds; 0 removes the cap.
void SetTimeoutCapForTesting(uint32_t milliseconds);
// Makes the next count root opens fail.
void FailRootOpensForTesting(int32_t count);
// How many roots have been opened so far.
int32_t RootsOpenedForTesting();

}  // namespace pagewick::platform
