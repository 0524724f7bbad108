#include "demo/demo_sites.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

#include "text/gbk.h"

namespace pagewick::demo {
namespace {

std::string Gbk(const std::string& utf8) { return TextFromUtf8(utf8).str(); }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Undoes %XX escapes, and "+" as a blank when plusIsBlank (form encoding).
std::string Unescape(std::string_view s, bool plusIsBlank) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() + 0 && HexValue(s[i + 1]) >= 0 && HexValue(s[i + 2]) >= 0) {
      out.push_back(static_cast<char>(HexValue(s[i + 1]) * 16 + HexValue(s[i + 2])));
      i += 2;
    } else if (s[i] == '+' && plusIsBlank) {
      out.push_back(' ');
    } else {
      out.push_back(s[i]);
    }
  }
  return out;
}

std::string EscapeAll(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    out += '%';
    out += kHex[c >> 4];
    out += kHex[c & 15];
  }
  return out;
}

// The value of key in a query or form text "a=1&b=2", still escaped.
std::string Field(std::string_view query, std::string_view key) {
  size_t at = 0;
  while (at <= query.size()) {
    const size_t end = std::min(query.find('&', at), query.size());
    const std::string_view pair = query.substr(at, end - at);
    if (pair.substr(0, key.size()) == key && pair.size() > key.size() && pair[key.size()] == '=') {
      return std::string(pair.substr(key.size() + 1));
    }
    at = end + 1;
  }
  return {};
}

std::string Response(std::string_view status, std::string_view contentType,
                     const std::string& body) {
  return std::string("HTTP/1.1 ") + std::string(status) +
         "\r\nContent-Type: " + std::string(contentType) +
         "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" +
         body;
}

std::string NotFound() { return Response("404 Not Found", "text/html", "<h1>404</h1>"); }

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::vector<SampleBook> SampleCatalogue(size_t largeBytes) {
  std::vector<SampleBook> books = {
      {"1001", "青石巷", "沈知秋",
       Gbk("青石巷\r\n作者：沈知秋\r\n\r\n第一章 雨\r\n\r\n"
           "    巷口的雨下了三天，石板缝里长出了新的青苔。阿秋撑着油纸伞，"
           "把最后一封信塞进了邮筒。\r\n\r\n第二章 信\r\n\r\n"
           "    回信来得很慢，慢到她以为那个人已经忘了这条巷子。\r\n")},
      {"1002", "星河夜航", "林远舟",
       Gbk("星河夜航\r\n作者：林远舟\r\n\r\n第一章 启航\r\n\r\n"
           "    飞船离港的时候，舷窗外的星河像一条铺开的银色长路。\r\n")},
      {"1003", "山海小记", "佚名",
       Gbk("山海小记\r\n\r\n    东海之外有山，山上无树，唯有石头会唱歌。\r\n")},
  };
  if (largeBytes > 0) {
    std::string text;
    const std::string line = Gbk("    长篇的一行字，用来测量下载的速度与内存。\r\n");
    while (text.size() + line.size() <= largeBytes) text += line;
    text.append(largeBytes - text.size(), '.');
    books.push_back({"1004", "长河万里", "测试者", std::move(text)});
  }
  return books;
}

DemoSites::DemoSites(uint16_t port, std::vector<SampleBook> books) : books_(std::move(books)) {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener_ < 0) throw std::runtime_error("demo sites: no socket");
  const int yes = 1;
  ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, 16) != 0) {
    ::close(listener_);
    throw std::runtime_error("demo sites: cannot listen on 127.0.0.1:" + std::to_string(port));
  }
  socklen_t length = sizeof address;
  ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

DemoSites::~DemoSites() {
  stopping_ = true;
  acceptor_.join();
  ::close(listener_);
  for (std::thread& worker : workers_) worker.join();
}

std::vector<RecordedRequest> DemoSites::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void DemoSites::ClearRequests() {
  std::lock_guard lock(mutex_);
  requests_.clear();
}

void DemoSites::AcceptLoop() {
  while (!stopping_) {
    pollfd pending{listener_, POLLIN, 0};
    if (::poll(&pending, 1, 50) <= 0) continue;
    const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    std::lock_guard lock(mutex_);
    workers_.emplace_back([this, client] { Serve(client); });
  }
}

void DemoSites::Serve(int client) {
  // Read the header block, then as much body as Content-Length says; give up after 5 s quiet.
  RecordedRequest request;
  std::string& raw = request.raw;
  size_t headerEnd = std::string::npos;
  size_t wanted = 0;
  char buffer[16384];
  while (!stopping_) {
    if (headerEnd != std::string::npos && raw.size() >= wanted) break;
    pollfd readable{client, POLLIN, 0};
    if (::poll(&readable, 1, 5000) <= 0) break;
    const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    raw.append(buffer, static_cast<size_t>(got));
    if (headerEnd == std::string::npos && (headerEnd = raw.find("\r\n\r\n")) != std::string::npos) {
      size_t length = 0;
      const size_t at = raw.find("\r\nContent-Length: ");
      if (at != std::string::npos && at < headerEnd) length = std::stoul(raw.substr(at + 18));
      wanted = headerEnd + 4 + length;
    }
  }
  if (headerEnd != std::string::npos) {
    const size_t space1 = raw.find(' ');
    const size_t space2 = raw.find(' ', space1 + 1);
    request.method = raw.substr(0, space1);
    request.target = raw.substr(space1 + 1, space2 - space1 - 1);
    request.body = raw.substr(headerEnd + 4);
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(request);
    }
    const std::string answer = silent_ ? Response("200 OK", "text/html", "") : Answer(request);
    for (size_t sent = 0; sent < answer.size();) {
      const ssize_t n = ::send(client, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) break;
      sent += static_cast<size_t>(n);
    }
  }
  ::close(client);
}

