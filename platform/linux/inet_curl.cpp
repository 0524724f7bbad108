// The internet layer on libcurl.
//
// Each request runs one transfer at a time on a multi handle of its own, and the transfer only
// advances inside Send and Read (curl_multi_perform and curl_multi_poll, called from here). The
// callbacks do nothing but record headers and store body bytes, so no code of the caller ever
// runs inside libcurl, and a request made between two reads of another is independent of it.
//
// While Read waits, the body callback copies straight into the reader's buffer; bytes that do
// not fit wait in a buffer for the next reads. When that holds a megabyte the callback pauses
// the transfer, and Read resumes it once the buffer is drained, so the memory a request needs
// does not grow with the size of the body.
//
// The caller's header lines go to curl as custom headers, after entries that suppress the
// headers curl would add of its own (Accept, Expect, Content-Type, Proxy-Connection). The request
// target is given to curl verbatim; the URL only names scheme, host and port. Redirects are
// followed here rather than by curl, so that each step is a fresh request with a correct target
// and correct body headers.
#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/inet.h"

namespace pagewick::platform {
namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kDefaultTimeoutMs = 60000;
constexpr int kMaxRedirects = 10;
constexpr long kCurlBufferBytes = 100 * 1024;
constexpr size_t kPendingHighWater = 1 << 20;
constexpr int32_t kDownloadPiece = 256 * 1024;

std::atomic<uint32_t> timeoutCap{0};
std::atomic<int32_t> rootOpenFailures{0};
std::atomic<int32_t> rootsOpened{0};

uint32_t Capped(uint32_t milliseconds) {
  if (milliseconds == 0) milliseconds = kDefaultTimeoutMs;
  const uint32_t cap = timeoutCap.load();
  return (cap != 0 && milliseconds > cap) ? cap : milliseconds;
}

bool GlobalInit() {
  static const bool ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return ok;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() &&
         (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n')) {
    s.remove_suffix(1);
  }
  return s;
}

bool HasZeroByte(std::string_view s) { return s.find('\0') != std::string_view::npos; }

// Calls f on each line of text, the line ending (\r\n or \n) removed.
template <typename F>
void ForEachLine(std::string_view text, F f) {
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    f(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

struct UrlDeleter {
  void operator()(CURLU* u) const { curl_url_cleanup(u); }
};
using UrlHandle = std::unique_ptr<CURLU, UrlDeleter>;

struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

struct ShareDeleter {
  void operator()(CURLSH* share) const { curl_share_cleanup(share); }
};

// One part of a parsed URL; nothing when the part is missing or the call fails.
std::optional<std::string> UrlPart(CURLU* url, CURLUPart part, unsigned int flags = 0) {
  char* out = nullptr;
  if (curl_url_get(url, part, &out, flags) != CURLUE_OK || out == nullptr) return std::nullopt;
  std::string value(out);
  curl_free(out);
  return value;
}

// "scheme://host:port/", checked by curl's own URL parser; nothing for a malformed host.
std::optional<std::string> OriginUrl(const std::string& scheme, const std::string& host,
                                     int32_t port, unsigned int getFlags = 0) {
  if (host.empty() || HasZeroByte(host)) return std::nullopt;
  UrlHandle url(curl_url());
  if (!url) return std::nullopt;
  const std::string portText = std::to_string(port);
  if (curl_url_set(url.get(), CURLUPART_SCHEME, scheme.c_str(), 0) != CURLUE_OK ||
      curl_url_set(url.get(), CURLUPART_HOST, host.c_str(), 0) != CURLUE_OK ||
      curl_url_set(url.get(), CURLUPART_PORT, portText.c_str(), 0) != CURLUE_OK ||
      curl_url_set(url.get(), CURLUPART_PATH, "/", 0) != CURLUE_OK) {
    return std::nullopt;
  }
  return UrlPart(url.get(), CURLUPART_URL, getFlags);
}

// The request target: the path as given, with blanks and control characters percent-encoded.
std::string EncodeTarget(std::string_view path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(path.size());
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F) {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    } else {
      out += c;
    }
  }
  if (out.empty()) out.push_back('/');
  return out;
}

// The caller's header lines as curl custom headers, followed by the entries that stop curl from
// adding headers of its own. An entry "Name:" tells curl to leave a header out, so a line with
// an empty value is given as "Name;", which curl sends as "Name:".
Slist BuildHeaderList(std::string_view text) {
  curl_slist* list = nullptr;
  bool failed = false;
  auto add = [&](const std::string& entry) {
    curl_slist* grown = curl_slist_append(list, entry.c_str());
    if (grown == nullptr) {
      failed = true;
    } else {
      list = grown;
    }
  };
  ForEachLine(text, [&](std::string_view line) {
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) return;  // not a header line
    if (TrimBlanks(line.substr(colon + 1)).empty()) {
      add(std::string(line.substr(0, colon)) + ";");
    } else {
      add(std::string(line));
    }
  });
  for (const char* suppress : {"Accept:", "Expect:", "Content-Type:", "Proxy-Connection:"}) {
    add(suppress);
  }
  if (failed) {
    curl_slist_free_all(list);
    return nullptr;
  }
  return Slist(list);
}

