// Feeds arbitrary bytes to the terrain data file's reader: the first four are the start offset
// (little-endian) the file claims to begin at, the rest the file from there. What the reader
// accepts is read back.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <variant>

#include "library/core/terrain/terrain_data.h"

namespace {
constexpr size_t kMaxInputBytes = 1 << 22;
constexpr size_t kOffsetBytes = 4;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kOffsetBytes || size > kMaxInputBytes) return 0;
  uint32_t startOffset = 0;
  std::memcpy(&startOffset, data, kOffsetBytes);
  const auto parsed = ParseTerrainData(
      std::span<const uint8_t>(data + kOffsetBytes, size - kOffsetBytes), startOffset);
  if (const auto* terrain = std::get_if<TerrainData>(&parsed)) {
    volatile float last = terrain->heights.back();
    (void)last;
  }
  return 0;
}
