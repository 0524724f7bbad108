// pagewick-demo-sites [port]: serves the demo sites on 127.0.0.1 (port 0 or none: any free
// port, printed on the first line) until SIGINT or SIGTERM. The catalogue has a 16 MiB book.
#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "demo/demo_sites.h"

int main(int argc, char** argv) {
  const auto port = static_cast<uint16_t>(argc > 1 ? std::atoi(argv[1]) : 0);
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);  // the server's threads leave them to us
  pagewick::demo::DemoSites sites(port, pagewick::demo::SampleCatalogue(16u << 20));
  std::printf("demo sites on http://%s\n", sites.host().c_str());
  std::fflush(stdout);
  int signal = 0;
  sigwait(&stop, &signal);
  return 0;
}