// The header text without its Content-Type and Content-Length lines, for a request that goes on
// without its body.
std::string WithoutBodyHeaders(std::string_view text) {
  std::string out;
  ForEachLine(text, [&](std::string_view line) {
    const std::string_view name = TrimBlanks(line.substr(0, line.find(':')));
    if (EqualsNoCase(name, "Content-Type") || EqualsNoCase(name, "Content-Length")) return;
    if (line.empty()) return;
    out.append(line);
    out.append("\r\n");
  });
  return out;
}

// The server for scheme in a proxy list such as "http=p:1 https=q:2" or "p:1"; "" for none.
std::string ProxyFromList(std::string_view list, std::string_view scheme) {
  std::string bare;
  bool haveBare = false;
  size_t at = 0;
  while (at < list.size()) {
    const size_t end = list.find_first_of(" \t;", at);
    const std::string_view entry = list.substr(at, end == std::string_view::npos ? end : end - at);
    at = end == std::string_view::npos ? list.size() : end + 1;
    if (entry.empty()) continue;
    const size_t eq = entry.find('=');
    if (eq == std::string_view::npos) {
      if (!haveBare) bare = std::string(entry);
      haveBare = true;
    } else if (EqualsNoCase(entry.substr(0, eq), scheme)) {
      return std::string(entry.substr(eq + 1));
    }
  }
  return bare;
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Whether host is named in a no_proxy list: "*", or a name that host equals or ends in.
bool Bypassed(std::string_view host, std::string_view list) {
  size_t at = 0;
  while (at < list.size()) {
    const size_t end = list.find_first_of(", \t", at);
    std::string_view entry = list.substr(at, end == std::string_view::npos ? end : end - at);
    at = end == std::string_view::npos ? list.size() : end + 1;
    if (entry == "*") return true;
    while (!entry.empty() && entry.front() == '.') entry.remove_prefix(1);
    if (entry.empty()) continue;
    if (EqualsNoCase(host, entry)) return true;
    if (host.size() > entry.size() && host[host.size() - entry.size() - 1] == '.' &&
        EqualsNoCase(host.substr(host.size() - entry.size()), entry)) {
      return true;
    }
  }
  return false;
}

// The proxy the usual environment variables name for scheme and host; "" for none. As with
// curl, the upper-case HTTP_PROXY is not read.
std::string ProxyFromEnvironment(std::string_view scheme, std::string_view host) {
  std::string proxy;
  if (scheme == "https") {
    proxy = Environment("https_proxy");
    if (proxy.empty()) proxy = Environment("HTTPS_PROXY");
  } else {
    proxy = Environment("http_proxy");
  }
  if (proxy.empty()) proxy = Environment("all_proxy");
  if (proxy.empty()) proxy = Environment("ALL_PROXY");
  if (proxy.empty()) return proxy;
  std::string bypass = Environment("no_proxy");
  if (bypass.empty()) bypass = Environment("NO_PROXY");
  return Bypassed(host, bypass) ? std::string() : proxy;
}

bool IsRedirect(int32_t status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

}  // namespace

struct InternetRoot::State {
  std::string userAgent;
  InternetAccess access = InternetAccess::kDirect;
  std::string proxyList;
  std::unique_ptr<CURLSH, ShareDeleter> share;  // the name look-ups, kept for the root's life

  std::string ProxyFor(std::string_view scheme, std::string_view host) const {
    switch (access) {
      case InternetAccess::kDirect:
        return {};
      case InternetAccess::kProxy:
        return ProxyFromList(proxyList, scheme);
      case InternetAccess::kPreconfigured:
        return ProxyFromEnvironment(scheme, host);
    }
    return {};
  }
};

struct InternetConnection::State {
  std::shared_ptr<InternetRoot::State> root;
  std::string host;
  int32_t port = 0;
  std::string user;
  std::string password;
};

namespace {

struct Timeouts {
  uint32_t connect = 0;
  uint32_t send = 0;
  uint32_t receive = 0;
};

// What one step of a request sends: the first step, or a step after a redirect.
struct Plan {
  std::string scheme;  // "http" or "https"
  std::string host;
  int32_t port = 0;    // 1..65535
  std::string target;  // origin form, encoded
  std::string method;
  bool http10 = false;
  std::string headers;
  std::string body;
  std::string user;
  std::string password;
};

// One exchange on a multi handle of its own.
class Transfer {
 public:
  ~Transfer() {
    if (attached_) curl_multi_remove_handle(multi_, easy_);
    if (easy_) curl_easy_cleanup(easy_);
    if (multi_) curl_multi_cleanup(multi_);
  }
  Transfer(const Transfer&) = delete;
  Transfer& operator=(const Transfer&) = delete;

  static std::unique_ptr<Transfer> Start(const Plan& plan, const InternetRoot::State& root,
                                         const Timeouts& timeouts, bool mayRedirect);

  bool headersDone() const { return headersDone_; }
  bool follow() const { return follow_; }
  bool done() const { return done_; }
  bool succeeded() const { return done_ && result_ == CURLE_OK; }
  int32_t status() const { return status_; }
  const std::string& headerBlock() const { return headerBlock_; }
  const std::optional<std::string>& contentLength() const { return contentLength_; }
  const std::string& location() const { return location_; }
  size_t available() const { return pending_.size() - pendingOffset_; }

  // Runs the transfer until ready() holds or the transfer ends, failing it when it stalls
  // past the time-out of its phase.
  template <typename Ready>
  void Drive(Ready ready) {
    auto lastChange = Clock::now();
    int64_t lastMark = ProgressMark();
    while (!done_ && !ready()) {
      int running = 0;
      if (curl_multi_perform(multi_, &running) != CURLM_OK) {
        Fail(CURLE_RECV_ERROR);
        return;
      }
      CollectDone();
      if (done_ || ready()) return;
      const auto now = Clock::now();
      const int64_t mark = ProgressMark();
      if (mark != lastMark) {
        lastMark = mark;
        lastChange = now;
      }
      const int64_t limit = StallLimit();
      const int64_t waited =
          std::chrono::duration_cast<std::chrono::milliseconds>(now - lastChange).count();
      if (waited >= limit) {
        Fail(CURLE_OPERATION_TIMEDOUT);
        return;
      }
      const int wait = static_cast<int>(std::min<int64_t>(limit - waited, 1000));
      if (curl_multi_poll(multi_, nullptr, 0, wait, nullptr) != CURLM_OK) {
        Fail(CURLE_RECV_ERROR);
        return;
      }
    }
  }

  // Lets a paused transfer go on; the bytes curl held back arrive at once.
  void Resume() {
    if (!paused_ || done_) return;
    paused_ = false;
    if (curl_easy_pause(easy_, CURLPAUSE_CONT) != CURLE_OK) Fail(CURLE_RECV_ERROR);
  }

  // Waits for body bytes and puts up to size of them into out; 0 at the end.
  size_t Read(char* out, size_t size) {
    if (available() == 0 && !done_) {
      direct_ = out;
      directSize_ = size;
      directFilled_ = 0;
      Resume();
      Drive([this] { return directFilled_ > 0 || available() > 0; });
      direct_ = nullptr;
      if (directFilled_ > 0) return directFilled_;
    }
    return Take(out, size);
  }

  size_t Take(char* out, size_t size) {
    const size_t n = std::min(size, available());
    std::memcpy(out, pending_.data() + pendingOffset_, n);
    pendingOffset_ += n;
    if (pendingOffset_ == pending_.size()) {
      pending_.clear();
      pendingOffset_ = 0;
    }
    return n;
  }

  void Fail(CURLcode code) {
    if (!done_) {
      done_ = true;
      result_ = code;
    }
    if (attached_) {
      curl_multi_remove_handle(multi_, easy_);
      attached_ = false;
    }
  }

 private:
  Transfer() = default;

  static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
    auto* t = static_cast<Transfer*>(self);
    const size_t length = size * count;
    t->received_ += static_cast<int64_t>(length);
    if (t->headersDone_) return length;  // trailers of a chunked body
    const std::string_view line(data, length);
    if (StartsWithNoCase(line, "HTTP/")) {  // a new answer: an interim one may have come before
      t->headerBlock_.clear();
      t->location_.clear();
      t->contentLength_.reset();
      const size_t blank = line.find(' ');
      t->status_ = blank == std::string_view::npos
                       ? 0
                       : std::atoi(std::string(line.substr(blank + 1, 3)).c_str());
    }
    t->headerBlock_.append(line);
    const std::string_view content = TrimBlanks(line);
    if (content.empty()) {
      if (t->status_ >= 200 || t->status_ < 100) {
        t->headersDone_ = true;
        t->follow_ = t->mayRedirect_ && IsRedirect(t->status_) && !t->location_.empty();
      }
    } else if (StartsWithNoCase(content, "Location:")) {
      t->location_ = std::string(TrimBlanks(content.substr(9)));
    } else if (StartsWithNoCase(content, "Content-Length:") && !t->contentLength_) {
      t->contentLength_ = std::string(TrimBlanks(content.substr(15)));
    }
    return length;
  }

  static size_t OnBody(char* data, size_t size, size_t count, void* self) {
    auto* t = static_cast<Transfer*>(self);
    const size_t length = size * count;
    if (t->follow_) {  // the page of a redirect that is followed is not wanted
      t->received_ += static_cast<int64_t>(length);
      return length;
    }
    if (t->available() >= kPendingHighWater) {
      t->paused_ = true;
      return CURL_WRITEFUNC_PAUSE;
    }
    t->received_ += static_cast<int64_t>(length);
    size_t direct = 0;
    if (t->direct_ != nullptr) {
      direct = std::min(length, t->directSize_ - t->directFilled_);
      std::memcpy(t->direct_ + t->directFilled_, data, direct);
      t->directFilled_ += direct;
    }
    t->pending_.append(data + direct, length - direct);
    return length;
  }

  void CollectDone() {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
      if (message->msg == CURLMSG_DONE && !done_) {
        done_ = true;
        result_ = message->data.result;
      }
    }
  }

  curl_off_t Uploaded() const {
    curl_off_t uploaded = 0;
    curl_easy_getinfo(easy_, CURLINFO_SIZE_UPLOAD_T, &uploaded);
    return uploaded;
  }

  bool Connected() const {
    curl_off_t pretransfer = 0;
    curl_easy_getinfo(easy_, CURLINFO_PRETRANSFER_TIME_T, &pretransfer);
    return pretransfer > 0 || received_ > 0 || Uploaded() > 0;
  }

  int64_t ProgressMark() const {
    return received_ + static_cast<int64_t>(Uploaded()) + (Connected() ? 1 : 0);
  }

  int64_t StallLimit() const {
    if (!Connected()) return timeouts_.connect;
    if (received_ == 0 && Uploaded() < static_cast<curl_off_t>(body_.size())) {
      return timeouts_.send;
    }
    return timeouts_.receive;
  }

  CURLM* multi_ = nullptr;
  CURL* easy_ = nullptr;
  bool attached_ = false;
  Slist headers_;
  Slist proxyHeaders_;
  std::string url_;
  std::string target_;
  std::string body_;  // curl reads the body from here
  Timeouts timeouts_;
  bool mayRedirect_ = false;

  std::string headerBlock_;
  int32_t status_ = 0;
  std::string location_;
  std::optional<std::string> contentLength_;
  bool headersDone_ = false;
  bool follow_ = false;

  char* direct_ = nullptr;  // the buffer of a waiting Read
  size_t directSize_ = 0;
  size_t directFilled_ = 0;
  std::string pending_;
  size_t pendingOffset_ = 0;
  bool paused_ = false;
  int64_t received_ = 0;
  bool done_ = false;
  CURLcode result_ = CURLE_OK;
};

