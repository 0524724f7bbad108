#include "sites/handlers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "demo/demo_sites.h"
#include "scripted_desk.h"
#include "sites/hosts.h"
#include "text/gbk.h"

namespace pagewick {
namespace {

namespace fs = std::filesystem;

const char kNetworkError[] = "网络连接错误，请检查后重试！";
const char kRateLimit[] = "错误原因：对不起，两次搜索的间隔时间不得少于 18 秒";
const char kSavedA[] = "下载成功,请在文件目录中寻找!";
const char kSavedB[] = "下载成功,请在文件目录中寻找";
const char kFailed[] = "下载失败，请检查后重试！";

std::string NotFound(const std::string& name) {
  return "很抱歉，没有找到与" + name + "有关的电子书";
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

struct Handler {
  const char* name;
  void (*run)();
};
const Handler kHandlers[] = {
    {"feiku", FeikuSearch}, {"bxwx", BxwxTableSearch}, {"bxwx1", BxwxFormSearch}};

class HandlersTest : public testing::Test {
 protected:
  void SetUp() override {
    const std::string host = sites_.host();
    SetHosts({Text(host), Text(host), Text(host), Text(host), Text(host)});
    runDirectory_ =
        fs::temp_directory_path() / ("pagewick-sites-" + std::to_string(::getpid()) + "-" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(runDirectory_);
    fs::create_directories(runDirectory_);
    desk_.SetRunDirectory(runDirectory_.string());
    SetDesk(&desk_);
    CurrentBookInfo = Text();
    CurrentDownloadUrl = Text();
  }
  void TearDown() override {
    SetDesk(nullptr);
    fs::remove_all(runDirectory_);
  }

  // A new desk for the next click, saving into the run directory unless told otherwise.
  void FreshDesk(const std::string& book, const fs::path& folder = {}) {
    desk_ = ScriptedDesk();
    desk_.SetRunDirectory((folder.empty() ? runDirectory_ : folder).string());
    desk_.SetBook(book);
  }

  const demo::SampleBook& Book(const std::string& id) const {
    for (const demo::SampleBook& book : catalogue_) {
      if (book.id == id) return book;
    }
    throw std::logic_error("no such book");
  }
  std::vector<fs::path> SavedFiles() const {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(runDirectory_)) files.push_back(entry.path());
    return files;
  }
  // Globals as UTF-8, for readable comparisons.
  static std::string Info() { return TextToUtf8(CurrentBookInfo); }
  static std::string Url() { return TextToUtf8(CurrentDownloadUrl); }

  std::vector<demo::SampleBook> catalogue_ = demo::SampleCatalogue();
  demo::DemoSites sites_{0, catalogue_};
  ScriptedDesk desk_;
  fs::path runDirectory_;
};

TEST_F(HandlersTest, PlaceholderOrEmptyEntryDoesNothing) {
  for (const Handler& handler : kHandlers) {
    for (const char* entry : {"请输入小说名字", ""}) {
      SCOPED_TRACE(std::string(handler.name) + " with '" + entry + "'");
      desk_.SetBook(entry);
      handler.run();
      EXPECT_TRUE(sites_.Requests().empty());
      EXPECT_TRUE(desk_.shown().empty());
    }
  }
}

TEST_F(HandlersTest, FeikuFindsConfirmsAndSavesTheBookAsServed) {
  desk_.SetBook("青石巷");
  desk_.AnswerNext(kResultYes);
  FeikuSearch();

  ASSERT_EQ(desk_.shown().size(), 2u);
  EXPECT_EQ(desk_.shown()[0].text, "沈知秋 - 青石巷.txt");
  EXPECT_EQ(desk_.shown()[0].flags, 4100);
  EXPECT_EQ(desk_.shown()[0].title, "是否下载");
  EXPECT_EQ(desk_.shown()[1].text, kSavedA);
  EXPECT_EQ(desk_.shown()[1].flags, 4096);
  EXPECT_EQ(ReadFile(runDirectory_ / "沈知秋 - 青石巷.txt"), Book("1001").textGbk);
  // The name goes out as percent-escaped UTF-8; the file comes from the download service.
  const auto requests = sites_.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].target, "/s/?SearchKey=%E9%9D%92%E7%9F%B3%E5%B7%B7&c=1");
  EXPECT_NE(requests[0].raw.find(" HTTP/1.0\r\n"), std::string::npos);
  EXPECT_EQ(requests[1].target, "/Txt/1001_full.txt");
  // Site A leaves the shared globals alone.
  EXPECT_TRUE(CurrentBookInfo.empty());
  EXPECT_TRUE(CurrentDownloadUrl.empty());
}

TEST_F(HandlersTest, TableSearchSummarisesTheFirstRowAndSavesUnderTitleAndField2) {
  desk_.SetBook("星河夜航");
  desk_.AnswerNext(kResultYes);
  BxwxTableSearch();

  ASSERT_EQ(desk_.shown().size(), 2u);
  const std::string summary = "星河夜航\r\n林远舟\r\n" +
                              std::to_string(Book("1002").textGbk.size() / 2) +
                              "K\r\n26-12-01\r\n连载中";
  EXPECT_EQ(desk_.shown()[0].text, summary);
  EXPECT_EQ(desk_.shown()[0].flags, 4100);
  EXPECT_EQ(desk_.shown()[0].title, "是否下载");
  EXPECT_EQ(desk_.shown()[1].text, kSavedB);
  EXPECT_EQ(desk_.shown()[1].flags, 0);
  EXPECT_EQ(ReadFile(runDirectory_ / "星河夜航 - 林远舟.txt"), Book("1002").textGbk);
  EXPECT_EQ(Info(), summary);
  EXPECT_EQ(Url(), "http://" + sites_.host() + "/down/1002.txt");

  const auto requests = sites_.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(
      requests[0].target,
      "/modules/article/searchh.php?searchtype=articlename&searchkey=%D0%C7%BA%D3%D2%B9%BA%BD");
  EXPECT_EQ(requests[1].target, "/binfo/1002.htm");
  EXPECT_EQ(requests[2].target, "/down/1002.txt");
}

TEST_F(HandlersTest, FormSearchPostsTheFormAndSavesUnderTitleAndAuthor) {
  desk_.SetBook("山海小记");
  desk_.AnswerNext(kResultYes);
  BxwxFormSearch();

  ASSERT_EQ(desk_.shown().size(), 2u);
  EXPECT_EQ(desk_.shown()[0].text, "山海小记 - 佚名");
  EXPECT_EQ(desk_.shown()[0].flags, 4100);
  EXPECT_EQ(desk_.shown()[1].text, kSavedB);
  EXPECT_EQ(desk_.shown()[1].flags, 0);
  EXPECT_EQ(ReadFile(runDirectory_ / "山海小记 - 佚名.txt"), Book("1003").textGbk);
  EXPECT_EQ(Info(), "山海小记 - 佚名");
  EXPECT_EQ(Url(), "http://" + sites_.host() + "/down/1003.txt");

  const auto requests = sites_.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(requests[0].target, "/modules/article/searchh.php");
  EXPECT_EQ(requests[0].body,
            "searchkey=%C9%BD%BA%A3%D0%A1%BC%C7&searchtype=articlename&submit=%CB%D1+%CB%F7");
  EXPECT_NE(requests[0].raw.find("\r\nContent-Type: application/x-www-form-urlencoded\r\n"),
            std::string::npos);
}

TEST_F(HandlersTest, NotFoundQuotesTheEntryAsItIsNowAndSiteBReplacesTheGlobals) {
  for (const Handler& handler : kHandlers) {
    SCOPED_TRACE(handler.name);
    CurrentBookInfo = "old info";
    CurrentDownloadUrl = "old url";
    FreshDesk("无此书");
    desk_.ChangeBookAfterReads(3, "改过的名字");  // placeholder test, empty test, the name
    handler.run();
    ASSERT_EQ(desk_.shown().size(), 1u);
    EXPECT_EQ(desk_.shown()[0].text, NotFound("改过的名字"));
    EXPECT_EQ(desk_.shown()[0].flags, 4096);
    EXPECT_TRUE(SavedFiles().empty());
    if (handler.run != FeikuSearch) {
      EXPECT_TRUE(CurrentDownloadUrl.empty());
      EXPECT_NE(Info(), "old info");
    }
  }
}

TEST_F(HandlersTest, EmptyAnswerIsANetworkErrorAndKeepsTheGlobals) {
  sites_.SetSilent(true);
  for (const Handler& handler : kHandlers) {
    SCOPED_TRACE(handler.name);
    CurrentBookInfo = "old info";
    CurrentDownloadUrl = "old url";
    FreshDesk("青石巷");
    handler.run();
    ASSERT_EQ(desk_.shown().size(), 1u);
    EXPECT_EQ(desk_.shown()[0].text, kNetworkError);
    EXPECT_EQ(desk_.shown()[0].flags, 0);
    EXPECT_EQ(Info(), "old info");
    EXPECT_EQ(Url(), "old url");
  }
}

TEST_F(HandlersTest, NoConnectionIsANetworkError) {
  SetHosts({"127.0.0.1:1", "127.0.0.1:1", "127.0.0.1:1", "127.0.0.1:1", "127.0.0.1:1"});
  for (const Handler& handler : kHandlers) {
    SCOPED_TRACE(handler.name);
    FreshDesk("青石巷");
    handler.run();
    ASSERT_EQ(desk_.shown().size(), 1u);
    EXPECT_EQ(desk_.shown()[0].text, kNetworkError);
  }
}

TEST_F(HandlersTest, RateLimitNoticeWinsAndKeepsTheGlobals) {
  sites_.SetRateLimited(true);
  for (const Handler& handler : {kHandlers[1], kHandlers[2]}) {
    SCOPED_TRACE(handler.name);
    CurrentBookInfo = "old info";
    CurrentDownloadUrl = "old url";
    FreshDesk("青石巷");
    handler.run();
    ASSERT_EQ(desk_.shown().size(), 1u);
    EXPECT_EQ(desk_.shown()[0].text, kRateLimit);
    EXPECT_EQ(desk_.shown()[0].flags, 4096);
    EXPECT_EQ(Info(), "old info");
    EXPECT_EQ(Url(), "old url");
  }
}

TEST_F(HandlersTest, AnsweringNoSavesNothingButSiteBHasReplacedTheGlobals) {
  for (const Handler& handler : kHandlers) {
    SCOPED_TRACE(handler.name);
    FreshDesk("青石巷");
    desk_.AnswerNext(kResultNo);
    CurrentDownloadUrl = Text();
    handler.run();
    EXPECT_EQ(desk_.shown().size(), 1u);
    EXPECT_TRUE(SavedFiles().empty());
    if (handler.run != FeikuSearch) {
      EXPECT_EQ(Url(), "http://" + sites_.host() + "/down/1001.txt");
    }
  }
}

TEST_F(HandlersTest, AFailedDownloadIsToldAndLeavesNoFile) {
  for (const Handler& handler : kHandlers) {
    SCOPED_TRACE(handler.name);
    FreshDesk("青石巷", runDirectory_ / "missing-folder");
    desk_.AnswerNext(kResultYes);
    handler.run();
    ASSERT_EQ(desk_.shown().size(), 2u);
    EXPECT_EQ(desk_.shown()[1].text, kFailed);
    EXPECT_EQ(desk_.shown()[1].flags, 0);
    EXPECT_TRUE(SavedFiles().empty());
  }
}

TEST_F(HandlersTest, TableSearchTellsNotFoundWhenTheBookPageHasNoFileAddress) {
  sites_.SetBookPagesGone(true);
  desk_.SetBook("青石巷");
  BxwxTableSearch();
  ASSERT_EQ(desk_.shown().size(), 1u);
  EXPECT_EQ(desk_.shown()[0].text, NotFound("青石巷"));
  EXPECT_TRUE(CurrentDownloadUrl.empty());
}

TEST_F(HandlersTest, TableSearchWithoutAResultRowFetchesTheSiteItself) {
  desk_.SetBook("无此书");
  BxwxTableSearch();
  const auto requests = sites_.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].target, "/");
  EXPECT_EQ(Info(), "\r\n\r\n\r\n\r\n");  // five empty lines
  ASSERT_EQ(desk_.shown().size(), 1u);
  EXPECT_EQ(desk_.shown()[0].text, NotFound("无此书"));
}

