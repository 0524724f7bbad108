// The internet layer on the system's own WinINet ("wininet.dll") and urlmon, every function
// looked up by name on its first use and kept for the run.
//
// The download goes through URLDownloadToFileA into a temporary file beside the target, which
// is moved over the target only when the answer had a 2xx status and its whole announced body;
// a small status callback tells the status and the announced length. Any failure removes the
// temporary file and leaves an existing target as it was.
#include <urlmon.h>
#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include "platform/inet.h"
#include "platform/windows/system_function.h"

namespace pagewick::platform {
namespace {

constexpr char kWinInet[] = "wininet.dll";

template <typename Function>
Function WinInet(const char* name) {
  return SystemFunction<Function>(kWinInet, name);
}

#define PAGEWICK_WININET(name, type)                   \
  type name##Call() {                                  \
    static const type function = WinInet<type>(#name); \
    return function;                                   \
  }

using InternetOpenFn = HINTERNET(WINAPI*)(LPCSTR, DWORD, LPCSTR, LPCSTR, DWORD);
using InternetConnectFn = HINTERNET(WINAPI*)(HINTERNET, LPCSTR, INTERNET_PORT, LPCSTR, LPCSTR,
                                             DWORD, DWORD, DWORD_PTR);
using HttpOpenRequestFn = HINTERNET(WINAPI*)(HINTERNET, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR*,
                                             DWORD, DWORD_PTR);
using InternetSetOptionFn = BOOL(WINAPI*)(HINTERNET, DWORD, LPVOID, DWORD);
using HttpSendRequestFn = BOOL(WINAPI*)(HINTERNET, LPCSTR, DWORD, LPVOID, DWORD);
using InternetReadFileFn = BOOL(WINAPI*)(HINTERNET, LPVOID, DWORD, LPDWORD);
using HttpQueryInfoFn = BOOL(WINAPI*)(HINTERNET, DWORD, LPVOID, LPDWORD, LPDWORD);
using InternetCloseHandleFn = BOOL(WINAPI*)(HINTERNET);
using InternetCanonicalizeUrlFn = BOOL(WINAPI*)(LPCSTR, LPSTR, LPDWORD, DWORD);
using InternetCrackUrlFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPURL_COMPONENTSA);
using UrlDownloadToFileFn = HRESULT(WINAPI*)(LPUNKNOWN, LPCSTR, LPCSTR, DWORD,
                                             LPBINDSTATUSCALLBACK);

PAGEWICK_WININET(InternetOpenA, InternetOpenFn)
PAGEWICK_WININET(InternetConnectA, InternetConnectFn)
PAGEWICK_WININET(HttpOpenRequestA, HttpOpenRequestFn)
PAGEWICK_WININET(InternetSetOptionA, InternetSetOptionFn)
PAGEWICK_WININET(HttpSendRequestA, HttpSendRequestFn)
PAGEWICK_WININET(InternetReadFile, InternetReadFileFn)
PAGEWICK_WININET(HttpQueryInfoA, HttpQueryInfoFn)
PAGEWICK_WININET(InternetCloseHandle, InternetCloseHandleFn)
PAGEWICK_WININET(InternetCanonicalizeUrlA, InternetCanonicalizeUrlFn)
PAGEWICK_WININET(InternetCrackUrlA, InternetCrackUrlFn)

#undef PAGEWICK_WININET

std::atomic<uint32_t> timeoutCap{0};
std::atomic<int32_t> failingRootOpens{0};
std::atomic<int32_t> rootsOpened{0};

uint32_t Capped(uint32_t milliseconds) {
  const uint32_t cap = timeoutCap.load();
  return cap != 0 && (milliseconds == 0 || milliseconds > cap) ? cap : milliseconds;
}

// One internet handle, closed when the last holder lets go.
struct Handle {
  explicit Handle(HINTERNET h) : handle(h) {}
  ~Handle() {
    if (handle != nullptr) InternetCloseHandleCall()(handle);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HINTERNET handle;
};

std::string Text(std::string_view view) { return std::string(view); }

// A query of the request's headers as text; nothing when the query fails.
std::optional<std::string> QueryText(HINTERNET request, DWORD info, DWORD size) {
  std::string buffer(size, '\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    DWORD length = static_cast<DWORD>(buffer.size());
    if (HttpQueryInfoACall()(request, info, buffer.data(), &length, nullptr)) {
      buffer.resize(length);
      return buffer;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
    buffer.assign(length + 1, '\0');
  }
  return std::nullopt;
}

}  // namespace

struct InternetRoot::State {
  std::shared_ptr<Handle> handle;
};
struct InternetConnection::State {
  std::shared_ptr<InternetRoot::State> root;
  std::shared_ptr<Handle> handle;
};
struct InternetRequest::State {
  std::shared_ptr<Handle> connection;
  std::shared_ptr<InternetRoot::State> root;
  std::unique_ptr<Handle> handle;
  bool sent = false;
  bool answered = false;
};

std::optional<InternetRoot> InternetRoot::Open(std::string_view userAgent, InternetAccess access,
                                               std::string_view proxyList) {
  if (failingRootOpens.load() > 0) {
    --failingRootOpens;
    return std::nullopt;
  }
  const std::string agent = Text(userAgent);
  const std::string proxy = Text(proxyList);
  HINTERNET handle = nullptr;
  if (access == InternetAccess::kProxy) {
    handle = InternetOpenACall()(agent.c_str(), INTERNET_OPEN_TYPE_PROXY, proxy.c_str(), "", 0);
  } else {
    handle = InternetOpenACall()(agent.c_str(), static_cast<DWORD>(access), "", "", 0);
  }
  if (handle == nullptr) return std::nullopt;
  ++rootsOpened;
  return InternetRoot(std::make_shared<State>(State{std::make_shared<Handle>(handle)}));
}

InternetRoot::InternetRoot(std::shared_ptr<State> state) : state_(std::move(state)) {}
InternetRoot::~InternetRoot() = default;
InternetRoot::InternetRoot(InternetRoot&&) noexcept = default;
InternetRoot& InternetRoot::operator=(InternetRoot&&) noexcept = default;

void InternetRoot::SetAccess(InternetAccess access, std::string_view proxyList) {
  const std::string proxy = Text(proxyList);
  INTERNET_PROXY_INFO info{};
  info.dwAccessType = static_cast<DWORD>(access);
  info.lpszProxy = access == InternetAccess::kProxy ? proxy.c_str() : nullptr;
  info.lpszProxyBypass = nullptr;
  InternetSetOptionACall()(state_->handle->handle, INTERNET_OPTION_PROXY, &info, sizeof info);
}

std::optional<InternetConnection> InternetConnection::Open(const InternetRoot& root,
                                                           std::string_view host, int32_t port,
                                                           std::string_view user,
                                                           std::string_view password) {
  if (host.empty() || port < 0 || port > 65535) return std::nullopt;
  const std::string name = Text(host), userName = Text(user), secret = Text(password);
  HINTERNET handle = InternetConnectACall()(root.state_->handle->handle, name.c_str(),
                                            static_cast<INTERNET_PORT>(port), userName.c_str(),
                                            secret.c_str(), INTERNET_SERVICE_HTTP, 0, 0);
  if (handle == nullptr) return std::nullopt;
  return InternetConnection(
      std::make_unique<State>(State{root.state_, std::make_shared<Handle>(handle)}));
}

InternetConnection::InternetConnection(std::unique_ptr<State> state) : state_(std::move(state)) {}
InternetConnection::~InternetConnection() = default;
InternetConnection::InternetConnection(InternetConnection&&) noexcept = default;
InternetConnection& InternetConnection::operator=(InternetConnection&&) noexcept = default;

std::optional<InternetRequest> InternetRequest::Open(const InternetConnection& connection,
                                                     std::string_view method, std::string_view path,
                                                     std::string_view version, uint32_t flags) {
  if (method.empty()) return std::nullopt;
  for (const char c : method) {
    if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) return std::nullopt;
  }
  const std::string verb = Text(method), target = Text(path), httpVersion = Text(version);
  // No referrer and no accept types: the system adds no Referer and no Accept line.
  HINTERNET handle =
      HttpOpenRequestACall()(connection.state_->handle->handle, verb.c_str(), target.c_str(),
                             httpVersion.c_str(), nullptr, nullptr, flags, 0);
  if (handle == nullptr) return std::nullopt;
  auto state = std::make_unique<State>();
  state->connection = connection.state_->handle;
  state->root = connection.state_->root;
  state->handle = std::make_unique<Handle>(handle);
  InternetRequest request(std::move(state));
  if (timeoutCap.load() != 0) {
    for (InternetTimeout which :
         {InternetTimeout::kConnect, InternetTimeout::kSend, InternetTimeout::kReceive}) {
      request.SetTimeout(which, 0);
    }
  }
  return request;
}

InternetRequest::InternetRequest(std::unique_ptr<State> state) : state_(std::move(state)) {}
InternetRequest::~InternetRequest() = default;
InternetRequest::InternetRequest(InternetRequest&&) noexcept = default;
InternetRequest& InternetRequest::operator=(InternetRequest&&) noexcept = default;

bool InternetRequest::SetTimeout(InternetTimeout which, uint32_t milliseconds) {
  DWORD option = INTERNET_OPTION_CONNECT_TIMEOUT;
  if (which == InternetTimeout::kSend) option = INTERNET_OPTION_SEND_TIMEOUT;
  if (which == InternetTimeout::kReceive) option = INTERNET_OPTION_RECEIVE_TIMEOUT;
  DWORD value = Capped(milliseconds);
  if (value == 0) return true;  // no cap and nothing asked: the system's own
  InternetSetOptionACall()(state_->handle->handle, option, &value, sizeof value);
  return true;
}

bool InternetRequest::Send(std::string_view headers, std::string_view body) {
  if (state_->sent) return state_->answered;
  state_->sent = true;
  const std::string headerText = Text(headers);
  std::string data = Text(body);
  state_->answered = HttpSendRequestACall()(state_->handle->handle,
                                            headerText.empty() ? nullptr : headerText.c_str(),
                                            static_cast<DWORD>(headerText.size()), data.data(),
                                            static_cast<DWORD>(data.size())) != FALSE;
  return state_->answered;
}

int32_t InternetRequest::Read(char* buffer, int32_t size) {
  if (!state_->answered || size <= 0) return -1;
  DWORD count = 0;
  if (!InternetReadFileCall()(state_->handle->handle, buffer, static_cast<DWORD>(size), &count)) {
    return -1;
  }
  return static_cast<int32_t>(count);
}

std::optional<std::string> InternetRequest::RawHeaders() const {
  if (!state_->answered) return std::nullopt;
  return QueryText(state_->handle->handle, HTTP_QUERY_RAW_HEADERS_CRLF, 1024);
}

std::optional<std::string> InternetRequest::ContentLength() const {
  if (!state_->answered) return std::nullopt;
  return QueryText(state_->handle->handle, HTTP_QUERY_CONTENT_LENGTH, 32);
}

int32_t InternetRequest::StatusCode() const {
  if (!state_->answered) return 0;
  DWORD status = 0;
  DWORD length = sizeof status;
  if (!HttpQueryInfoACall()(state_->handle->handle, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER,
                            &status, &length, nullptr)) {
    return 0;
  }
  return static_cast<int32_t>(status);
}

std::optional<UrlParts> CrackUrl(std::string_view address) {
  const std::string url = Text(address);
  std::string canonical(2084, '\0');
  DWORD length = static_cast<DWORD>(canonical.size());
  if (!InternetCanonicalizeUrlACall()(url.c_str(), canonical.data(), &length, ICU_NO_ENCODE)) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::nullopt;
    canonical.assign(length + 1, '\0');
    length = static_cast<DWORD>(canonical.size());
    if (!InternetCanonicalizeUrlACall()(url.c_str(), canonical.data(), &length, ICU_NO_ENCODE)) {
      return std::nullopt;
    }
  }
  char scheme[32] = {}, host[256] = {}, user[128] = {}, password[128] = {};
  std::string path(2048, '\0');
  URL_COMPONENTSA parts{};
  parts.dwStructSize = sizeof parts;
  parts.lpszScheme = scheme;
  parts.dwSchemeLength = sizeof scheme;
  parts.lpszHostName = host;
  parts.dwHostNameLength = sizeof host;
  parts.lpszUserName = user;
  parts.dwUserNameLength = sizeof user;
  parts.lpszPassword = password;
  parts.dwPasswordLength = sizeof password;
  parts.lpszUrlPath = path.data();
  parts.dwUrlPathLength = static_cast<DWORD>(path.size());
  if (!InternetCrackUrlACall()(canonical.c_str(), 0, 0, &parts)) return std::nullopt;
  UrlParts result;
  result.scheme = scheme;
  for (char& c : result.scheme) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  result.host = host;
  result.port = parts.nPort;
  result.user = user;
  result.password = password;
  result.path = path.c_str();
  return result;
}

