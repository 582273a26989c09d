// Replays every file of a corpus folder through a fuzz target, so that the sanitizer build checks
// each stored input without libFuzzer.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
    return 2;
  }
  std::error_code error;
  std::filesystem::directory_iterator folder(argv[1], error);
  if (error) {
    std::fprintf(stderr, "cannot read corpus folder %s: %s\n", argv[1], error.message().c_str());
    return 2;
  }
  int replayed = 0;
  for (const auto& entry : folder) {
    if (!entry.is_regular_file()) continue;
    std::ifstream file(entry.path(), std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    ++replayed;
  }
  std::printf("replayed %d inputs from %s\n", replayed, argv[1]);
  return replayed > 0 ? 0 : 1;
}
