// Speed of the HTTP access against a loopback server, beside the curl command-line tool fetching
// the same bytes from the same server in the same run.
//
//   build/bench/bench/net_bench                       # all benchmarks
//   build/bench/bench/net_bench --rss-download=64     # one 64 MiB download, then its peak RSS
//
// The request routine and the page fetch read bodies of 1, 8 and 32 MiB (bytes per second that
// stay level across the sizes show time linear in size); the download saves 8 and 64 MiB. The
// download's server streams its body from one 1 MiB block, so the process's peak memory is the
// client's own (see bench/net_vs_curl.sh).
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "net/fetch.h"
#include "net/http_request.h"
#include "tests/support/raw_http_server.h"

extern char** environ;

namespace pagewick {
namespace {

using testing::RawConnection;
using testing::RawHttpServer;
using testing::RecordedRequest;

constexpr size_t kMiB = 1 << 20;

// Letters only, so that the request routine's Text keeps every byte.
const std::string& Block() {
  static const std::string block = [] {
    std::string bytes(kMiB, 'a');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>('a' + (i * 7) % 26);
    return bytes;
  }();
  return block;
}

// GET /<n> answers n MiB with a Content-Length, written from the one block.
RawHttpServer& Server() {
  static RawHttpServer server([](const RecordedRequest& request, RawConnection& connection) {
    const std::string line = request.RequestLine();
    const size_t mebibytes = std::strtoull(line.c_str() + line.find('/') + 1, nullptr, 10);
    connection.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(mebibytes * kMiB) +
                    "\r\nConnection: close\r\n\r\n");
    for (size_t i = 0; i < mebibytes; ++i) {
      if (!connection.Send(Block())) return;
    }
  });
  return server;
}

std::string Address(int64_t mebibytes) {
  std::string path = "/";
  path += std::to_string(mebibytes);
  return Server().Url(path);
}

std::string Target() {
  return (std::filesystem::temp_directory_path() /
          ("pagewick-net-bench-" + std::to_string(getpid()) + ".bin"))
      .string();
}

void BM_HttpRequest(benchmark::State& state) {
  const std::string address = Address(state.range(0));
  for (auto _ : state) {
    const Text body = HttpRequest(address.c_str());
    if (static_cast<size_t>(body.size()) != state.range(0) * kMiB) state.SkipWithError("short");
    benchmark::DoNotOptimize(body.c_str());
  }
  state.SetBytesProcessed(state.iterations() * state.range(0) * kMiB);
}
BENCHMARK(BM_HttpRequest)
    ->Arg(0)
    ->Arg(1)
    ->Arg(8)
    ->Arg(32)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_FetchPage(benchmark::State& state) {
  const std::string address = Address(state.range(0));
  for (auto _ : state) {
    const ByteBuffer body = FetchPage(address.c_str());
    if (static_cast<size_t>(body.size()) != state.range(0) * kMiB) state.SkipWithError("short");
    benchmark::DoNotOptimize(body.data());
  }
  state.SetBytesProcessed(state.iterations() * state.range(0) * kMiB);
}
BENCHMARK(BM_FetchPage)
    ->Arg(0)
    ->Arg(1)
    ->Arg(8)
    ->Arg(32)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_DownloadToFile(benchmark::State& state) {
  const std::string address = Address(state.range(0));
  const std::string target = Target();
  for (auto _ : state) {
    if (DownloadToFile(address.c_str(), target.c_str()) != 0) state.SkipWithError("failed");
  }
  std::filesystem::remove(target);
  state.SetBytesProcessed(state.iterations() * state.range(0) * kMiB);
}
BENCHMARK(BM_DownloadToFile)->Arg(8)->Arg(64)->Unit(benchmark::kMillisecond)->UseRealTime();

// The curl tool, started and waited for, as a user would run it.
bool RunCurl(const std::string& address, const std::string& output) {
  std::vector<std::string> args = {"curl", "-s", "-f", "--noproxy", "*", "-o", output, address};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, "curl", nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_CurlTool(benchmark::State& state) {
  const std::string address = Address(state.range(0));
  for (auto _ : state) {
    if (!RunCurl(address, "/dev/null")) state.SkipWithError("curl failed");
  }
  state.SetBytesProcessed(state.iterations() * state.range(0) * kMiB);
}
BENCHMARK(BM_CurlTool)
    ->Arg(0)
    ->Arg(1)
    ->Arg(8)
    ->Arg(32)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_CurlToolToFile(benchmark::State& state) {
  const std::string address = Address(state.range(0));
  const std::string target = Target();
  for (auto _ : state) {
    if (!RunCurl(address, target)) state.SkipWithError("curl failed");
  }
  std::filesystem::remove(target);
  state.SetBytesProcessed(state.iterations() * state.range(0) * kMiB);
}
BENCHMARK(BM_CurlToolToFile)->Arg(8)->Arg(64)->Unit(benchmark::kMillisecond)->UseRealTime();

// One download of the given size; prints the process's peak resident memory.
int RssDownload(int64_t mebibytes) {
  const std::string target = Target();
  const int32_t status = DownloadToFile(Address(mebibytes).c_str(), target.c_str());
  const auto size = std::filesystem::exists(target) ? std::filesystem::file_size(target) : 0;
  std::filesystem::remove(target);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("download of %lld MiB: status %d, %llu bytes saved, peak RSS %ld KiB\n",
              static_cast<long long>(mebibytes), status, static_cast<unsigned long long>(size),
              usage.ru_maxrss);
  return status == 0 ? 0 : 1;
}

}  // namespace
}  // namespace pagewick

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--rss-download=", 15) == 0) {
      return pagewick::RssDownload(std::atoll(argv[i] + 15));
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
