#include "platform/inet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/raw_http_server.h"

namespace pagewick::platform {
namespace {

using pagewick::testing::HttpAnswer;
using pagewick::testing::RawHttpServer;
using pagewick::testing::RecordedRequest;

TEST(CrackUrl, SplitsWithinTheBufferLimits) {
  struct Row {
    std::string address;
    bool splits = false;
    std::string scheme = {};
    std::string host = {};
    int32_t port = 0;
    std::string user = {};
    std::string password = {};
    std::string path = {};
  };
  const std::string host255(255, 'h');
  const std::string path2047 = "/" + std::string(2046, 'p');
  const Row rows[] = {
      {"http://u:p@Host.example:81/a/../b?q=1#f", true, "http", "Host.example", 81, "u", "p",
       "/b?q=1#f"},
      {"HTTPS://example.com", true, "https", "example.com", 443, "", "", "/"},
      {"http://example.com/a b/\xD0\xA1?k=\xCB\xB5", true, "http", "example.com", 80, "", "",
       "/a b/\xD0\xA1?k=\xCB\xB5"},
      {"ftp://example.com/f", true, "ftp", "example.com", 21, "", "", "/f"},
      {"http://" + host255 + "/", true, "http", host255, 80, "", "", "/"},
      {"http://" + host255 + "h/", false},
      {"http://x" + path2047, true, "http", "x", 80, "", "", path2047},
      {"http://x" + path2047 + "p", false},
      {"http://x/?" + std::string(2045, 'q'), true, "http", "x", 80, "", "",
       "/?" + std::string(2045, 'q')},
      {"http://x/?" + std::string(2046, 'q'), false},
      {"http://" + std::string(127, 'u') + ":" + std::string(127, 'p') + "@x/", true, "http", "x",
       80, std::string(127, 'u'), std::string(127, 'p'), "/"},
      {"http://" + std::string(128, 'u') + "@x/", false},
      {"http://u:" + std::string(128, 'p') + "@x/", false},
      {"example.com/a", false},
      {"http://", false},
      {"http://x:65536/", false},
      {"", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.address.substr(0, 80));
    const std::optional<UrlParts> parts = CrackUrl(row.address);
    ASSERT_EQ(parts.has_value(), row.splits);
    if (!parts) continue;
    EXPECT_EQ(parts->scheme, row.scheme);
    EXPECT_EQ(parts->host, row.host);
    EXPECT_EQ(parts->port, row.port);
    EXPECT_EQ(parts->user, row.user);
    EXPECT_EQ(parts->password, row.password);
    EXPECT_EQ(parts->path, row.path);
  }
}

class InetWireTest : public ::testing::Test {
 protected:
  void SetUp() override { SetTimeoutCapForTesting(5000); }

