// pagewick-echo-recorder: the raw recorder as a program of its own, for test programs that cannot
// hold it in-process (the Windows tests, which run under Wine and connect to 127.0.0.1). Every
// request is answered with its own bytes as the body, so the caller sees exactly what went out:
//   /status/404...  -> status 404, the request as the body
//   /cut...         -> status 200 announcing 100000 bytes, then 7 bytes and the connection closed
//   anything else   -> status 200, the request as the body
// It prints "recorder on http://127.0.0.1:PORT" and serves until SIGINT or SIGTERM.
#include <pthread.h>

#include <csignal>
#include <cstdio>
#include <string>

#include "tests/support/raw_http_server.h"

int main() {
  using pagewick::testing::HttpAnswer;
  using pagewick::testing::RawConnection;
  using pagewick::testing::RecordedRequest;
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);  // the server's threads leave them to us
  pagewick::testing::RawHttpServer server([](const RecordedRequest& request, RawConnection& peer) {
    const std::string line = request.RequestLine();
    const std::string echo = request.head + request.body;
    if (line.find(" /status/404") != std::string::npos) {
      peer.Send(HttpAnswer(404, echo));
    } else if (line.find(" /cut") != std::string::npos) {
      peer.Send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\nConnection: close\r\n\r\npartial");
    } else {
      peer.Send(HttpAnswer(200, echo));
    }
  });
  std::printf("recorder on %s\n", server.Url("").c_str());
  std::fflush(stdout);
  int signal = 0;
  sigwait(&stop, &signal);
  return 0;
}
