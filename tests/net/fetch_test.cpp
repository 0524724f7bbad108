#include "net/fetch.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/net/net_test_util.h"
#include "text/gbk.h"

namespace pagewick {
namespace {

using namespace std::chrono_literals;
using testing::HostLine;
using testing::HttpAnswer;
using testing::kAgentLine;
using testing::RawConnection;
using testing::RawHttpServer;
using testing::RecordedRequest;
using testing::ScopedEnv;
using testing::ScopedTimeoutCap;
namespace fs = std::filesystem;

std::string Binary(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 4099) & 0xFF);
  return bytes;
}

std::string Closed(std::string_view path) {
  return "http://127.0.0.1:" + std::to_string(testing::ClosedPort()) + std::string(path);
}

class FetchTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::SetTimeoutCapForTesting(ScopedTimeoutCap::kSuiteCap); }
};

TEST(FetchReadPieceSize, FollowsTheAnnouncedLength) {
  struct Row {
    const char* contentLength;
    int32_t piece;
  };
  const Row rows[] = {{"", 10240},         {"0", 10240},
                      {"-5", 10240},       {"abc", 10240},
                      {"99", 100},         {"1", 2},
                      {"102398", 102399},  {"102399", 102400},
                      {"1000000", 102400}, {"99999999999", 102400},
                      {" 42 ", 43}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.contentLength);
    EXPECT_EQ(FetchReadPieceSize(row.contentLength), row.piece);
  }
}

TEST_F(FetchTest, GetIsHttp10WithAcceptAndNoFragment) {
  RawHttpServer server(RawHttpServer::Reply(HttpAnswer(200, "page")));
  EXPECT_EQ(FetchPage(server.Url("/s/?SearchKey=%E5%B0%8F&c=1#results").c_str()),
            ByteBuffer(std::string_view("page")));
  const RecordedRequest request = server.Requests().at(0);
  EXPECT_EQ(request.RequestLine(), "GET /s/?SearchKey=%E5%B0%8F&c=1 HTTP/1.0");
  EXPECT_EQ(request.HeaderLines(),
            (std::vector<std::string>{HostLine(server), kAgentLine, "Accept: */*"}));
  EXPECT_EQ(request.body, "");
}