  // Sends one request through the layer and gives what the server received.
  RecordedRequest Exchange(RawHttpServer& server, std::string_view method, std::string_view path,
                           std::string_view headers, std::string_view body,
                           std::string* answer = nullptr) {
    auto root = InternetRoot::Open("agent/1", InternetAccess::kDirect);
    EXPECT_TRUE(root.has_value());
    auto connection = InternetConnection::Open(*root, "127.0.0.1", server.port());
    EXPECT_TRUE(connection.has_value());
    auto request = InternetRequest::Open(*connection, method, path, "HTTP/1.1", kFlagReload);
    EXPECT_TRUE(request.has_value());
    // Closing the root and the connection first changes nothing for the request.
    root.reset();
    connection.reset();
    EXPECT_TRUE(request->Send(headers, body));
    std::string received;
    char piece[7];
    for (int32_t n; (n = request->Read(piece, sizeof piece)) > 0;) received.append(piece, n);
    if (answer) *answer = received;
    const size_t count = server.RequestCount();
    return count == 0 ? RecordedRequest{} : server.Requests()[count - 1];
  }
};

TEST_F(InetWireTest, HeaderLinesGoOutInOrderAndNothingIsAdded) {
  RawHttpServer server(RawHttpServer::Reply(HttpAnswer(200, "answer")));
  struct Row {
    const char* name;
    const char* headers;
    std::vector<std::string> lines;  // after Host and User-Agent
  };
  const Row rows[] = {
      {"in order", "Zeta: 1\r\nAlpha: 2\r\nAccept: a\r\n", {"Zeta: 1", "Alpha: 2", "Accept: a"}},
      {"lone line feeds and empty lines", "A: 1\n\r\nB: 2", {"A: 1", "B: 2"}},
      {"empty value", "X-Empty:\r\nY: 1\r\n", {"X-Empty:", "Y: 1"}},
      {"not a header line", "no colon here\r\n: no name\r\nZ: 1\r\n", {"Z: 1"}},
      {"repeated names", "Referer: a\r\nReferer: b\r\n", {"Referer: a", "Referer: b"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const RecordedRequest request = Exchange(server, "GET", "/h", row.headers, {});
    std::vector<std::string> expected = {"Host: 127.0.0.1:" + std::to_string(server.port()),
                                         "User-Agent: agent/1"};
    expected.insert(expected.end(), row.lines.begin(), row.lines.end());
    EXPECT_EQ(request.HeaderLines(), expected);
  }
}

TEST_F(InetWireTest, CallerHostAndAgentReplaceTheLayersOwn) {
  RawHttpServer server(RawHttpServer::Reply(HttpAnswer(200, "answer")));
  const RecordedRequest request =
      Exchange(server, "GET", "/h", "User-Agent: mine\r\nX: 1\r\nHost: elsewhere\r\n", {});
  // A Host line takes the place of the layer's own, at the top.
  EXPECT_EQ(request.HeaderLines(),
            (std::vector<std::string>{"Host: elsewhere", "User-Agent: mine", "X: 1"}));
}

TEST_F(InetWireTest, BodyGoesOutWithOnlyTheLengthTheCallerGave) {
  RawHttpServer server(RawHttpServer::Reply(HttpAnswer(200, "answer")));
  const std::string big(2 << 20, 'b');  // large enough for curl to want an Expect line
  RecordedRequest request =
      Exchange(server, "PUT", "/u", "Content-Length: " + std::to_string(big.size()) + "\r\n", big);
  EXPECT_EQ(request.RequestLine(), "PUT /u HTTP/1.1");
  EXPECT_EQ(request.HeaderLines().size(), 3u);
  EXPECT_TRUE(request.body == big);
  // Without a Content-Length line, the layer gives one: nothing else would frame the body.
  request = Exchange(server, "POST", "/u", "", "k=v");
  EXPECT_EQ(request.HeaderLines().back(), "Content-Length: 3");
  EXPECT_EQ(request.HeaderLines().size(), 3u);
  EXPECT_EQ(request.body, "k=v");
}

TEST_F(InetWireTest, TargetGoesOutAsGivenSaveBlanksAndControls) {
  RawHttpServer server(RawHttpServer::Reply(HttpAnswer(200, "answer")));
  struct Row {
    std::string path;
    std::string target;
  };
  const Row rows[] = {
      {"/a b\tc", "/a%20b%09c"},
      {"/s.php?k=\xD0\xA1\xCB\xB5&x=%41#frag", "/s.php?k=\xD0\xA1\xCB\xB5&x=%41#frag"},
      {"/a/../b/./c//d", "/a/../b/./c//d"},
      {"/x\x7F", "/x%7F"},
      {"", "/"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.target);
    std::string answer;
    const RecordedRequest request = Exchange(server, "GET", row.path, "", {}, &answer);
    EXPECT_EQ(request.RequestLine(), "GET " + row.target + " HTTP/1.1");
    EXPECT_EQ(answer, "answer");  // read in pieces of seven bytes
  }
}

TEST(Inet, HandlesRefuseWhatCannotBeSent) {
  auto root = InternetRoot::Open("agent", InternetAccess::kDirect);
  ASSERT_TRUE(root.has_value());
  EXPECT_FALSE(InternetConnection::Open(*root, "", 80).has_value());
  EXPECT_FALSE(InternetConnection::Open(*root, "bad host", 80).has_value());
  EXPECT_FALSE(InternetConnection::Open(*root, "example.com", 65536).has_value());
  EXPECT_FALSE(InternetConnection::Open(*root, "example.com", -1).has_value());
  auto connection = InternetConnection::Open(*root, "example.com", 0);
  ASSERT_TRUE(connection.has_value());
  EXPECT_FALSE(InternetRequest::Open(*connection, "", "/", "HTTP/1.1", 0).has_value());
  EXPECT_FALSE(InternetRequest::Open(*connection, "GET /x", "/", "HTTP/1.1", 0).has_value());
  auto request = InternetRequest::Open(*connection, "GET", "/", "HTTP/1.1", 0);
  ASSERT_TRUE(request.has_value());
  char piece[8];
  EXPECT_EQ(request->Read(piece, sizeof piece), -1);  // never sent
  EXPECT_EQ(request->StatusCode(), 0);
  EXPECT_FALSE(request->RawHeaders().has_value());
}

}  // namespace
}  // namespace pagewick::platform
