// A raw HTTP recorder on 127.0.0.1 for wire tests: it listens on an ephemeral port, keeps the
// exact bytes of every request it receives, and answers each with whatever bytes the test's
// script sends. Each connection runs in a thread of its own, so a request can be answered while
// another one waits.
//
//   RawHttpServer server(RawHttpServer::Reply(HttpAnswer(200, "hello")));
//   Text body = HttpRequest(server.Url("/a").c_str());
//   RecordedRequest request = server.Requests().at(0);   // request.head, request.body
//
// One request per connection: after the script returns, the connection is closed. A request is
// complete when its head (up to the blank line) and the body its first Content-Length announces
// have arrived. Bytes that do not start like a request (a TLS greeting, say) are recorded as
// they come, as a head alone.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace pagewick::testing {

struct RecordedRequest {
  std::string head;  // request line and header lines, through the blank line
  std::string body;

  // The request line without its CR LF.
  std::string RequestLine() const;
  // The header lines without their CR LF, in the order received.
  std::vector<std::string> HeaderLines() const;
};

class RawHttpServer;

// The script's side of one connection.
class RawConnection {
 public:
  // False when the peer has gone.
  bool Send(std::string_view bytes);
  // Waits until the server stops or limit passes; true when the server stops.
  bool WaitForStop(std::chrono::milliseconds limit);
  RawHttpServer& server() { return server_; }

 private:
  friend class RawHttpServer;
  RawConnection(RawHttpServer& server, int fd) : server_(server), fd_(fd) {}
  RawHttpServer& server_;
  int fd_;
};

class RawHttpServer {
 public:
  using Script = std::function<void(const RecordedRequest&, RawConnection&)>;

  explicit RawHttpServer(Script script);
  ~RawHttpServer();
  RawHttpServer(const RawHttpServer&) = delete;
  RawHttpServer& operator=(const RawHttpServer&) = delete;

  uint16_t port() const { return port_; }
  // "http://127.0.0.1:<port>" + path.
  std::string Url(std::string_view path = "/") const;

  std::vector<RecordedRequest> Requests() const;
  size_t RequestCount() const;
  // Waits until count requests have come or limit passes; true when they have.
  bool WaitForRequests(size_t count, std::chrono::milliseconds limit) const;

  // A script that sends these bytes and closes.
  static Script Reply(std::string answer);

 private:
  friend class RawConnection;
  void AcceptLoop();
  void Serve(int fd, std::atomic<bool>& finished);

  Script script_;
  int listener_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<RecordedRequest> requests_;
  std::vector<int> open_;  // connections being served, shut down when the server stops
  struct Worker {
    std::thread thread;
    std::atomic<bool> finished{false};
  };
  std::list<Worker> workers_;  // finished ones are joined as new connections come
  std::thread acceptor_;
};

// "HTTP/1.1 <status> <reason>\r\n" + extra header lines + "Content-Length: <n>\r\n" +
// "Connection: close\r\n\r\n" + body.
std::string HttpAnswer(int status, std::string_view body,
                       std::vector<std::string> extraHeaders = {});

// A port on 127.0.0.1 where nothing listens (it was bound and released).
uint16_t ClosedPort();

}  // namespace pagewick::testing
