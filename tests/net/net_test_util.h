// Helpers shared by the net tests.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/inet.h"
#include "tests/support/raw_http_server.h"
#include "text/text.h"

namespace pagewick::testing {

inline constexpr char kAgentLine[] =
    "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

inline std::string HostLine(const RawHttpServer& server) {
  return "Host: 127.0.0.1:" + std::to_string(server.port());
}

// The lines of a header text (each ending in \r\n), as they go out on the wire.
inline std::vector<std::string> LinesOf(const Text& headers) {
  std::vector<std::string> lines;
  std::string_view rest = headers.view();
  while (!rest.empty()) {
    const size_t end = rest.find("\r\n");
    lines.emplace_back(rest.substr(0, end));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 2);
  }
  return lines;
}

// Sets an environment variable for one scope and puts back what was there.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_.c_str(), old_->c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// Keeps every time-out of the internet layer short for one scope.
class ScopedTimeoutCap {
 public:
  explicit ScopedTimeoutCap(uint32_t milliseconds) {
    platform::SetTimeoutCapForTesting(milliseconds);
  }
  ~ScopedTimeoutCap() { platform::SetTimeoutCapForTesting(kSuiteCap); }
  ScopedTimeoutCap(const ScopedTimeoutCap&) = delete;
  ScopedTimeoutCap& operator=(const ScopedTimeoutCap&) = delete;

  // What the suites run under, so that a fault cannot hang a test for long.
  static constexpr uint32_t kSuiteCap = 5000;
};

}  // namespace pagewick::testing