// --- the download ---------------------------------------------------------------------------

namespace {

// Tells the answer's status and announced length; changes nothing else of the download.
class StatusWatch : public IBindStatusCallback, public IHttpNegotiate {
 public:
  DWORD status = 0;
  long long announced = -1;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IBindStatusCallback)) {
      *out = static_cast<IBindStatusCallback*>(this);
    } else if (IsEqualIID(iid, IID_IHttpNegotiate)) {
      *out = static_cast<IHttpNegotiate*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the caller's stack
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

  HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR, LPCWSTR, DWORD,
                                                 LPWSTR* additional) override {
    *additional = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnResponse(DWORD code, LPCWSTR headers, LPCWSTR,
                                       LPWSTR* additional) override {
    *additional = nullptr;
    status = code;
    announced = ContentLengthOf(headers);
    return S_OK;
  }

 private:
  static long long ContentLengthOf(LPCWSTR headers) {
    if (headers == nullptr) return -1;
    const std::wstring text(headers);
    const std::wstring name = L"\ncontent-length:";
    std::wstring lower = L"\n" + text;
    for (wchar_t& c : lower) c = static_cast<wchar_t>(c >= L'A' && c <= L'Z' ? c + 32 : c);
    const size_t at = lower.find(name);
    if (at == std::wstring::npos) return -1;
    return std::wcstoll(lower.c_str() + at + name.size(), nullptr, 10);
  }
};