std::string DemoSites::Answer(const RecordedRequest& request) const {
  const std::string& target = request.target;
  const std::string self = "http://" + host();
  auto findBook = [this](const std::string& id) -> const SampleBook* {
    for (const SampleBook& book : books_) {
      if (book.id == id) return &book;
    }
    return nullptr;
  };

  // Site A: the search, in UTF-8 with the title percent-escaped, and the full-text files.
  if (StartsWith(target, "/s/?")) {
    const std::string name = Unescape(Field(target.substr(4), "SearchKey"), false);
    std::string page =
        "<html><head><meta charset=\"utf-8\"><title>搜索结果</title></head><body>\n"
        "<div class=\"stat\">本次耗时：[0.012秒]</div>\n";
    for (const SampleBook& book : books_) {
      if (name.empty() || book.titleUtf8.find(name) == std::string::npos) continue;
      page += "<dl><dt><a href=\"" + self + "/Book/" + book.id + "/Index.html\"><img alt=\"" +
              EscapeAll(book.titleUtf8) + "\" src=\"" + self + "/cover/" + book.id +
              ".jpg\"></a></dt>\n<dd>作者：<a href=\"" + self + "/Author/" + book.id +
              "\" target=\"_blank\">" + book.authorUtf8 + "</a></dd></dl>\n";
      break;
    }
    page += "</body></html>\n";
    return Response("200 OK", "text/html; charset=utf-8", page);
  }
  if (StartsWith(target, "/Txt/")) {
    const size_t end = target.find("_full.txt");
    const SampleBook* book =
        end == std::string::npos ? nullptr : findBook(target.substr(5, end - 5));
    return book ? Response("200 OK", "text/plain", book->textGbk) : NotFound();
  }

  // Site B: the results table, the form's book page, book pages and files, all in GBK.
  if (StartsWith(target, "/modules/article/searchh.php")) {
    const bool form = request.method == "POST";
    const size_t query = target.find('?');
    const std::string fields =
        form ? request.body : (query == std::string::npos ? "" : target.substr(query + 1));
    const std::string name = Unescape(Field(fields, "searchkey"), true);
    if (rateLimited_) {
      return Response(
          "200 OK", "text/html; charset=gbk",
          Gbk("<html><body><div class=\"err\">错误原因：对不起，两次搜索的间隔时间不得少于 "
              "18 秒</div></body></html>"));
    }
    std::vector<const SampleBook*> found;
    for (const SampleBook& book : books_) {
      if (!name.empty() && Gbk(book.titleUtf8).find(name) != std::string::npos)
        found.push_back(&book);
    }
    std::string page;
    if (form) {
      page =
          "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\" />\n";
      if (!found.empty()) {
        const SampleBook& book = *found.front();
        page += "<meta name=\"keywords\" content=\"" + book.titleUtf8 + "\" />\n</head><body>\n" +
                "<table><tr><td>作　　者：<a href=\"/author/" + book.id + "\" target=\"_blank\">" +
                book.authorUtf8 + "</a></td></tr>\n" + "<tr><td><a href=\"/down?id=" + book.id +
                "&resurl=" + self + "/down/" + book.id + ".txt&siteurl=" + self +
                "\">TXT下载</a></td></tr></table>\n";
      } else {
        page += "</head><body><p>没有找到相关的书</p>\n";
      }
      page += "</body></html>\n";
    } else {
      page =
          "<html><head><title>搜索结果</title></head><body>\n<table class=\"grid\">\n"
          "<tr><th>文章名称</th><th>最新章节</th><th>作者</th><th>字数</th><th>更新</th>"
          "<th>状态</th></tr>\n";
      for (const SampleBook* book : found) {
        page += "<tr><td class=\"odd\"><a href=\"/binfo/" + book->id + ".htm\">" + book->titleUtf8 +
                "</a></td><td class=\"even\"><a href=\"/b/" + book->id +
                "/1.htm\" target=\"_blank\">第一章</a></td><td class=\"odd\">" + book->authorUtf8 +
                "</td><td class=\"even\">" + std::to_string(book->textGbk.size() / 2) +
                "K</td><td class=\"odd\" align=\"center\">26-12-01</td>"
                "<td class=\"even\" align=\"center\">连载中</td></tr>\n";
      }
      page += "</table></body></html>\n";
    }
    return Response("200 OK", "text/html; charset=gbk", Gbk(page));
  }
  if (StartsWith(target, "/binfo/")) {
    const SampleBook* book = findBook(target.substr(7, target.find(".htm") - 7));
    if (book == nullptr || bookPagesGone_) return NotFound();
    return Response(
        "200 OK", "text/html; charset=gbk",
        Gbk("<html><head><title>" + book->titleUtf8 +
            "</title>\n<script type=\"text/javascript\">var thunder_url = \"" + self + "/down/" +
            book->id + ".txt\";</script></head><body>" + book->titleUtf8 + "</body></html>\n"));
  }
  if (StartsWith(target, "/down/")) {
    const SampleBook* book = findBook(target.substr(6, target.find(".txt") - 6));
    return book ? Response("200 OK", "text/plain", book->textGbk) : NotFound();
  }
  if (target == "/") {
    return Response("200 OK", "text/html; charset=gbk", Gbk("<html><body>笔下文学</body></html>"));
  }
  return NotFound();
}

}  // namespace pagewick::demo
