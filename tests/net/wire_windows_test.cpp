// The request routine and the download on the system's WinINet and urlmon, under Wine, against
// the loopback recorder (pagewick-echo-recorder, a Linux process named by
// PAGEWICK_RECORDER_HOST), which answers each request with its own bytes.
//
// The system adds lines of its own to a request: Host and User-Agent, as everywhere, and
// WinINet may add connection and cache lines at places of its own choosing (Wine 8's adds
// none beyond Host and User-Agent). The tests print what the system added, and check that our
// lines go out exactly, in our order, each once, and that every other line is the system's.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "net/fetch.h"
#include "net/http_request.h"
#include "net/user_agent.h"
#include "platform/inet.h"
#include "text/gbk.h"

namespace pagewick {
namespace {

const char kDefaultAccept[] =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*";

struct Wire {
  std::string requestLine;
  std::vector<std::string> headers;
  std::string body;
};

Wire Parse(const std::string& raw) {
  Wire wire;
  const size_t end = raw.find("\r\n\r\n");
  std::string head = raw.substr(0, end == std::string::npos ? raw.size() : end + 2);
  wire.body = end == std::string::npos ? "" : raw.substr(end + 4);
  size_t at = 0;
  for (size_t next; (next = head.find("\r\n", at)) != std::string::npos; at = next + 2) {
    (at == 0 ? wire.requestLine : wire.headers.emplace_back()) = head.substr(at, next - at);
  }
  return wire;
}

std::string NameOf(const std::string& line) {
  std::string name = line.substr(0, line.find(':'));
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name;
}

// The lines the system adds of its own; any other line must be one of ours.
bool IsSystemLine(const std::string& line) {
  static const char* const kSystem[] = {"host",          "user-agent", "connection",
                                        "cache-control", "pragma",     "accept-encoding"};
  const std::string name = NameOf(line);
  return std::any_of(std::begin(kSystem), std::end(kSystem),
                     [&](const char* s) { return name == s; });
}

class WireTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* host = std::getenv("PAGEWICK_RECORDER_HOST");
    if (host == nullptr) GTEST_SKIP() << "PAGEWICK_RECORDER_HOST names no recorder";
    host_ = host;
    platform::SetTimeoutCapForTesting(5000);
  }
  Text Url(const std::string& path) const { return Text("http://" + host_ + path); }

  // Our lines in order, each once; the rest the system's own, which are printed.
  void ExpectOurLines(const Wire& wire, const std::vector<std::string>& ours) {
    std::vector<std::string> mine;
    std::string added;
    for (const std::string& line : wire.headers) {
      if (IsSystemLine(line) && std::find(ours.begin(), ours.end(), line) == ours.end()) {
        added += "  " + line + "\n";
      } else {
        mine.push_back(line);
      }
    }
    std::printf("the system added:\n%s", added.c_str());
    EXPECT_EQ(mine, ours);
    EXPECT_NE(std::find(wire.headers.begin(), wire.headers.end(), "Host: " + host_),
              wire.headers.end());
    EXPECT_NE(std::find(wire.headers.begin(), wire.headers.end(),
                        std::string("User-Agent: ") + kUserAgent),
              wire.headers.end());
  }

  std::string host_;
};

TEST_F(WireTest, GetOfTheResultsTableCarriesOurThreeDefaults) {
  const Text address = TextConcat(
      Url("/modules/article/searchh.php?searchtype=articlename&searchkey="), "斗破苍穹"_gbk);
  const Wire wire = Parse(HttpRequest(address).str());
  EXPECT_EQ(wire.requestLine,
            TextConcat("GET /modules/article/searchh.php?searchtype=articlename&searchkey=",
                       "斗破苍穹"_gbk, " HTTP/1.1")
                .str());
  ExpectOurLines(wire, {kDefaultAccept, "Referer: " + address.str(), "Accept-Language: zh-cn"});
  EXPECT_EQ(wire.body, "");
}

