// Feeds arbitrary bytes to the library's PCX reader, and what it accepts through a pixel read.
#include <cstddef>
#include <cstdint>
#include <span>

#include "library/core/render/pcx.h"

namespace {
constexpr size_t kMaxInputBytes = 1 << 20;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInputBytes) return 0;
  if (auto image = DecodePcx(std::span<const uint8_t>(data, size))) {
    volatile uint32_t corner = image->At(image->width - 1, image->height - 1);
    (void)corner;
  }
  return 0;
}
