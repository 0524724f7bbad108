// The checks that every site handler target makes after a click, on what the doubles and the
// scripted desk recorded (site_doubles.h).
//
// Input of every site target: selector byte (bit 0: answer Yes to the question; bit 1: the
// download fails; bits 2-4: the name in the entry box, from kNames), then the pages.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "fuzz/site_doubles.h"
#include "sites/desk.h"
#include "sites/file_names.h"
#include "sites/handlers.h"
#include "sites/hosts.h"
#include "text/gbk.h"
#include "text/text.h"

namespace pagewick::fuzz {

inline const Text kRunDirectory = "/run-directory";

// Every host has its own name, so each address shows which one it was built from.
inline void UseTestHosts() {
  SetHosts({"search.a.test", "down.a.test", "img.a.test", "book.a.test", "b.test"});
}

// The names the entry box may hold, in GBK.
inline Text NameFor(uint8_t selector) {
  switch ((selector >> 2) & 7) {
    case 0:
      return "斗破苍穹"_gbk;
    case 1:
      return "a b&c=d+e%f#g";
    case 2:
      return "请输入小说名字"_gbk;  // the placeholder: nothing happens
    case 3:
      return "";  // nothing happens
    case 4:
      return "../x/\\y\r\n";
    case 5:
      return "\xB0";  // a lone lead byte
    case 6:
      return TextConcat("书名"_gbk, "\xB0/");
    default: {
      std::string longName;
      for (int i = 0; i < 150; ++i) longName += "书"_gbk.str();
      return Text(std::move(longName));
    }
  }
}

struct Click {
  Text name;
  bool answerYes;
  ScriptedDesk desk;
  explicit Click(uint8_t selector)
      : name(NameFor(selector)),
        answerYes((selector & 1) != 0),
        desk(name, kRunDirectory, answerYes ? kResultYes : kResultNo) {
    UseTestHosts();
    SetDesk(&desk);
    Network() = NetworkScript();
    Network().downloadStatus = (selector & 2) ? 1 : 0;
    CurrentBookInfo = Text();
    CurrentDownloadUrl = Text();
  }
  bool nameEntered() const { return !name.empty() && name != "请输入小说名字"_gbk; }
};

inline bool Contains(std::string_view haystack, std::string_view needle) {
  return haystack.find(needle) != std::string_view::npos;
}

// Every piece of text cut at each occurrence of separator lies in source.
inline bool PiecesLieIn(std::string_view text, std::string_view separator,
                        std::string_view source) {
  size_t from = 0;
  while (true) {
    const size_t at = text.find(separator, from);
    if (!Contains(source, text.substr(from, at - from))) return false;
    if (at == std::string_view::npos) return true;
    from = at + separator.size();
  }
}

// left + " - " + right, for some left and right that both lie in source.
inline bool IsPairFrom(std::string_view text, std::string_view source) {
  for (size_t at = text.find(" - "); at != std::string_view::npos; at = text.find(" - ", at + 1)) {
    if (Contains(source, text.substr(0, at)) && Contains(source, text.substr(at + 3))) return true;
  }
  return false;
}

// What every click leaves behind: nothing at all without a name; otherwise at most one
// question, titled "是否下载", and a download only after Yes, into the run directory under a
// name that stays there once it is a UTF-8 path, followed by at most one message. Gives the
// question, or nullptr when none was asked.
inline const DeskMessage* CheckClick(const Click& click, size_t requestsBeforeDownload) {
  const auto& messages = click.desk.messages();
  const auto& calls = Network().calls;
  if (!click.nameEntered()) {
    FUZZ_CHECK(messages.empty() && calls.empty());
    return nullptr;
  }
  FUZZ_CHECK(!messages.empty());
  const DeskMessage* question = nullptr;
  for (const DeskMessage& m : messages) {
    if ((m.flags & 0x0F) == 0) continue;
    FUZZ_CHECK(question == nullptr);
    question = &m;
    FUZZ_CHECK(m.flags == kMessageYesNoSystemModal && m.title == "是否下载"_gbk);
  }
  const bool downloaded = calls.size() > requestsBeforeDownload;
  FUZZ_CHECK(calls.size() <= requestsBeforeDownload + 1);
  if (question == nullptr) {
    FUZZ_CHECK(messages.size() == 1 && !downloaded);
    return nullptr;
  }
  // The question comes first, and a download follows it exactly when the answer was Yes.
  FUZZ_CHECK(&messages.front() == question);
  FUZZ_CHECK(downloaded == click.answerYes);
  if (!downloaded) {
    FUZZ_CHECK(messages.size() == 1);
    return question;
  }
  const NetworkCall& download = calls.back();
  FUZZ_CHECK(download.kind == NetworkCall::kDownloadToFile);
  // A saved book is told by one message; a failure may be told (the success message never).
  FUZZ_CHECK(Network().downloadStatus == 0 ? messages.size() == 2 : messages.size() <= 2);
  // The path: the run directory, a separator and a file name that is one name on disk.
  const std::string prefix = kRunDirectory.str() + "/";
  FUZZ_CHECK(download.filePath.starts_with(prefix));
  const Text fileName(std::string_view(download.filePath).substr(prefix.size()));
  FUZZ_CHECK(fileName.view().ends_with(".txt"));
  const std::string onDisk = TextToUtf8(fileName);
  FUZZ_CHECK(onDisk.size() <= 255);
  for (char c : onDisk) {
    FUZZ_CHECK(c != '/' && c != '\0' && (static_cast<unsigned char>(c) >= 0x20) && c != 0x7F);
  }
  return question;
}

}  // namespace pagewick::fuzz
