// The site A handler (FeikuSearch) reading any answer to its search: the question is
// author + " - " + title + ".txt" with both read from the decoded answer, the book number in
// the download address stands in it too, and the file is saved under the name asked about.
// Input: the selector byte of site_support.h, then the answer's body (zero bytes included).
#include <cstddef>
#include <cstdint>
#include <string>

#include "encoding/page_decoding.h"
#include "encoding/search_key.h"
#include "fuzz/site_support.h"
#include "text/bytes.h"

using namespace pagewick;        // NOLINT: a fuzz target of one function
using namespace pagewick::fuzz;  // NOLINT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input input(data, size);
  Click click(input.TakeByte());
  const std::string body(input.Rest());
  Network().pages.push_back(body);

  FeikuSearch();

  const DeskMessage* question = CheckClick(click, 1);
  if (!click.nameEntered()) return 0;
  const auto& calls = Network().calls;
  const auto& messages = click.desk.messages();
  FUZZ_CHECK(calls[0].kind == NetworkCall::kFetchPage);
  FUZZ_CHECK(
      calls[0].address ==
      TextConcat("http://search.a.test/s/?SearchKey=", EncodeSearchKey(click.name), "&c=1").str());

  const Text page = DecodePage(BytesToText(ByteBuffer(body)));
  if (page.empty()) {
    FUZZ_CHECK(messages[0].text == "网络连接错误，请检查后重试！"_gbk && messages[0].flags == 0);
    return 0;
  }
  if (question == nullptr) {
    FUZZ_CHECK(messages[0].text ==
               TextConcat("很抱歉，没有找到与"_gbk, click.name, "有关的电子书"_gbk));
    FUZZ_CHECK(messages[0].flags == kMessageSystemModal);
    return 0;
  }
  const std::string_view asked = question->text.view();
  FUZZ_CHECK(asked.ends_with(".txt"));
  const Text stem(asked.substr(0, asked.size() - 4));
  FUZZ_CHECK(IsPairFrom(stem.view(), page.view()));
  if (calls.size() == 1) return 0;  // answered No

  const std::string_view address = calls[1].address;
  static constexpr std::string_view kBefore = "http://down.a.test/Txt/", kAfter = "_full.txt";
  FUZZ_CHECK(address.starts_with(kBefore) && address.ends_with(kAfter));
  const std::string_view number =
      address.substr(kBefore.size(), address.size() - kBefore.size() - kAfter.size());
  FUZZ_CHECK(!number.empty() && Contains(page.view(), number));
  FUZZ_CHECK(calls[1].filePath == TextConcat(kRunDirectory, "/", SafeFileName(stem, ".txt")).str());
  if (Network().downloadStatus == 0) {
    FUZZ_CHECK(messages[1].text == "下载成功,请在文件目录中寻找!"_gbk);
    FUZZ_CHECK(messages[1].flags == kMessageSystemModal);
  } else if (messages.size() == 2) {
    FUZZ_CHECK(messages[1].text != "下载成功,请在文件目录中寻找!"_gbk);
  }
  return 0;
}
