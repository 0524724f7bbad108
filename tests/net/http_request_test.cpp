#include "net/http_request.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "net/event_pump.h"
#include "tests/net/net_test_util.h"
#include "text/gbk.h"

namespace pagewick {
namespace {

using namespace std::chrono_literals;
using testing::HostLine;
using testing::HttpAnswer;
using testing::kAgentLine;
using testing::LinesOf;
using testing::RawConnection;
using testing::RawHttpServer;
using testing::RecordedRequest;
using testing::ScopedEnv;
using testing::ScopedTimeoutCap;

const char kDefaultAccept[] =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*";

class HttpRequestTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::SetTimeoutCapForTesting(ScopedTimeoutCap::kSuiteCap); }
  void TearDown() override { SetEventPump(nullptr); }

  // The request's header lines must be Host, User-Agent and then exactly the caller's variable.
  static void ExpectWireHeaders(const RawHttpServer& server, const RecordedRequest& request,
                                const Text& headers) {
    std::vector<std::string> expected = {HostLine(server), kAgentLine};
    for (const std::string& line : LinesOf(headers)) expected.push_back(line);
    EXPECT_EQ(request.HeaderLines(), expected);
  }
};

TEST_F(HttpRequestTest, GetOfTheResultsTableCarriesTheDefaultsAndNothingMore) {
  RawHttpServer server(RawHttpServer::Reply(HttpAnswer(200, "results")));
  const Text address = TextConcat(
      server.Url("/modules/article/searchh.php?searchtype=articlename&searchkey="), "斗破苍穹"_gbk);

  EXPECT_EQ(HttpRequest(address), Text("results"));

  ASSERT_EQ(server.RequestCount(), 1u);
  const RecordedRequest request = server.Requests()[0];
  EXPECT_EQ(request.RequestLine(),
            TextConcat("GET /modules/article/searchh.php?searchtype=articlename&searchkey=",
                       "斗破苍穹"_gbk, " HTTP/1.1")
                .str());
  EXPECT_EQ(request.HeaderLines(),
            (std::vector<std::string>{HostLine(server), kAgentLine, kDefaultAccept,
                                      "Referer: " + address.str(), "Accept-Language: zh-cn"}));
  EXPECT_EQ(request.body, "");
}

TEST_F(HttpRequestTest, GivenEmptyVariablesReceiveGetAndTheThreeDefaults) {
  RawHttpServer server(RawHttpServer::Reply(HttpAnswer(200, "x")));
  const Text address(server.Url("/a?b=1"));
  Text method;
  Text headers;
  Text responseHeaders = "stale";
  EXPECT_EQ(HttpRequest(address, &method, nullptr, &headers, nullptr, &responseHeaders), Text("x"));
  EXPECT_EQ(method, Text("GET"));
  EXPECT_EQ(headers,
            TextConcat(kDefaultAccept, "\r\nReferer: ", address, "\r\nAccept-Language: zh-cn\r\n"));
  EXPECT_EQ(responseHeaders,
            Text("HTTP/1.1 200 OK\r\nContent-Length: 1\r\nConnection: close\r\n\r\n"));
}

TEST_F(HttpRequestTest, PostOfTheSearchFormSendsTheFormBytesUnchanged) {
  RawHttpServer server(RawHttpServer::Reply(HttpAnswer(200, "book page")));
  const Text address(server.Url("/modules/article/searchh.php"));
  const Text form =
      TextConcat("searchkey=", "小说"_gbk, "&searchtype=articlename&submit=%CB%D1+%CB%F7");
  Text method = "POST";
  Text headers;

  EXPECT_EQ(HttpRequest(address, &method, nullptr, &headers, &form), Text("book page"));

  EXPECT_EQ(method, Text("POST"));
  const RecordedRequest request = server.Requests().at(0);
  EXPECT_EQ(request.RequestLine(), "POST /modules/article/searchh.php HTTP/1.1");
  EXPECT_EQ(request.HeaderLines(),
            (std::vector<std::string>{HostLine(server), kAgentLine, kDefaultAccept,
                                      "Referer: " + address.str(), "Accept-Language: zh-cn",
                                      "Content-Type: application/x-www-form-urlencoded",
                                      "Content-Length: " + std::to_string(form.size())}));
  EXPECT_EQ(request.body, form.str());
  ExpectWireHeaders(server, request, headers);
}

