// A desk for the handlers without a window: the entry box is a script of texts, every message
// is recorded, and questions are answered from a queue (with a hook that runs while a question
// waits, as another click would).
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "sites/desk.h"
#include "text/gbk.h"

namespace pagewick {

struct ShownMessage {
  std::string text;  // UTF-8, for readable assertions
  int32_t flags = 0;
  std::string title;  // UTF-8; empty when the default title was asked for
};

class ScriptedDesk : public Desk {
 public:
  // The entry box's text; `later`, when given, is what it holds from the read after `reads`.
  void SetBook(const std::string& utf8) { book_ = TextFromUtf8(utf8); }
  void ChangeBookAfterReads(int reads, const std::string& utf8) {
    changeAfter_ = reads;
    later_ = TextFromUtf8(utf8);
  }
  void SetRunDirectory(const std::string& path) { runDirectory_ = TextFromUtf8(path); }
  void AnswerNext(int32_t result) { answers_.push_back(result); }
  // Runs (once) while the next question waits, before it is answered.
  void WhileQuestionWaits(std::function<void()> action) { whileWaiting_ = std::move(action); }

  const std::vector<ShownMessage>& shown() const { return shown_; }
  int bookReads() const { return reads_; }

  Text BookText() override {
    ++reads_;
    return (changeAfter_ >= 0 && reads_ > changeAfter_) ? later_ : book_;
  }
  int32_t ShowMessage(const Text& message, int32_t flags,
                      const std::optional<Text>& title) override {
    shown_.push_back({TextToUtf8(message), flags, title ? TextToUtf8(*title) : std::string()});
    if ((flags & 0x0F) == 0) return kResultOk;
    // The answer is taken first: a search run while this question waits asks its own.
    int32_t answer = kResultNo;
    if (!answers_.empty()) {
      answer = answers_.front();
      answers_.pop_front();
    }
    if (whileWaiting_) std::exchange(whileWaiting_, nullptr)();
    return answer;
  }
  Text RunDirectory() override { return runDirectory_; }

 private:
  Text book_;
  Text later_;
  int changeAfter_ = -1;
  int reads_ = 0;
  Text runDirectory_;
  std::deque<int32_t> answers_;
  std::function<void()> whileWaiting_;
  std::vector<ShownMessage> shown_;
};

}  // namespace pagewick
