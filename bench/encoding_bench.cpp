// Speed of the page decoding and of the search-key encoding.
//
// DecodePage runs over a 1 MiB and a 16 MiB UTF-8 page (markup, Chinese text, some percent
// escapes), beside glibc iconv converting the same bytes straight from UTF-8 to GBK, the
// floor that any decoder built on it can reach. Compare the MB/s of the two, and the time of
// the 16 MiB page with sixteen times that of the 1 MiB page. A page in code page 936 shows the
// cost of invalid input.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstdint>
#include <map>
#include <string>

#include "encoding/page_decoding.h"
#include "encoding/search_key.h"
#include "text/gbk.h"

namespace pagewick {
namespace {

// A results page of the size asked for, built once per size.
const Text& Page(size_t size) {
  static std::map<size_t, Text> pages;
  auto found = pages.find(size);
  if (found != pages.end()) return found->second;
  std::string page = "<html><head><meta charset=\"utf-8\"><title>搜索结果</title></head><body>\n";
  for (int row = 0; page.size() < size; ++row) {
    const std::string n = std::to_string(row);
    page += "<tr><td class=\"odd\"><a href=\"/Book/" + n + ".aspx\" target=\"_blank\">";
    page += "斗破苍穹第" + n + "卷</a></td><td>作者：天蚕土豆</td><td>玄幻魔法</td>";
    page += "<td>这里是属于斗气的世界，没有花俏艳丽的魔法，有的，仅仅是繁衍到巅峰的斗气！</td>";
    page += "<td><a href=\"/s/?SearchKey=%E5%B0%8F%E8%AF%B4&c=1\">%E5%B0%8F%E8%AF%B4</a></td>";
    page += "<td>2009-01-01 12:00</td></tr>\n";
  }
  // Cut on a character start: back up over UTF-8 continuation bytes.
  size_t cut = size;
  while (cut > 0 && (static_cast<unsigned char>(page[cut]) & 0xC0) == 0x80) --cut;
  page.resize(cut);
  return pages.emplace(size, Text(std::move(page))).first->second;
}

void BM_DecodePage(benchmark::State& state) {
  const Text& page = Page(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    Text decoded = DecodePage(page);
    benchmark::DoNotOptimize(decoded);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}

// A page served in code page 936 instead of UTF-8: nearly every Chinese character is invalid
// UTF-8 and ends up as "?", so the conversions meet an error every few bytes.
void BM_DecodePageInCodePage936(benchmark::State& state) {
  const Text page = TextFromUtf8(Page(static_cast<size_t>(state.range(0))).view());
  for (auto _ : state) {
    Text decoded = DecodePage(page);
    benchmark::DoNotOptimize(decoded);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}

// The same bytes straight from UTF-8 to GBK in one iconv call, into a buffer made once.
void BM_IconvUtf8ToGbk(benchmark::State& state) {
  const Text& page = Page(static_cast<size_t>(state.range(0)));
  iconv_t cd = iconv_open("GBK", "UTF-8");
  std::string out(page.str().size(), '\0');
  for (auto _ : state) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(page.c_str());
    size_t inLeft = page.str().size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
      state.SkipWithError("iconv failed");
      break;
    }
    benchmark::DoNotOptimize(outPtr);
  }
  iconv_close(cd);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}

// A 1 KiB name, mostly Chinese, with letters, digits and characters of the escaped set.
void BM_EncodeSearchKey(benchmark::State& state) {
  const Text piece = "斗破苍穹 (第2部) & 番外~50% "_gbk;
  std::string name;
  while (name.size() + piece.str().size() <= 1024) name += piece.str();
  const Text text(name);
  for (auto _ : state) {
    Text key = EncodeSearchKey(text);
    benchmark::DoNotOptimize(key);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

constexpr int64_t kMiB = 1 << 20;
BENCHMARK(BM_DecodePage)->Arg(kMiB)->Arg(16 * kMiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePageInCodePage936)->Arg(kMiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IconvUtf8ToGbk)->Arg(kMiB)->Arg(16 * kMiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeSearchKey)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace pagewick

BENCHMARK_MAIN();
