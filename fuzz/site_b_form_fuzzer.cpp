// The site B form handler (BxwxFormSearch) reading any answer to its form: it posts the form,
// reads the file address from the answer, asks about title + " - " + author, both read from
// the answer, and saves the file under the name asked about.
// Input: the selector byte of site_support.h, then the answer page.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/site_support.h"

using namespace pagewick;        // NOLINT: a fuzz target of one function
using namespace pagewick::fuzz;  // NOLINT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input input(data, size);
  Click click(input.TakeByte());
  const Text answer(input.TakeText());
  Network().pages = {answer.str()};

  BxwxFormSearch();

  const DeskMessage* question = CheckClick(click, 1);
  if (!click.nameEntered()) return 0;
  const auto& calls = Network().calls;
  const auto& messages = click.desk.messages();
  FUZZ_CHECK(calls[0].kind == NetworkCall::kHttpRequest && calls[0].method == "POST");
  FUZZ_CHECK(calls[0].address == "http://b.test/modules/article/searchh.php");
  FUZZ_CHECK(calls[0].postData == TextConcat("searchkey=", EncodeFormValue(click.name),
                                             "&searchtype=articlename&submit=%CB%D1+%CB%F7")
                                      .str());

  const Text& notice = "错误原因：对不起，两次搜索的间隔时间不得少于 18 秒"_gbk;
  if (answer.empty() || SlowFind(answer.view(), notice.view(), 1, 0) != -1) {
    FUZZ_CHECK(calls.size() == 1 && messages.size() == 1);
    FUZZ_CHECK(messages[0].text == (answer.empty() ? "网络连接错误，请检查后重试！"_gbk : notice));
    FUZZ_CHECK(CurrentBookInfo.empty() && CurrentDownloadUrl.empty());  // left as they were
    return 0;
  }

  FUZZ_CHECK(Contains(answer.view(), CurrentDownloadUrl.view()));
  FUZZ_CHECK(IsPairFrom(CurrentBookInfo.view(), answer.view()));
  if (question == nullptr) {
    FUZZ_CHECK(CurrentDownloadUrl.empty());
    FUZZ_CHECK(messages[0].text ==
               TextConcat("很抱歉，没有找到与"_gbk, click.name, "有关的电子书"_gbk));
    return 0;
  }
  FUZZ_CHECK(!CurrentDownloadUrl.empty() && question->text == CurrentBookInfo);
  if (calls.size() == 1) return 0;  // answered No

  FUZZ_CHECK(calls[1].address == CurrentDownloadUrl.str());
  FUZZ_CHECK(calls[1].filePath ==
             TextConcat(kRunDirectory, "/", SafeFileName(CurrentBookInfo, ".txt")).str());
  if (Network().downloadStatus == 0) {
    FUZZ_CHECK(messages[1].text == "下载成功,请在文件目录中寻找"_gbk);
    FUZZ_CHECK(messages[1].flags == kMessageOk);
  } else if (messages.size() == 2) {
    FUZZ_CHECK(messages[1].text != "下载成功,请在文件目录中寻找"_gbk);
  }
  return 0;
}
