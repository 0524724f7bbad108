// What the site handler targets put in place of the network and the window: link-time doubles
// of FetchPage, HttpRequest and DownloadToFile (site_doubles.cpp defines them, so net/'s own
// definitions are never linked in) that answer from a script of pages and record every call,
// and a desk that answers from a script and records every message.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "sites/desk.h"
#include "text/text.h"

namespace pagewick::fuzz {

struct NetworkCall {
  enum Kind { kFetchPage, kHttpRequest, kDownloadToFile } kind;
  std::string address;
  std::string method;    // HttpRequest: the method given ("" when left out)
  std::string postData;  // HttpRequest: the body given
  std::string filePath;  // DownloadToFile: the path it was asked to save to
};

// The pages that FetchPage and HttpRequest give, in the order of the calls (the empty page once
// they run out), the status DownloadToFile gives, and the calls made.
struct NetworkScript {
  std::deque<std::string> pages;
  int32_t downloadStatus = 0;
  std::vector<NetworkCall> calls;
};

// The script the doubles read; each fuzz input sets it afresh.
NetworkScript& Network();

struct DeskMessage {
  Text text;
  int32_t flags;
  std::optional<Text> title;
};

class ScriptedDesk : public Desk {
 public:
  ScriptedDesk(Text book, Text runDirectory, int32_t answer)
      : book_(std::move(book)), runDirectory_(std::move(runDirectory)), answer_(answer) {}

  Text BookText() override { return book_; }
  int32_t ShowMessage(const Text& message, int32_t flags,
                      const std::optional<Text>& title) override {
    messages_.push_back({message, flags, title});
    return (flags & 0x0F) == 0 ? kResultOk : answer_;
  }
  Text RunDirectory() override { return runDirectory_; }

  const std::vector<DeskMessage>& messages() const { return messages_; }

 private:
  Text book_;
  Text runDirectory_;
  int32_t answer_;
  std::vector<DeskMessage> messages_;
};

}  // namespace pagewick::fuzz