std::unique_ptr<Transfer> Transfer::Start(const Plan& plan, const InternetRoot::State& root,
                                          const Timeouts& timeouts, bool mayRedirect) {
  const std::optional<std::string> url = OriginUrl(plan.scheme, plan.host, plan.port);
  if (!url) return nullptr;
  std::unique_ptr<Transfer> t(new Transfer);
  t->multi_ = curl_multi_init();
  t->easy_ = curl_easy_init();
  t->headers_ = BuildHeaderList(plan.headers);
  t->proxyHeaders_.reset(curl_slist_append(nullptr, "Proxy-Connection:"));
  if (!t->multi_ || !t->easy_ || !t->headers_ || !t->proxyHeaders_) return nullptr;
  t->url_ = *url;
  t->body_ = plan.body;
  t->mayRedirect_ = mayRedirect;
  t->timeouts_ = {Capped(timeouts.connect), Capped(timeouts.send), Capped(timeouts.receive)};

  const std::string proxy = root.ProxyFor(plan.scheme, plan.host);
  t->target_ = plan.target;
  const bool httpProxy = !proxy.empty() && !StartsWithNoCase(proxy, "socks");
  if (httpProxy && plan.scheme == "http") {
    // A proxy is asked for the whole address.
    const std::optional<std::string> origin =
        OriginUrl(plan.scheme, plan.host, plan.port, CURLU_NO_DEFAULT_PORT);
    if (!origin) return nullptr;
    t->target_ = origin->substr(0, origin->size() - 1) + plan.target;
  }

  CURL* e = t->easy_;
  bool ok = true;
  auto set = [&](CURLoption option, auto value) {
    ok = ok && curl_easy_setopt(e, option, value) == CURLE_OK;
  };
  set(CURLOPT_NOSIGNAL, 1L);
  set(CURLOPT_URL, t->url_.c_str());
  set(CURLOPT_REQUEST_TARGET, t->target_.c_str());
  set(CURLOPT_PATH_AS_IS, 1L);
  set(CURLOPT_PROTOCOLS_STR, "http,https");
  set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  set(CURLOPT_FOLLOWLOCATION, 0L);
  set(CURLOPT_HTTP_VERSION,
      static_cast<long>(plan.http10 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1));
  set(CURLOPT_HTTPHEADER, t->headers_.get());
  set(CURLOPT_HEADEROPT, static_cast<long>(CURLHEADER_SEPARATE));
  set(CURLOPT_PROXYHEADER, t->proxyHeaders_.get());
  set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  set(CURLOPT_PROXY, proxy.c_str());
  set(CURLOPT_NOPROXY, proxy.empty() ? "*" : "");
  if (!root.userAgent.empty()) set(CURLOPT_USERAGENT, root.userAgent.c_str());
  if (root.share) set(CURLOPT_SHARE, root.share.get());
  if (!plan.user.empty() || !plan.password.empty()) {
    set(CURLOPT_USERNAME, plan.user.c_str());
    set(CURLOPT_PASSWORD, plan.password.c_str());
    set(CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC | CURLAUTH_DIGEST));
  }
  set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(t->timeouts_.connect));
  set(CURLOPT_BUFFERSIZE, kCurlBufferBytes);
  set(CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
  set(CURLOPT_HEADERDATA, t.get());
  set(CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
  set(CURLOPT_WRITEDATA, t.get());
  if (!t->body_.empty()) {
    set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(t->body_.size()));
    set(CURLOPT_POSTFIELDS, t->body_.data());
    if (plan.method != "POST") set(CURLOPT_CUSTOMREQUEST, plan.method.c_str());
  } else if (plan.method == "GET") {
    set(CURLOPT_HTTPGET, 1L);
  } else if (plan.method == "HEAD") {
    set(CURLOPT_NOBODY, 1L);
  } else {
    set(CURLOPT_CUSTOMREQUEST, plan.method.c_str());
  }
  if (!ok) return nullptr;
  if (curl_multi_add_handle(t->multi_, e) != CURLM_OK) return nullptr;
  t->attached_ = true;
  return t;
}

