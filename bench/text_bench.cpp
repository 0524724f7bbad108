// TextFind and ExtractBetween over a large GBK page, beside memmem over the same bytes.
// The wanted marker stands near the end, so each call walks the whole page.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "text/extract.h"
#include "text/gbk.h"
#include "text/text.h"

namespace pagewick {
namespace {

// ASCII markup mixed with Chinese text, then the wanted marker near the end.
const std::string& Page(size_t bytes) {
  static std::string pages[2];
  std::string& page = pages[bytes > (1u << 20) ? 1 : 0];
  if (page.empty()) {
    const std::string row = std::string("<tr><td class=\"odd\"><a href=\"/b/1.htm\">") +
                            "笔下文学的小说标题"_gbk.str() + "</a></td><td>" +
                            "作者名字，连载中"_gbk.str() + "</td></tr>\n";
    while (page.size() + row.size() < bytes - 64) page += row;
    page += "<td class=\"end\">var thunder_url = \"http://x/1.txt\";";
  }
  return page;
}

void BM_TextFind(benchmark::State& state) {
  const Text page(Page(static_cast<size_t>(state.range(0))));
  const Text marker = "var thunder_url = \"";
  if (TextFind(page, marker) != static_cast<int32_t>(page.str().rfind(marker.str()) + 1))
    state.SkipWithError("wrong position");
  for (auto _ : state) benchmark::DoNotOptimize(TextFind(page, marker));
  state.SetBytesProcessed(state.iterations() * page.size());
}

void BM_ExtractBetween(benchmark::State& state) {
  const Text page(Page(static_cast<size_t>(state.range(0))));
  for (auto _ : state) {
    benchmark::DoNotOptimize(ExtractBetween(page, "var thunder_url = \"", "\";"));
  }
  state.SetBytesProcessed(state.iterations() * page.size());
}

// A marker whose first byte, '<', starts every tag of the page.
void BM_TextFindCommonFirstByte(benchmark::State& state) {
  const Text page(Page(static_cast<size_t>(state.range(0))));
  const Text marker = "<td class=\"end\">";
  if (TextFind(page, marker) != static_cast<int32_t>(page.str().rfind(marker.str()) + 1))
    state.SkipWithError("wrong position");
  for (auto _ : state) benchmark::DoNotOptimize(TextFind(page, marker));
  state.SetBytesProcessed(state.iterations() * page.size());
}

void BM_MemmemCommonFirstByte(benchmark::State& state) {
  const std::string& page = Page(static_cast<size_t>(state.range(0)));
  const char marker[] = "<td class=\"end\">";
  for (auto _ : state) {
    benchmark::DoNotOptimize(memmem(page.data(), page.size(), marker, sizeof marker - 1));
  }
  state.SetBytesProcessed(state.iterations() * page.size());
}

void BM_Memmem(benchmark::State& state) {
  const std::string& page = Page(static_cast<size_t>(state.range(0)));
  const char marker[] = "var thunder_url = \"";
  for (auto _ : state) {
    benchmark::DoNotOptimize(memmem(page.data(), page.size(), marker, sizeof marker - 1));
  }
  state.SetBytesProcessed(state.iterations() * page.size());
}

// A Chinese marker: its first byte is a lead byte that occurs all over the page.
void BM_TextFindChinese(benchmark::State& state) {
  const Text page(Page(static_cast<size_t>(state.range(0))));
  const Text& marker = "错误原因"_gbk;
  for (auto _ : state) benchmark::DoNotOptimize(TextFind(page, marker));
  state.SetBytesProcessed(state.iterations() * page.size());
}

void BM_TextConcat(benchmark::State& state) {
  const Text part(std::string(64, 'x'));
  for (auto _ : state) {
    benchmark::DoNotOptimize(TextConcat(part, " - ", part, ".txt", part, part, part, part));
  }
}

BENCHMARK(BM_TextFind)->Arg(1 << 20)->Arg(16 << 20);
BENCHMARK(BM_ExtractBetween)->Arg(1 << 20)->Arg(16 << 20);
BENCHMARK(BM_Memmem)->Arg(1 << 20)->Arg(16 << 20);
BENCHMARK(BM_TextFindCommonFirstByte)->Arg(1 << 20)->Arg(16 << 20);
BENCHMARK(BM_MemmemCommonFirstByte)->Arg(1 << 20)->Arg(16 << 20);
BENCHMARK(BM_TextFindChinese)->Arg(1 << 20)->Arg(16 << 20);
BENCHMARK(BM_TextConcat);

}  // namespace
}  // namespace pagewick

BENCHMARK_MAIN();