TEST_F(FetchTest, BodyComesBackWholeWithItsZeroBytes) {
  struct Row {
    const char* name;
    std::string answer;
    std::string body;
  };
  const std::string binary = Binary(300000);  // beyond one piece, and beyond the largest piece
  const std::string large = Binary(3 << 20);  // enough to pause and resume the transfer
  const Row rows[] = {
      {"zero bytes", HttpAnswer(200, std::string("ab\0cd", 5)), std::string("ab\0cd", 5)},
      {"several pieces", HttpAnswer(200, binary), binary},
      {"without a length", "HTTP/1.0 200 OK\r\n\r\n" + binary, binary},
      {"large", HttpAnswer(200, large), large},
      {"not found page", HttpAnswer(404, "missing"), "missing"},
      {"chunked",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\na" + std::string(1, '\0') +
           "b\r\n0\r\n\r\n",
       std::string("a\0b", 3)},
      {"cut off part-way", "HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\nonly twenty bytes...",
       "only twenty bytes..."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RawHttpServer server(RawHttpServer::Reply(row.answer));
    const ByteBuffer body = FetchPage(server.Url("/b").c_str());
    EXPECT_EQ(body.size(), static_cast<int32_t>(row.body.size()));
    EXPECT_TRUE(body.view() == row.body);
  }
}

TEST_F(FetchTest, RedirectIsFollowed) {
  RawHttpServer server([](const RecordedRequest& request, RawConnection& connection) {
    if (request.RequestLine().starts_with("GET /book/1 ")) {
      connection.Send(HttpAnswer(301, "", {"Location: /book/1/"}));
    } else {
      connection.Send(HttpAnswer(200, "book"));
    }
  });
  EXPECT_EQ(FetchPage(server.Url("/book/1").c_str()), ByteBuffer(std::string_view("book")));
  EXPECT_EQ(server.Requests().at(1).RequestLine(), "GET /book/1/ HTTP/1.0");
}

TEST_F(FetchTest, FailuresGiveAnEmptyBufferAndSendNothing) {
  RawHttpServer server(RawHttpServer::Reply(HttpAnswer(200, "page")));
  const std::string port = std::to_string(server.port());
  const std::string longPath(2047, 'p');  // with its "/" the path needs 2049 bytes: too long
  const std::string longHost(256, 'h');
  const std::vector<std::string> addresses = {
      "",
      "127.0.0.1:" + port + "/no-scheme",
      "ftp://127.0.0.1:" + port + "/file",
      "gopher://127.0.0.1:" + port + "/x",
      "http://127.0.0.1:" + port + "/" + longPath,
      "http://" + longHost + ":" + port + "/",
      "http://" + std::string(128, 'u') + ":p@127.0.0.1:" + port + "/",
      "http://127.0.0.1:99999/",
  };
  for (const std::string& address : addresses) {
    SCOPED_TRACE(address.substr(0, 60));
    EXPECT_TRUE(FetchPage(address.c_str()).empty());
  }
  EXPECT_EQ(server.RequestCount(), 0u);
  // One byte less fits.
  EXPECT_EQ(FetchPage(("http://127.0.0.1:" + port + "/" + longPath.substr(1)).c_str()),
            ByteBuffer(std::string_view("page")));
}

TEST_F(FetchTest, ConnectionFaultsGiveAnEmptyBuffer) {
  EXPECT_TRUE(FetchPage(Closed("/refused").c_str()).empty());

  RawHttpServer silent(
      [](const RecordedRequest&, RawConnection& connection) { connection.WaitForStop(30s); });
  const ScopedTimeoutCap cap(300);
  EXPECT_TRUE(FetchPage(silent.Url("/silent").c_str()).empty());
  EXPECT_EQ(silent.RequestCount(), 1u);
}

TEST_F(FetchTest, HttpsGoesOutAsTls) {
  RawHttpServer server(RawHttpServer::Reply(""));  // reads the greeting, then hangs up
  EXPECT_TRUE(
      FetchPage(("https://127.0.0.1:" + std::to_string(server.port()) + "/p").c_str()).empty());
  ASSERT_EQ(server.RequestCount(), 1u);
  const std::string greeting = server.Requests()[0].head;
  ASSERT_FALSE(greeting.empty());
  EXPECT_EQ(greeting[0], '\x16');  // a TLS handshake record, not a plain request
}

TEST_F(FetchTest, FollowsTheProxyVariables) {
  RawHttpServer proxy(RawHttpServer::Reply(HttpAnswer(200, "via proxy")));
  const ScopedEnv httpProxy("http_proxy", proxy.Url("").c_str());
  const ScopedEnv noProxy("no_proxy", nullptr);
  const ScopedEnv noProxyUpper("NO_PROXY", nullptr);
  EXPECT_EQ(FetchPage("http://pagewick-site.invalid/book/7.html"),
            ByteBuffer(std::string_view("via proxy")));
  EXPECT_EQ(proxy.Requests().at(0).RequestLine(),
            "GET http://pagewick-site.invalid/book/7.html HTTP/1.0");
  {
    // A host named in no_proxy goes direct.
    RawHttpServer server(RawHttpServer::Reply(HttpAnswer(200, "direct")));
    const ScopedEnv bypass("no_proxy", "localhost,127.0.0.1");
    EXPECT_EQ(FetchPage(server.Url("/d").c_str()), ByteBuffer(std::string_view("direct")));
  }
  EXPECT_EQ(proxy.RequestCount(), 1u);
}

TEST_F(FetchTest, RootIsOpenedOnceAndReused) {
  RawHttpServer server(RawHttpServer::Reply(HttpAnswer(200, "page")));
  const std::string address = server.Url("/r");
  // Make sure the root is open, then count.
  FetchPage(address.c_str());
  const int32_t opened = platform::RootsOpenedForTesting();
  EXPECT_EQ(FetchPage(address.c_str()), ByteBuffer(std::string_view("page")));
  EXPECT_EQ(FetchPage(address.c_str()), ByteBuffer(std::string_view("page")));
  EXPECT_EQ(platform::RootsOpenedForTesting(), opened);
}

TEST_F(FetchTest, FailedFirstOpenIsRetriedByTheNextFetch) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process, where no root is open yet
  EXPECT_EXIT(
      {
        RawHttpServer server(RawHttpServer::Reply(HttpAnswer(200, "page")));
        const std::string address = server.Url("/r");
        platform::FailRootOpensForTesting(1);
        const bool firstEmpty = FetchPage(address.c_str()).empty();
        const size_t sentAfterFailure = server.RequestCount();
        const int32_t before = platform::RootsOpenedForTesting();
        const bool secondOk = FetchPage(address.c_str()) == ByteBuffer(std::string_view("page"));
        const bool thirdOk = FetchPage(address.c_str()) == ByteBuffer(std::string_view("page"));
        const bool openedOnce = platform::RootsOpenedForTesting() == before + 1;
        std::exit(firstEmpty && sentAfterFailure == 0 && secondOk && thirdOk && openedOnce ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

// --- download ---

class DownloadTest : public FetchTest {
 protected:
  void SetUp() override {
    FetchTest::SetUp();
    std::string pattern = (fs::path(::testing::TempDir()) / "pagewick-net-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }

  std::set<std::string> Listing() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

  static std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }

  static void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  fs::path folder_;
};

TEST_F(DownloadTest, SavesTheBodyExactlyAndReplacesAnOldFile) {
  const std::string book = Binary(700000);
  RawHttpServer server(RawHttpServer::Reply(HttpAnswer(200, book)));
  const std::string target = PathOf("book.txt");
  EXPECT_EQ(DownloadToFile(server.Url("/Txt/1_full.txt").c_str(), target.c_str()), 0);
  EXPECT_TRUE(Contents(target) == book);

  Write(target, "old");
  EXPECT_EQ(DownloadToFile(server.Url("/Txt/1_full.txt").c_str(), target.c_str()), 0);
  EXPECT_TRUE(Contents(target) == book);
  EXPECT_EQ(Listing(), (std::set<std::string>{"book.txt"}));  // no temporary file left

  const RecordedRequest request = server.Requests().at(0);
  EXPECT_EQ(request.RequestLine(), "GET /Txt/1_full.txt HTTP/1.1");
  EXPECT_EQ(request.HeaderLines(),
            (std::vector<std::string>{HostLine(server), kAgentLine, "Accept: */*"}));
}

TEST_F(DownloadTest, GbkFileNameBecomesAUtf8Path) {
  RawHttpServer server(RawHttpServer::Reply(HttpAnswer(200, "text")));
  const Text target = TextConcat(folder_.string().c_str(), "/", "天蚕土豆 - 斗破苍穹.txt"_gbk);
  EXPECT_EQ(DownloadToFile(server.Url("/f").c_str(), target), 0);
  EXPECT_EQ(Listing(), (std::set<std::string>{"天蚕土豆 - 斗破苍穹.txt"}));
}

TEST_F(DownloadTest, RedirectThenSuccessSaves) {
  RawHttpServer server([](const RecordedRequest& request, RawConnection& connection) {
    if (request.RequestLine().starts_with("GET /a ")) {
      connection.Send(HttpAnswer(302, "", {"Location: /b"}));
    } else {
      connection.Send(HttpAnswer(200, "final"));
    }
  });
  EXPECT_EQ(DownloadToFile(server.Url("/a").c_str(), PathOf("r.txt").c_str()), 0);
  EXPECT_EQ(Contents(PathOf("r.txt")), "final");
}

TEST_F(DownloadTest, EveryFailureLeavesNoFileAndTheOldOneUntouched) {
  struct Row {
    const char* name;
    std::string answer;  // empty: never answers
  };
  const Row rows[] = {
      {"not found", HttpAnswer(404, "missing")},
      {"server error", HttpAnswer(500, "broken")},
      {"redirect to an error", HttpAnswer(302, "", {"Location: /gone"})},
      {"cut off part-way", "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\nshort"},
      {"chunked, cut off", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n"},
      {"never answers", ""},
  };
  const ScopedTimeoutCap cap(300);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RawHttpServer server([&row](const RecordedRequest& request, RawConnection& connection) {
      if (request.RequestLine().starts_with("GET /gone ")) {
        connection.Send(HttpAnswer(404, "gone"));
      } else if (row.answer.empty()) {
        connection.WaitForStop(30s);
      } else {
        connection.Send(row.answer);
      }
    });
    Write(PathOf("kept.txt"), "the old book");
    EXPECT_NE(DownloadToFile(server.Url("/x").c_str(), PathOf("new.txt").c_str()), 0);
    EXPECT_NE(DownloadToFile(server.Url("/x").c_str(), PathOf("kept.txt").c_str()), 0);
    EXPECT_EQ(Contents(PathOf("kept.txt")), "the old book");
    EXPECT_EQ(Listing(), (std::set<std::string>{"kept.txt"}));
  }
}

TEST_F(DownloadTest, BadAddressesAndPlacesFailWithoutAFile) {
  RawHttpServer server(RawHttpServer::Reply(HttpAnswer(200, "text")));
  const std::string port = std::to_string(server.port());
  struct Row {
    std::string address;
    std::string path;
  };
  const Row rows[] = {
      {"ftp://127.0.0.1:" + port + "/f.txt", PathOf("f.txt")},
      {"127.0.0.1:" + port + "/f.txt", PathOf("f.txt")},
      {"", PathOf("f.txt")},
      {Closed("/f.txt"), PathOf("f.txt")},
      {server.Url("/f.txt"), PathOf("no-such-folder/f.txt")},
      {server.Url("/f.txt"), folder_.string() + "/"},
      {server.Url("/f.txt"), ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.address + " -> " + row.path);
    EXPECT_NE(DownloadToFile(row.address.c_str(), row.path.c_str()), 0);
    EXPECT_TRUE(Listing().empty());
  }
  EXPECT_EQ(server.RequestCount(), 0u);  // nothing was asked of a server it could not save from
}

}  // namespace
}  // namespace pagewick
