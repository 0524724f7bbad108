// The site B table handler (BxwxTableSearch) reading any results page and any book page: the
// book page asked for is the host + a link read from the results page, the summary asked about
// is made of pieces of the results page, the file address is read from the book page, and the
// file is saved as title + " - " + field 2.
// Input: the selector byte of site_support.h, the results page, a zero byte, the book page's
// body (zero bytes included).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/site_support.h"
#include "text/bytes.h"

using namespace pagewick;        // NOLINT: a fuzz target of one function
using namespace pagewick::fuzz;  // NOLINT

namespace {

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t from = 0;
  for (size_t at; (at = text.find("\r\n", from)) != std::string_view::npos; from = at + 2) {
    lines.push_back(text.substr(from, at - from));
  }
  lines.push_back(text.substr(from));
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input input(data, size);
  Click click(input.TakeByte());
  const Text results(input.TakeText());
  const std::string bookBody(input.Rest());
  Network().pages = {results.str(), bookBody};

  BxwxTableSearch();

  const DeskMessage* question = CheckClick(click, 2);
  if (!click.nameEntered()) return 0;
  const auto& calls = Network().calls;
  const auto& messages = click.desk.messages();
  FUZZ_CHECK(calls[0].kind == NetworkCall::kHttpRequest && calls[0].method.empty() &&
             calls[0].postData.empty());
  FUZZ_CHECK(
      calls[0].address ==
      TextConcat("http://b.test/modules/article/searchh.php?searchtype=articlename&searchkey=",
                 EncodeFormValue(click.name))
          .str());

  const Text& notice = "错误原因：对不起，两次搜索的间隔时间不得少于 18 秒"_gbk;
  if (results.empty() || SlowFind(results.view(), notice.view(), 1, 0) != -1) {
    FUZZ_CHECK(calls.size() == 1 && messages.size() == 1);
    FUZZ_CHECK(messages[0].text == (results.empty() ? "网络连接错误，请检查后重试！"_gbk : notice));
    FUZZ_CHECK(CurrentBookInfo.empty() && CurrentDownloadUrl.empty());  // left as they were
    return 0;
  }

  // The book page: the host and a link from the results page.
  FUZZ_CHECK(calls.size() >= 2 && calls[1].kind == NetworkCall::kFetchPage);
  static constexpr std::string_view kHost = "http://b.test";
  FUZZ_CHECK(calls[1].address.starts_with(kHost));
  FUZZ_CHECK(Contains(results.view(), std::string_view(calls[1].address).substr(kHost.size())));
  // The file address comes from the book page.
  const Text bookPage = BytesToText(ByteBuffer(bookBody));
  FUZZ_CHECK(Contains(bookPage.view(), CurrentDownloadUrl.view()));
  if (question == nullptr) {
    FUZZ_CHECK(CurrentDownloadUrl.empty());
    FUZZ_CHECK(messages[0].text ==
               TextConcat("很抱歉，没有找到与"_gbk, click.name, "有关的电子书"_gbk));
    return 0;
  }
  FUZZ_CHECK(!CurrentDownloadUrl.empty());
  FUZZ_CHECK(question->text == CurrentBookInfo);
  const std::vector<std::string_view> lines = Lines(question->text.view());
  FUZZ_CHECK(lines.size() >= 5);
  for (std::string_view line : lines) FUZZ_CHECK(Contains(results.view(), line));
  if (calls.size() == 2) return 0;  // answered No

  FUZZ_CHECK(calls[2].address == CurrentDownloadUrl.str());
  if (lines.size() == 5) {  // no field holds a line break: title and field 2 are known
    const Text stem = TextConcat(lines[0], " - ", lines[1]);
    FUZZ_CHECK(calls[2].filePath ==
               TextConcat(kRunDirectory, "/", SafeFileName(stem, ".txt")).str());
  }
  if (Network().downloadStatus == 0) {
    FUZZ_CHECK(messages[1].text == "下载成功,请在文件目录中寻找"_gbk);
    FUZZ_CHECK(messages[1].flags == kMessageOk);
  } else if (messages.size() == 2) {
    FUZZ_CHECK(messages[1].text != "下载成功,请在文件目录中寻找"_gbk);
  }
  return 0;
}
