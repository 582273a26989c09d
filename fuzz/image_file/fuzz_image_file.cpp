// Feeds arbitrary bytes to the image-file reader (PNG, JPEG, BMP, TGA, PPM and DDS), converts what
// it accepts to ARGB, and decodes it straight into padded memory of the other layouts the decoders
// write themselves.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/d3d/format.h"
#include "platform/d3dx/dds.h"
#include "platform/d3dx/image_file.h"

namespace {
constexpr size_t kMaxInputBytes = 1 << 20;
constexpr size_t kMaxLayoutPixels = 1 << 20;  // larger pictures are decoded once only
constexpr size_t kRowPadding = 1;             // bytes
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInputBytes) return 0;
  std::span<const uint8_t> bytes(data, size);
  auto info = d3dx::ReadImageInfo(bytes);
  if (auto image = d3dx::DecodeImageFile(bytes)) d3dx::ReadPixels(image->View(0, 0), nullptr);
  if (!info || d3dx::LooksLikeDds(bytes) || size_t{info->Width} * info->Height > kMaxLayoutPixels) {
    return 0;
  }
  for (d3d::D3DFORMAT format : {d3d::D3DFMT_X8R8G8B8, d3d::D3DFMT_R8G8B8, d3d::D3DFMT_L8}) {
    size_t pitch = d3d::RowPitch(format, info->Width) + kRowPadding;
    std::vector<uint8_t> memory(pitch * info->Height);
    d3dx::DecodeImageInto(bytes, {format, info->Width, info->Height, pitch, memory.data()});
  }
  return 0;
}
