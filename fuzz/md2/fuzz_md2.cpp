// Feeds arbitrary bytes to the MD2 decoder, and reads every frame of what it accepts at each of
// its corners' vertices.
#include <cstddef>
#include <cstdint>
#include <span>

#include "library/core/actors/md2_file.h"

namespace {
constexpr size_t kMaxInputBytes = 1 << 20;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInputBytes) return 0;
  Md2Decoded decoded = DecodeMd2(std::span<const uint8_t>(data, size));
  if (!decoded.model) return 0;
  float sum = 0.0f;
  for (const Md2Frame& frame : decoded.model->frames)
    for (size_t c = 0; c < decoded.model->corners.size(); ++c) sum += frame.positions[c * 3 + 2];
  volatile float kept = sum;
  (void)kept;
  return 0;
}