// The ANSI (code page 0) form of a UTF-8 path; nothing when a character has no ANSI form.
std::optional<std::string> AnsiPath(const std::string& utf8) {
  const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  if (units <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), units);
  BOOL lossy = FALSE;
  const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, &lossy);
  if (bytes <= 0 || lossy) return std::nullopt;
  std::string ansi(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, ansi.data(), bytes, nullptr, nullptr);
  ansi.resize(static_cast<size_t>(bytes) - 1);
  return ansi;
}

long long FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

int32_t DownloadToFile(std::string_view address, const std::string& filePath,
                       std::string_view /*userAgent: urlmon sends the system's own*/) {
  static const auto download = SystemFunction<UrlDownloadToFileFn>("urlmon", "URLDownloadToFileA");
  static const bool comReady = SUCCEEDED(CoInitialize(nullptr));
  (void)comReady;

  const std::optional<UrlParts> parts = CrackUrl(address);
  if (!parts || (parts->scheme != "http" && parts->scheme != "https")) {
    return kDownloadInvalidAddress;
  }
  const std::optional<std::string> target = AnsiPath(filePath);
  if (!target || target->empty()) return kDownloadCannotSave;
  // The temporary file lies beside the target, so the move is a rename on one volume.
  const size_t cut = target->find_last_of("\\/");
  const std::string folder = cut == std::string::npos ? "." : target->substr(0, cut + 1);
  char temporary[MAX_PATH + 16] = {};
  if (GetTempFileNameA(folder.c_str(), "pw", 0, temporary) == 0) return kDownloadCannotSave;

  const std::string url = Text(address);
  StatusWatch watch;
  HRESULT result = download(nullptr, url.c_str(), temporary, 0, &watch);
  if (SUCCEEDED(result) && (watch.status < 200 || watch.status > 299)) result = kDownloadHttpError;
  if (SUCCEEDED(result) && watch.announced >= 0 && FileSize(temporary) != watch.announced) {
    result = kDownloadBroken;  // the answer ended before its announced length
  }
  if (SUCCEEDED(result) && !MoveFileExA(temporary, target->c_str(),
                                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    result = kDownloadCannotSave;
  }
  if (result != S_OK) {
    DeleteFileA(temporary);
    return result == S_FALSE ? kDownloadBroken : static_cast<int32_t>(result);
  }
  return kDownloadSaved;
}

void SetTimeoutCapForTesting(uint32_t milliseconds) { timeoutCap = milliseconds; }
void FailRootOpensForTesting(int32_t count) { failingRootOpens = count; }
int32_t RootsOpenedForTesting() { return rootsOpened.load(); }

}  // namespace pagewick::platform