// The next step after a redirect to location; false when it cannot be followed.
bool FollowRedirect(Plan& plan, int32_t status, const std::string& location) {
  const std::optional<std::string> origin = OriginUrl(plan.scheme, plan.host, plan.port);
  if (!origin || HasZeroByte(location)) return false;
  UrlHandle url(curl_url());
  if (!url) return false;
  const std::string base = origin->substr(0, origin->size() - 1) + plan.target;
  if (curl_url_set(url.get(), CURLUPART_URL, base.c_str(), CURLU_PATH_AS_IS | CURLU_ALLOW_SPACE) !=
          CURLUE_OK ||
      curl_url_set(url.get(), CURLUPART_URL, location.c_str(),
                   CURLU_ALLOW_SPACE | CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK) {
    return false;
  }
  std::string scheme = UrlPart(url.get(), CURLUPART_SCHEME).value_or("");
  std::transform(scheme.begin(), scheme.end(), scheme.begin(), AsciiLower);
  const std::optional<std::string> host = UrlPart(url.get(), CURLUPART_HOST);
  const std::optional<std::string> port = UrlPart(url.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
  const std::string path = UrlPart(url.get(), CURLUPART_PATH).value_or("/");
  const std::optional<std::string> query = UrlPart(url.get(), CURLUPART_QUERY);
  if ((scheme != "http" && scheme != "https") || !host || !port) return false;
  if (!EqualsNoCase(*host, plan.host)) {
    plan.user.clear();
    plan.password.clear();
  }
  plan.scheme = scheme;
  plan.host = *host;
  plan.port = std::atoi(port->c_str());
  plan.target = EncodeTarget(query ? path + "?" + *query : path);
  const bool toGet = (status == 303 && plan.method != "HEAD") ||
                     ((status == 301 || status == 302) && EqualsNoCase(plan.method, "POST"));
  if (toGet) {
    plan.method = "GET";
    plan.body.clear();
    plan.headers = WithoutBodyHeaders(plan.headers);
  }
  return true;
}

}  // namespace

struct InternetRequest::State {
  std::shared_ptr<InternetRoot::State> root;
  std::string host;
  int32_t port = 0;
  std::string user;
  std::string password;
  std::string method;
  std::string path;
  bool http10 = false;
  bool secure = false;
  Timeouts timeouts;
  bool sent = false;
  std::unique_ptr<Transfer> transfer;
};

// --- root ---

InternetRoot::InternetRoot(std::shared_ptr<State> state) : state_(std::move(state)) {}
InternetRoot::~InternetRoot() = default;
InternetRoot::InternetRoot(InternetRoot&&) noexcept = default;
InternetRoot& InternetRoot::operator=(InternetRoot&&) noexcept = default;

std::optional<InternetRoot> InternetRoot::Open(std::string_view userAgent, InternetAccess access,
                                               std::string_view proxyList) {
  for (int32_t left = rootOpenFailures.load(); left > 0;) {
    if (rootOpenFailures.compare_exchange_weak(left, left - 1)) return std::nullopt;
  }
  if (!GlobalInit() || HasZeroByte(userAgent)) return std::nullopt;
  auto state = std::make_shared<State>();
  state->userAgent = std::string(userAgent);
  state->access = access;
  state->proxyList = std::string(proxyList);
  state->share.reset(curl_share_init());
  if (!state->share ||
      curl_share_setopt(state->share.get(), CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS) != CURLSHE_OK) {
    return std::nullopt;
  }
  rootsOpened.fetch_add(1);
  return InternetRoot(std::move(state));
}

void InternetRoot::SetAccess(InternetAccess access, std::string_view proxyList) {
  state_->access = access;
  state_->proxyList = std::string(proxyList);
}

// --- connection ---

InternetConnection::InternetConnection(std::unique_ptr<State> state) : state_(std::move(state)) {}
InternetConnection::~InternetConnection() = default;
InternetConnection::InternetConnection(InternetConnection&&) noexcept = default;
InternetConnection& InternetConnection::operator=(InternetConnection&&) noexcept = default;

std::optional<InternetConnection> InternetConnection::Open(const InternetRoot& root,
                                                           std::string_view host, int32_t port,
                                                           std::string_view user,
                                                           std::string_view password) {
  if (port < 0 || port > 65535) return std::nullopt;
  if (!OriginUrl("http", std::string(host), port == 0 ? 80 : port)) return std::nullopt;
  if (HasZeroByte(user) || HasZeroByte(password)) return std::nullopt;
  auto state = std::make_unique<State>();
  state->root = root.state_;
  state->host = std::string(host);
  state->port = port;
  state->user = std::string(user);
  state->password = std::string(password);
  return InternetConnection(std::move(state));
}

// --- request ---

InternetRequest::InternetRequest(std::unique_ptr<State> state) : state_(std::move(state)) {}
InternetRequest::~InternetRequest() = default;
InternetRequest::InternetRequest(InternetRequest&&) noexcept = default;
InternetRequest& InternetRequest::operator=(InternetRequest&&) noexcept = default;

std::optional<InternetRequest> InternetRequest::Open(const InternetConnection& connection,
                                                     std::string_view method, std::string_view path,
                                                     std::string_view version, uint32_t flags) {
  if (method.empty()) return std::nullopt;
  for (const char c : method) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F) return std::nullopt;
  }
  if (HasZeroByte(path)) return std::nullopt;
  const InternetConnection::State& c = *connection.state_;
  auto state = std::make_unique<State>();
  state->root = c.root;
  state->host = c.host;
  state->port = c.port;
  state->user = c.user;
  state->password = c.password;
  state->method = std::string(method);
  state->path = std::string(path);
  state->http10 = version == "HTTP/1.0";
  state->secure = (flags & kFlagSecure) != 0;
  return InternetRequest(std::move(state));
}