TEST_F(HttpRequestTest, MethodRule) {
  struct Row {
    const char* method;
    bool dataGiven;
    const char* methodAfter;  // also what goes on the wire
    bool bodySent;
  };
  const Row rows[] = {
      {"get", true, "GET", false},  {"Get", false, "GET", false},   {"HEAD", false, "GET", false},
      {"PUT", true, "GET", false},  {"", true, "GET", false},       {"Post", true, "Post", true},
      {"post", true, "post", true}, {"POST", false, "POST", false},
  };
  RawHttpServer server(RawHttpServer::Reply(HttpAnswer(200, "ok")));
  const Text data = "a=1&b=%D6%D0";
  const Text empty;
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.method) + (row.dataGiven ? " with data" : " without data"));
    const size_t before = server.RequestCount();
    Text method = row.method;
    Text headers;
    EXPECT_EQ(HttpRequest(server.Url("/m").c_str(), &method, nullptr, &headers,
                          row.dataGiven ? &data : &empty),
              Text("ok"));
    EXPECT_EQ(method, Text(row.methodAfter));
    ASSERT_EQ(server.RequestCount(), before + 1);
    const RecordedRequest request = server.Requests()[before];
    EXPECT_EQ(request.RequestLine(), std::string(row.methodAfter) + " /m HTTP/1.1");
    EXPECT_EQ(request.body, row.bodySent ? data.str() : "");
    // The content lines come exactly when a body goes out.
    EXPECT_EQ(TextFind(headers, "Content-Length: ") != -1, row.bodySent);
    ExpectWireHeaders(server, request, headers);
  }
}

TEST_F(HttpRequestTest, DefaultHeadersAreAddedOnlyWhenTheirNameIsAbsent) {
  struct Row {
    const char* name;
    const char* given;
    bool post;
    const char* expectedBeforeReferer;  // the caller's text plus what comes before Referer
    bool refererAdded;
    const char* expectedTail;  // what follows
  };
  const std::string accept = std::string(kDefaultAccept) + "\r\n";
  const Row rows[] = {
      {"any letter case", "accept: text/html\r\n", false, "accept: text/html\r\n", true,
       "Accept-Language: zh-cn\r\n"},
      {"inside another name", "X-Accept: 1\r\n", false, "X-Accept: 1\r\n", true,
       "Accept-Language: zh-cn\r\n"},
      {"no blank after the colon", "Referer:http://elsewhere/\r\n", false, nullptr, true,
       "Accept-Language: zh-cn\r\n"},
      {"all three given", "Accept-Language: en\r\nReferer: r\r\nAccept: a\r\n", false,
       "Accept-Language: en\r\nReferer: r\r\nAccept: a\r\n", false, ""},
      {"content lines appended even when given", "Content-Type: text/plain\r\n", true, nullptr,
       true,
       "Accept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded\r\n"
       "Content-Length: 3\r\n"},
  };
  RawHttpServer server(RawHttpServer::Reply(HttpAnswer(200, "ok")));
  const Text address(server.Url("/h"));
  const Text data = "a=1";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const size_t before = server.RequestCount();
    Text method = row.post ? "POST" : "GET";
    Text headers = row.given;
    HttpRequest(address, &method, nullptr, &headers, &data);
    const Text head = row.expectedBeforeReferer != nullptr ? Text(row.expectedBeforeReferer)
                                                           : TextConcat(row.given, accept);
    const Text expected =
        TextConcat(head, row.refererAdded ? TextConcat("Referer: ", address, "\r\n") : Text(),
                   row.expectedTail);
    EXPECT_EQ(headers, expected);
    ASSERT_EQ(server.RequestCount(), before + 1);
    ExpectWireHeaders(server, server.Requests()[before], headers);
  }
}

TEST_F(HttpRequestTest, HeaderTextWithoutLineEndHasTheFirstDefaultGluedOn) {
  RawHttpServer server(RawHttpServer::Reply(HttpAnswer(200, "ok")));
  const Text address(server.Url("/g"));
  Text headers = "X-Note: 1";
  HttpRequest(address, nullptr, nullptr, &headers);
  EXPECT_EQ(headers, TextConcat("X-Note: 1", kDefaultAccept, "\r\nReferer: ", address,
                                "\r\nAccept-Language: zh-cn\r\n"));
  ExpectWireHeaders(server, server.Requests().at(0), headers);
}

TEST_F(HttpRequestTest, ContentLengthCountsBytesOfDoubleByteCharacters) {
  RawHttpServer server(RawHttpServer::Reply(HttpAnswer(200, "ok")));
  Text method = "POST";
  const Text data = TextConcat("k=", "中文"_gbk);  // 2 + 4 bytes
  Text headers;
  HttpRequest(server.Url("/c").c_str(), &method, nullptr, &headers, &data);
  EXPECT_NE(TextFind(headers, "Content-Length: 6\r\n"), -1);
  EXPECT_EQ(server.Requests().at(0).body, data.str());
}

