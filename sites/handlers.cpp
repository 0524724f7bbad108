#include "sites/handlers.h"

#include <optional>

#include "encoding/page_decoding.h"
#include "encoding/search_key.h"
#include "net/fetch.h"
#include "net/http_request.h"
#include "sites/desk.h"
#include "sites/file_names.h"
#include "sites/hosts.h"
#include "text/bytes.h"
#include "text/extract.h"
#include "text/gbk.h"

namespace pagewick {

Text CurrentBookInfo;
Text CurrentDownloadUrl;

namespace {

#ifdef _WIN32
constexpr const char* kPathSeparator = "\\";
#else
constexpr const char* kPathSeparator = "/";
#endif

const Text& RateLimitNotice() { return "错误原因：对不起，两次搜索的间隔时间不得少于 18 秒"_gbk; }

// The entry box holds the placeholder or nothing: the click does nothing at all. The box is
// read afresh for each test, as it may change while a search runs.
bool NoNameEntered(Desk& desk) {
  return TextCompare(desk.BookText(), "请输入小说名字"_gbk) == 0 ||
         TextCompare(desk.BookText(), Text()) == 0;
}

void ShowNetworkError(Desk& desk) {
  desk.ShowMessage("网络连接错误，请检查后重试！"_gbk, kMessageOk, std::nullopt);
}

// Quotes what the entry box holds now, not the name that was sent.
void ShowNotFound(Desk& desk) {
  desk.ShowMessage(TextConcat("很抱歉，没有找到与"_gbk, desk.BookText(), "有关的电子书"_gbk),
                   kMessageSystemModal, std::nullopt);
}

bool ConfirmDownload(Desk& desk, const Text& question) {
  return desk.ShowMessage(question, kMessageYesNoSystemModal, "是否下载"_gbk) == kResultYes;
}

// Saves the book at url as stem + ".txt" in the run directory, under a name that cannot leave
// that folder, and tells the reader how it went.
void SaveBook(Desk& desk, const Text& url, const Text& stem, const Text& success,
              int32_t successFlags) {
  const Text path = TextConcat(desk.RunDirectory(), kPathSeparator, SafeFileName(stem, ".txt"));
  if (DownloadToFile(url, path) == 0) {
    desk.ShowMessage(success, successFlags, std::nullopt);
  } else {
    desk.ShowMessage("下载失败，请检查后重试！"_gbk, kMessageOk, std::nullopt);
  }
}

// Site B's answers begin with the rate-limit notice test; true when the click must end here.
bool RefusedOrEmpty(Desk& desk, const Text& answer) {
  if (answer.empty()) {
    ShowNetworkError(desk);
    return true;
  }
  if (TextFind(answer, RateLimitNotice()) != -1) {
    desk.ShowMessage(RateLimitNotice(), kMessageSystemModal, std::nullopt);
    return true;
  }
  return false;
}

// The end of both site B searches: the not-found message when the globals hold no address,
// else the question with the book info and, on Yes, the book saved as stem + ".txt". Another
// search may replace the globals while the question waits, so the address and the name are
// the ones this click showed, taken before asking.
void OfferSiteBBook(Desk& desk, const Text& stem) {
  const Text shown = CurrentBookInfo;
  const Text url = CurrentDownloadUrl;
  const Text name = stem;  // stem may be the global itself
  if (url.empty()) {
    ShowNotFound(desk);
    return;
  }
  if (!ConfirmDownload(desk, shown)) return;
  SaveBook(desk, url, name, "下载成功,请在文件目录中寻找"_gbk, kMessageOk);
}

}  // namespace

void FeikuSearch() {
  Desk& desk = CurrentDesk();
  if (NoNameEntered(desk)) return;
  const SiteHosts& hosts = Hosts();
  const Text address = TextConcat("http://", hosts.siteASearch,
                                  "/s/?SearchKey=", EncodeSearchKey(desk.BookText()), "&c=1");
  const Text page = DecodePage(BytesToText(FetchPage(address)));
  if (page.empty()) {
    ShowNetworkError(desk);
    return;
  }
  const Text author =
      ExtractBetween(page, "target=\"_blank\">", "</a></dd>", TextFind(page, "作者："_gbk));
  const Text title =
      ExtractBetween(page, "\"><img alt=\"", TextConcat("\" src=\"http://", hosts.siteAImage, "/"),
                     TextFind(page, "本次耗时：["_gbk));
  const Text bookNumber =
      ExtractBetween(page, TextConcat("href=\"http://", hosts.siteABook, "/Book/"),
                     "/Index.html\">", TextFind(page, "本次耗时："_gbk));
  const Text stem = TextConcat(author, " - ", title);
  if (bookNumber.empty()) {
    ShowNotFound(desk);
    return;
  }
  if (!ConfirmDownload(desk, TextConcat(stem, ".txt"))) return;
  const Text download =
      TextConcat("http://", hosts.siteADownload, "/Txt/", bookNumber, "_full.txt");
  SaveBook(desk, download, stem, "下载成功,请在文件目录中寻找!"_gbk, kMessageSystemModal);
}

void BxwxTableSearch() {
  Desk& desk = CurrentDesk();
  if (NoNameEntered(desk)) return;
  const Text& host = Hosts().siteB;
  const Text address =
      TextConcat("http://", host, "/modules/article/searchh.php?searchtype=articlename&searchkey=",
                 EncodeFormValue(desk.BookText()));
  const Text results = HttpRequest(address);
  if (RefusedOrEmpty(desk, results)) return;

  const Text link = ExtractBetween(results, "<td class=\"odd\"><a href=\"", "\">");
  const Text title =
      ExtractBetween(results, TextConcat("<td class=\"odd\"><a href=\"", link, "\">"), "</a></td>");
  const Text field2 = ExtractBetween(results, "<td class=\"odd\">", "</td>",
                                     TextFind(results, TextConcat(title, "</a></td>")));
  const Text field3 =
      ExtractBetween(results, "<td class=\"even\">", "</td>", TextFind(results, field2));
  const Text field4 = ExtractBetween(results, "<td class=\"odd\" align=\"center\">", "</td>");
  const Text field5 = ExtractBetween(results, "<td class=\"even\" align=\"center\">", "</td>");
  CurrentBookInfo =
      TextConcat(title, "\r\n", field2, "\r\n", field3, "\r\n", field4, "\r\n", field5);
  CurrentDownloadUrl = TextConcat("http://", host, link);
  const Text bookPage = BytesToText(FetchPage(CurrentDownloadUrl));
  CurrentDownloadUrl = ExtractBetween(bookPage, "var thunder_url = \"", "\";");
  OfferSiteBBook(desk, TextConcat(title, " - ", field2));
}

void BxwxFormSearch() {
  Desk& desk = CurrentDesk();
  if (NoNameEntered(desk)) return;
  const Text& host = Hosts().siteB;
  const Text postData = TextConcat("searchkey=", EncodeFormValue(desk.BookText()),
                                   "&searchtype=articlename&submit=%CB%D1+%CB%F7");
  Text method = "POST";
  const Text answer = HttpRequest(TextConcat("http://", host, "/modules/article/searchh.php"),
                                  &method, nullptr, nullptr, &postData);
  if (RefusedOrEmpty(desk, answer)) return;

  CurrentDownloadUrl = ExtractBetween(answer, "&resurl=", TextConcat("&siteurl=http://", host));
  const Text title = ExtractBetween(answer, "<meta name=\"keywords\" content=\"", "\" />");
  // The label's gaps are two ideographic spaces.
  const Text author =
      ExtractBetween(answer, "target=\"_blank\">", "</a></td>", TextFind(answer, "作　　者"_gbk));
  CurrentBookInfo = TextConcat(title, " - ", author);
  OfferSiteBBook(desk, CurrentBookInfo);
}

}  // namespace pagewick