bool InternetRequest::SetTimeout(InternetTimeout which, uint32_t milliseconds) {
  switch (which) {
    case InternetTimeout::kConnect:
      state_->timeouts.connect = milliseconds;
      break;
    case InternetTimeout::kSend:
      state_->timeouts.send = milliseconds;
      break;
    case InternetTimeout::kReceive:
      state_->timeouts.receive = milliseconds;
      break;
  }
  return true;
}

bool InternetRequest::Send(std::string_view headers, std::string_view body) {
  State& s = *state_;
  if (s.sent) return false;
  s.sent = true;
  Plan plan;
  plan.scheme = s.secure ? "https" : "http";
  plan.host = s.host;
  plan.port = s.port != 0 ? s.port : (s.secure ? 443 : 80);
  plan.target = EncodeTarget(s.path);
  plan.method = s.method;
  plan.http10 = s.http10;
  plan.headers = std::string(headers);
  plan.body = std::string(body);
  plan.user = s.user;
  plan.password = s.password;
  for (int redirects = 0;; ++redirects) {
    s.transfer = Transfer::Start(plan, *s.root, s.timeouts, redirects < kMaxRedirects);
    if (!s.transfer) return false;
    Transfer& t = *s.transfer;
    t.Drive([&t] { return t.headersDone(); });
    if (!t.headersDone()) return false;
    if (!t.follow()) return true;
    if (!FollowRedirect(plan, t.status(), t.location())) {
      t.Fail(CURLE_UNSUPPORTED_PROTOCOL);
      return false;
    }
  }
}