TEST_F(HandlersTest, SiteBSendsTheNameEncodedAsAGbkForm) {
  desk_.SetBook("a b&c=d%e#f+");
  BxwxTableSearch();
  BxwxFormSearch();
  const auto requests = sites_.Requests();
  ASSERT_GE(requests.size(), 3u);
  EXPECT_EQ(requests[0].target,
            "/modules/article/searchh.php?searchtype=articlename&searchkey=a+b%26c%3Dd%25e%23f%2B");
  EXPECT_EQ(requests.back().body,
            "searchkey=a+b%26c%3Dd%25e%23f%2B&searchtype=articlename&submit=%CB%D1+%CB%F7");
}

TEST_F(HandlersTest, DangerousTitlesAreSavedInsideTheRunDirectory) {
  std::vector<demo::SampleBook> books = {{"2001", "../../逃/逸", "..\\某人", "escaped?"}};
  demo::DemoSites tricky(0, books);
  const std::string host = tricky.host();
  SetHosts({Text(host), Text(host), Text(host), Text(host), Text(host)});
  for (const Handler& handler : kHandlers) {
    SCOPED_TRACE(handler.name);
    FreshDesk("逃");
    desk_.AnswerNext(kResultYes);
    handler.run();
    ASSERT_EQ(desk_.shown().size(), 2u);
    EXPECT_EQ(desk_.shown()[1].text, handler.run == FeikuSearch ? kSavedA : kSavedB);
    const auto files = SavedFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(ReadFile(files[0]), "escaped?");
    fs::remove(files[0]);
  }
  // The confirmation still shows the text as the site gave it.
  EXPECT_EQ(desk_.shown()[0].text, "../../逃/逸 - ..\\某人");
}

TEST_F(HandlersTest, YesSavesTheBookThatWasShownEvenWhenAnotherSearchRanMeanwhile) {
  for (const Handler& handler : {kHandlers[1], kHandlers[2]}) {
    SCOPED_TRACE(handler.name);
    FreshDesk("青石巷");
    desk_.AnswerNext(kResultYes);  // the outer question
    desk_.WhileQuestionWaits([this] {
      desk_.SetBook("星河夜航");
      desk_.AnswerNext(kResultNo);  // the inner search's question
      BxwxFormSearch();
    });
    handler.run();
    // The globals hold what the later search wrote, as they always did...
    EXPECT_EQ(Info(), "星河夜航 - 林远舟");
    // ...but Yes saved the book the reader was asked about, under its own name.
    const auto files = SavedFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(ReadFile(files[0]), Book("1001").textGbk);
    EXPECT_NE(files[0].filename().string().find("青石巷 - 沈知秋"), std::string::npos);
    fs::remove(files[0]);
  }
}

}  // namespace
}  // namespace pagewick
