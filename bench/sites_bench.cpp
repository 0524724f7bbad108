// Whole searches against the demo sites on 127.0.0.1: the time from the click to the
// confirmation box over a 1 MiB results page, and from Yes to the saved file for a 16 MiB
// book. The desk answers at once, so the figures are the program's own time.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <optional>

#include "demo/demo_sites.h"
#include "sites/desk.h"
#include "sites/handlers.h"
#include "sites/hosts.h"
#include "text/gbk.h"

namespace pagewick {
namespace {

using Clock = std::chrono::steady_clock;

// Times the stretch before the question and the stretch after a Yes.
class TimingDesk : public Desk {
 public:
  Text book;
  Text runDirectory;
  int32_t answer = kResultNo;
  Clock::time_point clicked, asked, answered, told;

  Text BookText() override { return book; }
  int32_t ShowMessage(const Text&, int32_t flags, const std::optional<Text>&) override {
    if ((flags & 0x0F) != 0) {
      asked = Clock::now();
      answered = Clock::now();
      return answer;
    }
    told = Clock::now();
    return kResultOk;
  }
  Text RunDirectory() override { return runDirectory; }
};

// Many books share the searched word, so the results table runs to about 1 MiB.
std::vector<demo::SampleBook> ManyBooks(size_t largeBook) {
  std::vector<demo::SampleBook> books = demo::SampleCatalogue(largeBook);
  for (int i = 0; i < 4400; ++i) {
    books.push_back({std::to_string(5000 + i), "青石巷外传" + std::to_string(i), "某某", "x"});
  }
  return books;
}

void UseSites(const demo::DemoSites& sites) {
  const Text host(sites.host());
  SetHosts({host, host, host, host, host});
}

void BM_TableSearchClickToQuestion(benchmark::State& state) {
  demo::DemoSites sites(0, ManyBooks(0));
  UseSites(sites);
  TimingDesk desk;
  desk.book = "青石巷"_gbk;
  SetDesk(&desk);
  for (auto _ : state) {
    const auto start = Clock::now();
    BxwxTableSearch();
    state.SetIterationTime(std::chrono::duration<double>(desk.asked - start).count());
  }
  SetDesk(nullptr);
}

void BM_YesToSavedFile16MiB(benchmark::State& state, void (*handler)(), const char* name) {
  demo::DemoSites sites(0, demo::SampleCatalogue(16u << 20));
  UseSites(sites);
  const auto folder = std::filesystem::temp_directory_path() / "pagewick-bench";
  std::filesystem::create_directories(folder);
  TimingDesk desk;
  desk.book = TextFromUtf8(name);
  desk.runDirectory = Text(folder.string());
  desk.answer = kResultYes;
  SetDesk(&desk);
  for (auto _ : state) {
    handler();
    state.SetIterationTime(std::chrono::duration<double>(desk.told - desk.answered).count());
  }
  state.SetBytesProcessed(state.iterations() * (16 << 20));
  SetDesk(nullptr);
  std::filesystem::remove_all(folder);
}

BENCHMARK(BM_TableSearchClickToQuestion)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_YesToSavedFile16MiB, feiku, FeikuSearch, "长河万里")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_YesToSavedFile16MiB, bxwx1, BxwxFormSearch, "长河万里")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pagewick

BENCHMARK_MAIN();