int32_t InternetRequest::Read(char* buffer, int32_t size) {
  Transfer* t = state_->transfer.get();
  if (t == nullptr || buffer == nullptr || size <= 0) return -1;
  const size_t count = t->Read(buffer, static_cast<size_t>(size));
  if (count > 0) return static_cast<int32_t>(count);
  return t->succeeded() && !t->follow() ? 0 : -1;
}

std::optional<std::string> InternetRequest::RawHeaders() const {
  const Transfer* t = state_->transfer.get();
  if (t == nullptr || !t->headersDone()) return std::nullopt;
  return t->headerBlock();
}

std::optional<std::string> InternetRequest::ContentLength() const {
  const Transfer* t = state_->transfer.get();
  if (t == nullptr || !t->headersDone()) return std::nullopt;
  return t->contentLength();
}

int32_t InternetRequest::StatusCode() const {
  const Transfer* t = state_->transfer.get();
  return (t == nullptr || !t->headersDone()) ? 0 : t->status();
}

// --- address splitting ---

std::optional<UrlParts> CrackUrl(std::string_view address) {
  if (address.empty() || HasZeroByte(address) || !GlobalInit()) return std::nullopt;
  UrlHandle url(curl_url());
  if (!url) return std::nullopt;
  const std::string text(address);
  if (curl_url_set(url.get(), CURLUPART_URL, text.c_str(),
                   CURLU_NON_SUPPORT_SCHEME | CURLU_ALLOW_SPACE) != CURLUE_OK) {
    return std::nullopt;
  }
  UrlParts parts;
  parts.scheme = UrlPart(url.get(), CURLUPART_SCHEME).value_or("");
  std::transform(parts.scheme.begin(), parts.scheme.end(), parts.scheme.begin(), AsciiLower);
  parts.host = UrlPart(url.get(), CURLUPART_HOST).value_or("");
  parts.port =
      std::atoi(UrlPart(url.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT).value_or("0").c_str());
  parts.user = UrlPart(url.get(), CURLUPART_USER).value_or("");
  parts.password = UrlPart(url.get(), CURLUPART_PASSWORD).value_or("");
  parts.path = UrlPart(url.get(), CURLUPART_PATH).value_or("/");
  if (const auto query = UrlPart(url.get(), CURLUPART_QUERY)) parts.path += "?" + *query;
  if (const auto fragment = UrlPart(url.get(), CURLUPART_FRAGMENT)) parts.path += "#" + *fragment;
  // The buffers of the split hold the terminating zero as well.
  if (parts.scheme.empty() || parts.host.empty() || parts.host.size() >= 256 ||
      parts.path.size() >= 2048 || parts.user.size() >= 128 || parts.password.size() >= 128) {
    return std::nullopt;
  }
  return parts;
}

