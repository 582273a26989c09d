// Feeds arbitrary bytes to the WAD3 reader as a whole archive: its header and directory, and every
// texture the directory names through the palette conversion, keyed on blue.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "library/core/levels/archives.h"

namespace {
constexpr size_t kMaxInputBytes = 1 << 20;
constexpr uint32_t kKey = 0x0000FF;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInputBytes) return 0;
  const std::span<const uint8_t> file(data, size);
  const std::span<const uint8_t> header = file.first(std::min(size, kArchiveHeaderBytes));
  const auto range = WadDirectoryRange(header);
  if (!range || range->first > size || range->second > size - range->first) return 0;
  const auto entries = ParseWadDirectory(header, file.subspan(range->first, range->second), size);
  if (!entries) return 0;
  for (const WadEntry& entry : *entries) {
    const auto texture = file.subspan(static_cast<size_t>(entry.dataOffset));
    if (!WadTextureExtent(texture.first(kWadTextureHeaderBytes))) continue;
    if (const auto texels = DecodeWadTexture(texture, kKey)) {
      if (texels->argb.size() !=
          static_cast<size_t>(texels->width) * static_cast<size_t>(texels->height)) {
        std::abort();
      }
    }
  }
  return 0;
}
