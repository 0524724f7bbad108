#include "fuzz/site_doubles.h"

#include <string_view>

#include "net/fetch.h"
#include "net/http_request.h"

namespace pagewick {
namespace {

std::string NextPage() {
  auto& pages = fuzz::Network().pages;
  if (pages.empty()) return {};
  std::string page = std::move(pages.front());
  pages.pop_front();
  return page;
}

}  // namespace

namespace fuzz {
NetworkScript& Network() {
  static NetworkScript script;
  return script;
}
}  // namespace fuzz

ByteBuffer FetchPage(const Text& address) {
  fuzz::Network().calls.push_back({fuzz::NetworkCall::kFetchPage, address.str(), {}, {}, {}});
  return ByteBuffer(NextPage());  // zero bytes included, as a real body
}

Text HttpRequest(const Text& address, Text* method, const Text*, Text*, const Text* postData,
                 Text* responseHeaders) {
  fuzz::Network().calls.push_back({fuzz::NetworkCall::kHttpRequest,
                                   address.str(),
                                   method ? method->str() : std::string(),
                                   postData ? postData->str() : std::string(),
                                   {}});
  if (responseHeaders != nullptr) *responseHeaders = Text();
  return Text(NextPage());  // cut at the first zero byte, as the real answer
}

int32_t DownloadToFile(const Text& address, const Text& filePath) {
  fuzz::Network().calls.push_back(
      {fuzz::NetworkCall::kDownloadToFile, address.str(), {}, {}, filePath.str()});
  return fuzz::Network().downloadStatus;
}

}  // namespace pagewick
