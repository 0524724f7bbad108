// Demo sites: both novel sites, served on 127.0.0.1 from a small catalogue of sample books, for
// the tests and for the demo. Site A answers its search in UTF-8 with percent escapes; site B
// answers its query and its form in GBK, with book pages that carry the script variable, and
// with its rate-limit notice when told to. Every request is kept byte for byte.
//
// All five host names of the program point at host() ("127.0.0.1:port"); the sites tell their
// services apart by path.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pagewick::demo {

struct SampleBook {
  std::string id;         // site A's book number and site B's article number
  std::string titleUtf8;  // as the sites show it
  std::string authorUtf8;
  std::string textGbk;  // the book file, exactly as the sites serve it
};

// The catalogue of sample books, our own short texts, plus one of `largeBytes` when asked for.
std::vector<SampleBook> SampleCatalogue(size_t largeBytes = 0);

struct RecordedRequest {
  std::string raw;     // request line, header lines and body, as received
  std::string method;  // "GET", "POST"
  std::string target;  // the request target as sent
  std::string body;
};

class DemoSites {
 public:
  // Serves on 127.0.0.1:port; port 0 picks a free one.
  explicit DemoSites(uint16_t port = 0, std::vector<SampleBook> books = SampleCatalogue());
  ~DemoSites();
  DemoSites(const DemoSites&) = delete;
  DemoSites& operator=(const DemoSites&) = delete;

  uint16_t port() const { return port_; }
  std::string host() const { return "127.0.0.1:" + std::to_string(port_); }

  // While set, site B answers every search with its rate-limit notice.
  void SetRateLimited(bool limited) { rateLimited_ = limited; }
  // While set, every answer is an empty 200 response.
  void SetSilent(bool silent) { silent_ = silent; }
  // While set, site B's book pages answer 404.
  void SetBookPagesGone(bool gone) { bookPagesGone_ = gone; }

  std::vector<RecordedRequest> Requests() const;
  void ClearRequests();

 private:
  void AcceptLoop();
  void Serve(int client);
  std::string Answer(const RecordedRequest& request) const;

  std::vector<SampleBook> books_;
  int listener_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<bool> rateLimited_{false};
  std::atomic<bool> silent_{false};
  std::atomic<bool> bookPagesGone_{false};
  mutable std::mutex mutex_;
  std::vector<RecordedRequest> requests_;
  std::vector<std::thread> workers_;
  std::thread acceptor_;
};

}  // namespace pagewick::demo
