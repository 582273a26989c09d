// Feeds arbitrary bytes to the image-file reader (PNG, JPEG, BMP, TGA, PPM and DDS) and converts
// what it accepts to ARGB.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/d3dx/image_file.h"

namespace {
constexpr size_t kMaxInputBytes = 1 << 20;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInputBytes) return 0;
  std::span<const uint8_t> bytes(data, size);
  d3dx::ReadImageInfo(bytes);
  if (auto image = d3dx::DecodeImageFile(bytes)) d3dx::ReadPixels(image->View(0, 0), nullptr);
  return 0;
}
