// Feeds arbitrary bytes to the DDS reader, and what it accepts back through the writer.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/d3dx/dds.h"

namespace {
constexpr size_t kMaxInputBytes = 1 << 20;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInputBytes) return 0;
  std::span<const uint8_t> bytes(data, size);
  d3dx::ReadDdsInfo(bytes);
  if (auto image = d3dx::ReadDds(bytes)) {
    for (uint32_t face = 0; face < image->FaceCount(); ++face) {
      for (uint32_t level = 0; level < image->LevelCount(); ++level) {
        d3dx::ReadPixels(image->View(face, level), nullptr);
      }
    }
    d3dx::EncodeDds(*image);
  }
  return 0;
}