TEST_F(WireTest, PostOfTheFormCarriesItsContentLinesAndBodyOnce) {
  const Text address = Url("/modules/article/searchh.php");
  const Text form =
      TextConcat("searchkey=", "%B6%B7%C6%C6", "&searchtype=articlename&submit=%CB%D1+%CB%F7");
  Text method = "POST";
  const Wire wire = Parse(HttpRequest(address, &method, nullptr, nullptr, &form).str());
  EXPECT_EQ(wire.requestLine, "POST /modules/article/searchh.php HTTP/1.1");
  ExpectOurLines(wire, {kDefaultAccept, "Referer: " + address.str(), "Accept-Language: zh-cn",
                        "Content-Type: application/x-www-form-urlencoded",
                        "Content-Length: " + std::to_string(form.view().size())});
  EXPECT_EQ(wire.body, form.str());
}

TEST_F(WireTest, ErrorPagesAreBodiesAndNoConnectionGivesNothing) {
  const Wire wire = Parse(HttpRequest(Url("/status/404/x")).str());
  EXPECT_EQ(wire.requestLine, "GET /status/404/x HTTP/1.1");
  EXPECT_EQ(HttpRequest(Text("http://127.0.0.1:1/closed")), Text());
}

TEST_F(WireTest, PageFetchSendsOnlyItsAcceptLine) {
  const Wire wire = Parse(BytesToText(FetchPage(Url("/page.html#part"))).str());
  EXPECT_EQ(wire.requestLine, "GET /page.html HTTP/1.0");
  ExpectOurLines(wire, {"Accept: */*"});
}

// --- the download -----------------------------------------------------------------------------

class DownloadTest : public WireTest {
 protected:
  void SetUp() override {
    WireTest::SetUp();
    if (IsSkipped()) return;
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "pagewick-download-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder_.c_str(), nullptr);
  }
  void TearDown() override {
    if (folder_.empty()) return;
    for (const std::string& name : Files()) DeleteFileA((folder_ + "\\" + name).c_str());
    RemoveDirectoryA(folder_.c_str());
  }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder_ + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      if (std::string(found.cFileName) != "." && std::string(found.cFileName) != "..") {
        names.push_back(found.cFileName);
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(folder_ + "\\" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(folder_ + "\\" + name, std::ios::binary) << bytes;
  }
  Text Path(const char* utf8Name) const {
    return TextConcat(Text(folder_), "\\", TextFromUtf8(utf8Name));
  }

  std::string folder_;
};

TEST_F(DownloadTest, SavesTheWholeBodyUnderAChineseName) {
  ASSERT_EQ(DownloadToFile(Url("/down/1001.txt"), Path("沈知秋 - 青石巷.txt")), 0);
  const std::string name = TextFromUtf8("沈知秋 - 青石巷.txt").str();
  EXPECT_EQ(Files(), std::vector<std::string>{name});
  EXPECT_EQ(Parse(Read(name)).requestLine.substr(0, 19), "GET /down/1001.txt ");
}

TEST_F(DownloadTest, FailuresLeaveNoFileAndKeepAnExistingOne) {
  const struct { const char* path; } failures[] = {{"/status/404/book.txt"}, {"/cut/book.txt"}};
  for (const auto& f : failures) {
    SCOPED_TRACE(f.path);
    EXPECT_NE(DownloadToFile(Url(f.path), Path("new.txt")), 0);
    Write("kept.txt", "the reader's own file");
    EXPECT_NE(DownloadToFile(Url(f.path), Path("kept.txt")), 0);
    EXPECT_EQ(Read("kept.txt"), "the reader's own file");
    EXPECT_EQ(Files(), std::vector<std::string>{"kept.txt"});  // no partial or temporary file
    DeleteFileA((folder_ + "\\kept.txt").c_str());
  }
  EXPECT_NE(DownloadToFile(Text("http://127.0.0.1:1/closed.txt"), Path("new.txt")), 0);
  EXPECT_NE(DownloadToFile(Text("file:///etc/hostname"), Path("new.txt")), 0);
  EXPECT_TRUE(Files().empty());
}

}  // namespace
}  // namespace pagewick