TEST_F(HttpRequestTest, GivenProxyIsAskedForTheWholeAddress) {
  RawHttpServer proxy(RawHttpServer::Reply(HttpAnswer(200, "via proxy")));
  const Text proxyText(("127.0.0.1:" + std::to_string(proxy.port())).c_str());
  const Text address = "http://pagewick-target.invalid:8080/s.php?k=v";
  EXPECT_EQ(HttpRequest(address, nullptr, &proxyText), Text("via proxy"));
  const RecordedRequest request = proxy.Requests().at(0);
  EXPECT_EQ(request.RequestLine(), "GET http://pagewick-target.invalid:8080/s.php?k=v HTTP/1.1");
  EXPECT_EQ(request.HeaderLines().at(0), "Host: pagewick-target.invalid:8080");
  EXPECT_EQ(request.HeaderLines().at(3), "Referer: http://pagewick-target.invalid:8080/s.php?k=v");
}

TEST_F(HttpRequestTest, DirectAccessAndAnEmptyProxyIgnoreTheEnvironment) {
  RawHttpServer proxy(RawHttpServer::Reply(HttpAnswer(200, "via proxy")));
  RawHttpServer server(RawHttpServer::Reply(HttpAnswer(200, "direct")));
  const ScopedEnv httpProxy("http_proxy", proxy.Url("").c_str());
  const ScopedEnv allProxy("ALL_PROXY", proxy.Url("").c_str());
  const ScopedEnv noProxy("no_proxy", nullptr);
  const ScopedEnv noProxyUpper("NO_PROXY", nullptr);
  const Text emptyProxy;
  EXPECT_EQ(HttpRequest(server.Url("/d").c_str()), Text("direct"));
  EXPECT_EQ(HttpRequest(server.Url("/d").c_str(), nullptr, &emptyProxy), Text("direct"));
  EXPECT_EQ(server.RequestCount(), 2u);
  EXPECT_EQ(proxy.RequestCount(), 0u);
}

TEST_F(HttpRequestTest, AddressThatGivesNoUsableHostLeavesTheVariablesAlone) {
  for (const char* address : {"", "/a/b", "http:///x", "http://example.com?q=1",
                              "http://127.0.0.1:70000/a", "http://127.0.0.1:-1/a"}) {
    SCOPED_TRACE(address);
    Text method = "HEAD";
    Text headers = "X: 1\r\n";
    EXPECT_EQ(HttpRequest(address, &method, nullptr, &headers), Text());
    EXPECT_EQ(method, Text("HEAD"));
    EXPECT_EQ(headers, Text("X: 1\r\n"));
  }
}

TEST_F(HttpRequestTest, RefusedConnectionGivesTheEmptyTextAfterTheVariablesChanged) {
  const Text address(("http://127.0.0.1:" + std::to_string(testing::ClosedPort()) + "/").c_str());
  Text method = "get";
  Text headers;
  Text responseHeaders = "stale";
  EXPECT_EQ(HttpRequest(address, &method, nullptr, &headers, nullptr, &responseHeaders), Text());
  EXPECT_EQ(method, Text("GET"));
  EXPECT_EQ(LinesOf(headers).size(), 3u);
  EXPECT_EQ(responseHeaders, Text());
}

TEST_F(HttpRequestTest, ServerThatNeverAnswersEndsWithTheReceiveTimeout) {
  RawHttpServer server(
      [](const RecordedRequest&, RawConnection& connection) { connection.WaitForStop(30s); });
  const ScopedTimeoutCap cap(300);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(HttpRequest(server.Url("/silent").c_str()), Text());
  EXPECT_GE(std::chrono::steady_clock::now() - start, 250ms);  // it waited, then gave up
  EXPECT_EQ(server.RequestCount(), 1u);
}

TEST_F(HttpRequestTest, AnswersOfEveryShapeGiveTheirBody) {
  struct Row {
    const char* name;
    std::string answer;
    const char* body;
  };
  const Row rows[] = {
      {"not found page", HttpAnswer(404, "<h1>404</h1>"), "<h1>404</h1>"},
      {"server error page", HttpAnswer(500, "oops"), "oops"},
      {"cut off part-way",
       "HTTP/1.1 200 OK\r\nContent-Length: 100\r\nConnection: close\r\n\r\nfirst forty bytes "
       "then the line drops..",
       "first forty bytes then the line drops.."},
      {"chunked",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n6\r\n world\r\n0\r\n"
       "\r\n",
       "hello world"},
      {"no length, ended by closing", "HTTP/1.0 200 OK\r\n\r\nuntil the end", "until the end"},
      {"zero byte cuts the text", HttpAnswer(200, std::string("ab\0cd", 5)), "ab"},
      {"empty body", HttpAnswer(200, ""), ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RawHttpServer server(RawHttpServer::Reply(row.answer));
    EXPECT_EQ(HttpRequest(server.Url("/shape").c_str()), Text(row.body));
  }
}

TEST_F(HttpRequestTest, RedirectIsFollowedWithTheSameHeaders) {
  RawHttpServer server([](const RecordedRequest& request, RawConnection& connection) {
    if (request.RequestLine().starts_with("GET /old")) {
      connection.Send(HttpAnswer(302, "moved", {"Location: /new?x=1"}));
    } else {
      connection.Send(HttpAnswer(200, "new page"));
    }
  });
  const Text address(server.Url("/old"));
  Text headers;
  EXPECT_EQ(HttpRequest(address, nullptr, nullptr, &headers), Text("new page"));
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].RequestLine(), "GET /new?x=1 HTTP/1.1");
  ExpectWireHeaders(server, requests[1], headers);
}