// --- download ---

namespace {

// A new file beside the target that is removed again unless it is kept.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& target) {
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    static std::atomic<uint32_t> counter{0};
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
      path_ = folder + (slash == std::string::npos ? "/" : "") + ".pagewick-" +
              std::to_string(getpid()) + "-" + std::to_string(counter.fetch_add(1)) + ".part";
      fd_ = open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd_ < 0 && errno != EEXIST) break;
    }
  }
  ~TemporaryFile() {
    if (fd_ >= 0) close(fd_);
    if (!kept_) unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  bool opened() const { return fd_ >= 0; }

  bool Write(const char* data, size_t size) {
    while (size > 0) {
      const ssize_t n = write(fd_, data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      data += n;
      size -= static_cast<size_t>(n);
    }
    return true;
  }

  // Closes the file and puts it in the target's place.
  bool ReplaceTarget(const std::string& target) {
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) return false;
    if (rename(path_.c_str(), target.c_str()) != 0) return false;
    kept_ = true;
    return true;
  }

 private:
  std::string path_;
  int fd_ = -1;
  bool kept_ = false;
};

}  // namespace

int32_t DownloadToFile(std::string_view address, const std::string& filePath,
                       std::string_view userAgent) {
  const std::optional<UrlParts> parts = CrackUrl(address);
  if (!parts || (parts->scheme != "http" && parts->scheme != "https")) {
    return kDownloadInvalidAddress;
  }
  if (filePath.empty() || HasZeroByte(filePath) || filePath.back() == '/') {
    return kDownloadCannotSave;
  }
  TemporaryFile file(filePath);
  if (!file.opened()) return kDownloadCannotSave;

  auto root = InternetRoot::Open(userAgent, InternetAccess::kPreconfigured);
  if (!root) return kDownloadCannotConnect;
  auto connection =
      InternetConnection::Open(*root, parts->host, parts->port, parts->user, parts->password);
  if (!connection) return kDownloadInvalidAddress;
  const std::string path = parts->path.substr(0, parts->path.find('#'));
  const uint32_t flags = kFlagReload | (parts->scheme == "https" ? kFlagSecure : 0);
  auto request = InternetRequest::Open(*connection, "GET", path, "HTTP/1.1", flags);
  if (!request) return kDownloadInvalidAddress;
  if (!request->Send("Accept: */*\r\n", {})) return kDownloadCannotConnect;
  const int32_t status = request->StatusCode();
  if (status < 200 || status > 299) return kDownloadHttpError;

  std::vector<char> piece(kDownloadPiece);
  for (;;) {
    const int32_t n = request->Read(piece.data(), kDownloadPiece);
    if (n < 0) return kDownloadBroken;
    if (n == 0) break;
    if (!file.Write(piece.data(), static_cast<size_t>(n))) return kDownloadCannotSave;
  }
  return file.ReplaceTarget(filePath) ? kDownloadSaved : kDownloadCannotSave;
}

// --- test hooks ---

void SetTimeoutCapForTesting(uint32_t milliseconds) { timeoutCap.store(milliseconds); }
void FailRootOpensForTesting(int32_t count) { rootOpenFailures.store(count); }
int32_t RootsOpenedForTesting() { return rootsOpened.load(); }

}  // namespace pagewick::platform
