// Replays saved inputs through a fuzz target without libFuzzer, so that the seeds and every
// input a fuzzing run found stay tests. Each argument is a file or a folder; a folder gives
// its files in name order (hidden files skipped). Fails when an argument is missing or no
// input was replayed at all; a finding fails by the target's own abort or sanitizer report.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

bool Replay(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "replay: cannot read %s\n", file.c_str());
    return false;
  }
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
  const std::string name = file.string();
  std::printf("replay: %s (%zu bytes)\n", name.c_str(), bytes.size());
  std::fflush(stdout);
  pagewick::fuzz::currentInput = name.c_str();
  // A copy of exactly the input's size, so a read past its end is caught as under libFuzzer.
  std::vector<uint8_t> data(bytes.begin(), bytes.end());
  LLVMFuzzerTestOneInput(data.empty() ? nullptr : data.data(), data.size());
  pagewick::fuzz::currentInput = nullptr;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  size_t replayed = 0;
  for (int i = 1; i < argc; ++i) {
    const fs::path path(argv[i]);
    std::error_code error;
    if (fs::is_directory(path, error)) {
      std::vector<fs::path> files;
      for (const fs::directory_entry& entry : fs::directory_iterator(path)) {
        if (entry.is_regular_file() && entry.path().filename().string().front() != '.') {
          files.push_back(entry.path());
        }
      }
      std::sort(files.begin(), files.end());
      for (const fs::path& file : files) replayed += Replay(file) ? 1 : 0;
    } else if (fs::is_regular_file(path, error)) {
      replayed += Replay(path) ? 1 : 0;
    } else {
      std::fprintf(stderr, "replay: no such file or folder: %s\n", argv[i]);
      return 1;
    }
  }
  std::printf("replay: %zu inputs, no property violated\n", replayed);
  return replayed > 0 ? 0 : 1;
}