TEST_F(HttpRequestTest, PostRedirectedBy303GoesOnAsGetWithoutItsBody) {
  RawHttpServer server([](const RecordedRequest& request, RawConnection& connection) {
    if (request.RequestLine().starts_with("POST /form")) {
      connection.Send(HttpAnswer(303, "", {"Location: /result"}));
    } else if (request.RequestLine().starts_with("POST /keep")) {
      connection.Send(HttpAnswer(307, "", {"Location: /kept"}));
    } else {
      connection.Send(HttpAnswer(200, request.RequestLine()));
    }
  });
  Text method = "POST";
  const Text data = "searchkey=x";
  EXPECT_EQ(HttpRequest(server.Url("/form").c_str(), &method, nullptr, nullptr, &data),
            Text("GET /result HTTP/1.1"));
  const RecordedRequest second = server.Requests().at(1);
  EXPECT_EQ(second.body, "");
  for (const std::string& line : second.HeaderLines()) {
    EXPECT_FALSE(line.starts_with("Content-")) << line;
  }
  // A 307 keeps the method and the body.
  EXPECT_EQ(HttpRequest(server.Url("/keep").c_str(), &method, nullptr, nullptr, &data),
            Text("POST /kept HTTP/1.1"));
  EXPECT_EQ(server.Requests().at(3).body, "searchkey=x");
}

TEST_F(HttpRequestTest, EndlessRedirectsStopAtTheBound) {
  RawHttpServer server(RawHttpServer::Reply(HttpAnswer(302, "again", {"Location: /loop"})));
  EXPECT_EQ(HttpRequest(server.Url("/loop").c_str()), Text("again"));
  EXPECT_EQ(server.RequestCount(), 11u);  // the first request and ten redirects
}

TEST_F(HttpRequestTest, LargeBodyArrivesWhole) {
  std::string big(3 << 20, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('a' + (i * 7 + i / 997) % 26);
  RawHttpServer server(RawHttpServer::Reply(HttpAnswer(200, big)));
  const Text body = HttpRequest(server.Url("/big").c_str());
  EXPECT_EQ(body.size(), static_cast<int32_t>(big.size()));
  EXPECT_TRUE(body.str() == big);
}

// The pump of the nested-request test: on its first run it makes a request of its own.
std::atomic<int> pumpRuns{0};
std::string innerAddress;
Text innerBody;

void PumpWithNestedRequest() {
  if (++pumpRuns == 1) innerBody = HttpRequest(innerAddress.c_str());
}

TEST_F(HttpRequestTest, RequestStartedFromTheEventPumpCompletesWhileTheFirstWaits) {
  std::atomic<bool> innerCameFirst{false};
  RawHttpServer server([&](const RecordedRequest& request, RawConnection& connection) {
    if (request.RequestLine().starts_with("GET /outer")) {
      connection.Send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nouter");
      innerCameFirst = connection.server().WaitForRequests(2, 5s);
      connection.Send("-body");
    } else {
      connection.Send(HttpAnswer(200, "inner body"));
    }
  });
  pumpRuns = 0;
  innerAddress = server.Url("/inner");
  innerBody = Text();
  SetEventPump(&PumpWithNestedRequest);

  EXPECT_EQ(HttpRequest(server.Url("/outer").c_str()), Text("outer-body"));

  EXPECT_TRUE(innerCameFirst);
  EXPECT_EQ(innerBody, Text("inner body"));
  // Once before each read: at least "outer", "-body" and the end (and the inner request's own).
  EXPECT_GE(pumpRuns.load(), 3);
}

std::atomic<int> countedRuns{0};
void CountingPump() { ++countedRuns; }

TEST_F(HttpRequestTest, PumpRunsBeforeEveryRead) {
  RawHttpServer server(RawHttpServer::Reply(HttpAnswer(200, std::string(2000, 'z'))));
  countedRuns = 0;
  SetEventPump(&CountingPump);
  EXPECT_EQ(HttpRequest(server.Url("/p").c_str()).size(), 2000);
  EXPECT_GE(countedRuns.load(), 5);  // at least four reads of 512 bytes and the one that ends
}

}  // namespace
}  // namespace pagewick
