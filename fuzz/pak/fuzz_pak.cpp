// Feeds arbitrary bytes to the PAK reader as a whole package, through an open file as the
// extraction reads it: header, directory, then every entry's bytes, which must lie in the file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "library/core/levels/archives.h"

namespace {
constexpr size_t kMaxInputBytes = 1 << 20;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInputBytes) return 0;
  std::FILE* file = std::tmpfile();
  if (file == nullptr) return 0;
  if (size > 0) std::fwrite(data, 1, size, file);
  const auto header = ReadFileRange(file, 0, kArchiveHeaderBytes);
  const auto range = header ? PakDirectoryRange(*header) : std::nullopt;
  const auto directory = range ? ReadFileRange(file, range->first, range->second) : std::nullopt;
  if (const auto entries = directory ? ParsePakDirectory(*directory, size) : std::nullopt) {
    for (const PakEntry& entry : *entries) {
      const auto bytes = ReadFileRange(file, static_cast<uint64_t>(entry.dataOffset),
                                       static_cast<uint64_t>(entry.length));
      if (!bytes) std::abort();  // the directory promised these bytes
      std::string name = entry.name;
      NormalisePakName(name.data());
    }
  }
  std::fclose(file);
  return 0;
}
