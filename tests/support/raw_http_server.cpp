#include "tests/support/raw_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>

namespace pagewick::testing {
namespace {

constexpr auto kReadLimit = std::chrono::seconds(10);

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// The body length the head's first Content-Length line announces; 0 when none.
size_t AnnouncedLength(const std::string& head) {
  const std::string lower = Lower(head);
  const size_t at = lower.find("\r\ncontent-length:");
  if (at == std::string::npos) return 0;
  return static_cast<size_t>(std::strtoull(head.c_str() + at + 17, nullptr, 10));
}

// Reads into data until more than already are there or the peer ends; false on end or time-out.
bool ReadMore(int fd, std::string& data, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    const int ready = poll(&p, 1, static_cast<int>(std::min<int64_t>(left.count(), 100)));
    if (ready < 0 && errno != EINTR) return false;
    if (ready <= 0) continue;
    char buffer[16384];
    const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.append(buffer, static_cast<size_t>(n));
    return true;
  }
}

}  // namespace

std::string RecordedRequest::RequestLine() const { return head.substr(0, head.find("\r\n")); }

std::vector<std::string> RecordedRequest::HeaderLines() const {
  std::vector<std::string> lines;
  size_t at = head.find("\r\n");
  while (at != std::string::npos) {
    const size_t start = at + 2;
    const size_t end = head.find("\r\n", start);
    if (end == std::string::npos || end == start) break;
    lines.push_back(head.substr(start, end - start));
    at = end;
  }
  return lines;
}

bool RawConnection::Send(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

bool RawConnection::WaitForStop(std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> lock(server_.mutex_);
  return server_.changed_.wait_for(lock, limit, [this] { return server_.stopping_.load(); });
}

RawHttpServer::RawHttpServer(Script script) : script_(std::move(script)) {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener_ < 0) throw std::runtime_error("socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener_, 64) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(listener_);
    throw std::runtime_error("bind");
  }
  port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

RawHttpServer::~RawHttpServer() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    for (const int fd : open_) shutdown(fd, SHUT_RDWR);
  }
  changed_.notify_all();
  acceptor_.join();
  for (Worker& worker : workers_) worker.thread.join();
  close(listener_);
}

std::string RawHttpServer::Url(std::string_view path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

std::vector<RecordedRequest> RawHttpServer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

size_t RawHttpServer::RequestCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_.size();
}

bool RawHttpServer::WaitForRequests(size_t count, std::chrono::milliseconds limit) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, limit, [&] { return requests_.size() >= count; });
}

RawHttpServer::Script RawHttpServer::Reply(std::string answer) {
  return [answer = std::move(answer)](const RecordedRequest&, RawConnection& connection) {
    connection.Send(answer);
  };
}

void RawHttpServer::AcceptLoop() {
  while (!stopping_) {
    pollfd p{listener_, POLLIN, 0};
    if (poll(&p, 1, 20) <= 0) continue;
    const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) {
      close(fd);
      break;
    }
    for (auto it = workers_.begin(); it != workers_.end();) {
      if (it->finished) {
        it->thread.join();
        it = workers_.erase(it);
      } else {
        ++it;
      }
    }
    open_.push_back(fd);
    Worker& worker = workers_.emplace_back();
    worker.thread = std::thread([this, fd, &worker] { Serve(fd, worker.finished); });
  }
}

void RawHttpServer::Serve(int fd, std::atomic<bool>& finished) {
  const auto deadline = std::chrono::steady_clock::now() + kReadLimit;
  std::string data;
  RecordedRequest request;
  bool complete = false;
  while (!complete && ReadMore(fd, data, deadline)) {
    if (!std::isalpha(static_cast<unsigned char>(data[0]))) {  // not HTTP: keep what came
      request.head = data;
      complete = true;
      break;
    }
    const size_t headEnd = data.find("\r\n\r\n");
    if (headEnd == std::string::npos) continue;
    request.head = data.substr(0, headEnd + 4);
    const size_t length = AnnouncedLength(request.head);
    if (data.size() - request.head.size() >= length) {
      request.body = data.substr(request.head.size(), length);
      complete = true;
    }
  }
  if (complete) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(request);
    }
    changed_.notify_all();
    RawConnection connection(*this, fd);
    script_(request, connection);
  }
  std::lock_guard<std::mutex> lock(mutex_);
  open_.erase(std::remove(open_.begin(), open_.end(), fd), open_.end());
  close(fd);
  finished = true;
}

std::string HttpAnswer(int status, std::string_view body, std::vector<std::string> extraHeaders) {
  const char* reason = status == 200   ? "OK"
                       : status == 404 ? "Not Found"
                       : status == 500 ? "Internal Server Error"
                                       : "Status";
  std::string answer = "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n";
  for (const std::string& line : extraHeaders) answer += line + "\r\n";
  answer += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
  answer.append(body);
  return answer;
}

uint16_t ClosedPort() {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

}  // namespace pagewick::testing
